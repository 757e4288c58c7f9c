#!/usr/bin/env python3
"""The chain benchmark: simulator emulator -> server -> app processes, all on
loopback, for the bridge and, in the same run, for the loopback baseline
(loopback_server.py). Run through scripts/bench, which builds what it needs.

Latency is an app's receipt of a record minus the emulator's send stamp of
the block it carries (both on the machine's monotonic clock). Counted over a
measurement window after a warm-up: latency percentiles, frames missed (a gap
in an app's frame numbers) and repeated (the same frame again), the server's
CPU per second of wall time, its peak resident memory and its threads. Then
the bridge alone at rest: no simulator, a connected and silent simulator, and
60 frames a second with no apps.
"""
import argparse
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

SCENARIOS = [(1, 60), (8, 60), (64, 60), (64, 240)]
SERVERS = ["bridge", "loopback"]
WARM_UP = 1.5
HERE = os.path.dirname(os.path.abspath(__file__))


def read_line_matching(process, pattern, timeout):
    """Reads the process's output lines until one matches; the match."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        line = process.stdout.readline()
        if not line:
            break
        found = re.search(pattern, line)
        if found:
            return found
    raise RuntimeError("never printed %r" % pattern)


def cpu_seconds(pid):
    """CPU time of the process's live threads, to the nanosecond (schedstat),
    where the process total in /proc/PID/stat counts in 10 ms ticks."""
    total = 0
    tasks = "/proc/%d/task" % pid
    for task in os.listdir(tasks):
        try:
            with open(os.path.join(tasks, task, "schedstat")) as schedstat:
                total += int(schedstat.read().split()[0])
        except OSError:
            pass  # the thread ended meanwhile
    return total / 1e9


def status_value(pid, name):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return 0


class Run:
    """The processes of one measurement, in a scratch folder of their own."""

    def __init__(self, build, scratch):
        self.build = build
        self.scratch = scratch
        self.env = dict(os.environ, HOME=scratch, XDG_RUNTIME_DIR=scratch, XDG_CONFIG_HOME=scratch,
                        XDG_CONFIG_DIRS=scratch, XDG_DOCUMENTS_DIR=scratch)
        self.processes = []

    def start(self, args, **options):
        process = subprocess.Popen(args, cwd=self.scratch, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, **options)
        self.processes.append(process)
        return process

    def emulator(self, hz):
        sim = self.start([os.path.join(self.build, "tools/sim/orvxlink-sim"), "--port", "0", "--no-pipe",
                          "--rate", str(hz), "--stamp-blocks", "--start-time", "100"])
        return int(read_line_matching(sim, r"tcp 127\.0\.0\.1:(\d+)", 10).group(1))

    def bridge(self, sim_port, wait_for_apps=True):
        if sim_port is not None:
            with open(os.path.join(self.scratch, "SimConnect.cfg"), "w") as config:
                config.write("[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%d\n" % sim_port)
        bridge = self.start([os.path.join(self.build, "bench/chain/chain_bridge"), "0"])
        port = int(read_line_matching(bridge, r"app port (\d+)", 10).group(1)) if wait_for_apps else None
        return bridge, port

    def loopback(self, sim_port):
        catalogue = os.path.join(self.scratch, "catalogue.txt")
        with open(catalogue, "w") as out:
            subprocess.run([os.path.join(self.build, "bench/chain/chain_app"), "--catalogue"], stdout=out, check=True)
        server = self.start([sys.executable, os.path.join(HERE, "loopback_server.py"), str(sim_port), catalogue])
        return server, int(read_line_matching(server, r"app port (\d+)", 10).group(1))

    def apps(self, port, count, seconds):
        outputs = [os.path.join(self.scratch, "app%d.txt" % index) for index in range(count)]
        apps = [subprocess.Popen([os.path.join(self.build, "bench/chain/chain_app"), str(port), str(seconds), out],
                                 cwd=self.scratch, stdin=subprocess.DEVNULL) for out in outputs]
        return apps, outputs

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def measure_window(pid, seconds):
    """CPU seconds per wall second over the window, and the window's bounds."""
    cpu_before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    cpu_after, end = cpu_seconds(pid), time.monotonic()
    return (cpu_after - cpu_before) / (end - start), int(start * 1e6), int(end * 1e6)


def tally(outputs, start_us, end_us):
    """Latencies (us) of new frames received in the window; missed; repeated."""
    latencies, missed, repeated, failed = [], 0, 0, 0
    for path in outputs:
        previous = None
        try:
            lines = open(path).read().split("\n")
        except OSError:
            failed += 1
            continue
        for line in lines:
            if not line:
                continue
            frame, sent, received = (int(field) for field in line.split())
            if start_us <= received <= end_us and previous is not None:
                if frame == previous:
                    repeated += 1
                elif frame > previous:
                    missed += frame - previous - 1
                    latencies.append(received - sent)
            previous = frame
    return latencies, missed, repeated, failed


def percentile(ordered, fraction):
    if not ordered:
        return float("nan")
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def chain(build, server, apps, hz, seconds):
    with tempfile.TemporaryDirectory(prefix="orvx-bench-") as scratch:
        run = Run(build, scratch)
        try:
            sim_port = run.emulator(hz)
            process, port = run.bridge(sim_port) if server == "bridge" else run.loopback(sim_port)
            app_processes, outputs = run.apps(port, apps, WARM_UP + seconds + 0.5)
            time.sleep(WARM_UP)
            cpu, start_us, end_us = measure_window(process.pid, seconds)
            rss_kib, threads = status_value(process.pid, "VmHWM"), status_value(process.pid, "Threads")
            for app in app_processes:
                app.wait(timeout=30)
        finally:
            run.stop()
        latencies, missed, repeated, failed = tally(outputs, start_us, end_us)
    latencies.sort()
    return {
        "server": server, "apps": apps, "hz": hz, "seconds": seconds,
        "records": len(latencies), "expected": int(apps * hz * seconds),
        "p50": percentile(latencies, 0.50), "p90": percentile(latencies, 0.90),
        "p99": percentile(latencies, 0.99), "max": latencies[-1] if latencies else float("nan"),
        "missed": missed, "repeated": repeated, "failed_apps": failed,
        "cpu_ms_per_s": cpu * 1000, "peak_rss_mib": rss_kib / 1024, "threads": threads,
        "latencies": latencies,
    }


def idle(build, case, seconds):
    """The bridge's CPU per second at rest."""
    with tempfile.TemporaryDirectory(prefix="orvx-bench-") as scratch:
        run = Run(build, scratch)
        try:
            if case == "no simulator":
                process, _ = run.bridge(None, wait_for_apps=False)
            else:
                hz = 0 if case == "simulator silent" else 60
                process, _ = run.bridge(run.emulator(hz), wait_for_apps=hz > 0)
            time.sleep(1.0)
            cpu, _, _ = measure_window(process.pid, seconds)
            threads = status_value(process.pid, "Threads")
        finally:
            run.stop()
    return {"case": case, "cpu_ms_per_s": cpu * 1000, "threads": threads}


def load_average():
    with open("/proc/loadavg") as loadavg:
        return " ".join(loadavg.read().split()[:3])


def markdown(results, idles, seconds, load_before, load_after):
    by = {(r["server"], r["apps"], r["hz"]): r for r in results}
    lines = [
        "%d s per run after %.1f s warm-up; load average %s before, %s after; %d cores."
        % (seconds, WARM_UP, load_before, load_after, os.cpu_count()),
        "",
        "| apps | Hz | bridge p50 / p90 / p99 / max (µs) | loopback p50 / p90 / p99 / max (µs) | ratio p50 / p99 "
        "| bridge missed / repeated | loopback missed / repeated | bridge CPU (ms/s) | loopback CPU (ms/s) "
        "| bridge peak RSS (MiB) / threads |",
        "|---|---|---|---|---|---|---|---|---|---|",
    ]
    for apps, hz in SCENARIOS:
        b, l = by.get(("bridge", apps, hz)), by.get(("loopback", apps, hz))
        if b is None or l is None:
            continue
        lines.append(
            "| %d | %d | %d / %d / %d / %d | %d / %d / %d / %d | %.2f× / %.2f× | %d / %d of %d | %d / %d of %d "
            "| %.1f | %.1f | %.1f / %d |"
            % (apps, hz, b["p50"], b["p90"], b["p99"], b["max"], l["p50"], l["p90"], l["p99"], l["max"],
               b["p50"] / l["p50"], b["p99"] / l["p99"], b["missed"], b["repeated"], b["records"], l["missed"],
               l["repeated"], l["records"], b["cpu_ms_per_s"], l["cpu_ms_per_s"], b["peak_rss_mib"], b["threads"]))
    lines += ["", "| bridge at rest | CPU (ms/s) | threads |", "|---|---|---|"]
    for entry in idles:
        lines.append("| %s | %.2f | %d |" % (entry["case"], entry["cpu_ms_per_s"], entry["threads"]))
    return "\n".join(lines) + "\n"


def plot(results, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as pyplot

    figure, axes = pyplot.subplots(1, len(SCENARIOS), figsize=(4 * len(SCENARIOS), 3.6), sharey=True)
    for axis, (apps, hz) in zip(axes, SCENARIOS):
        for result in results:
            if result["apps"] == apps and result["hz"] == hz and result["latencies"]:
                ordered = result["latencies"]
                fractions = [(index + 1) / len(ordered) for index in range(len(ordered))]
                axis.plot([value / 1000 for value in ordered], fractions, label=result["server"])
        axis.set_title("%d app%s, %d Hz" % (apps, "" if apps == 1 else "s", hz))
        axis.set_xlabel("frame to app (ms)")
        axis.set_xscale("log")
        axis.grid(True, which="both", alpha=0.3)
    axes[0].set_ylabel("share of records")
    axes[0].legend(loc="lower right")
    figure.suptitle("Latency distribution: bridge and loopback baseline, same run")
    figure.tight_layout()
    figure.savefig(path, dpi=100)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="the bench build folder")
    parser.add_argument("--seconds", type=float, default=8)
    parser.add_argument("--idle-seconds", type=float, default=10)
    parser.add_argument("--out", required=True, help="folder for results.md, results.json and latency.png")
    parser.add_argument("--only", choices=["chain", "rest"], help="run only the chain or only the at-rest part")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    os.makedirs(args.out, exist_ok=True)
    load_before = load_average()
    results = []
    for apps, hz in SCENARIOS if args.only != "rest" else []:
        for server in SERVERS:
            result = chain(args.build, server, apps, hz, args.seconds)
            print("%-8s %2d apps %3d Hz: p50 %6d p99 %6d us, missed %d, repeated %d, CPU %.1f ms/s"
                  % (server, apps, hz, result["p50"], result["p99"], result["missed"], result["repeated"],
                     result["cpu_ms_per_s"]), flush=True)
            results.append(result)
    idles = []
    for case in ["no simulator", "simulator silent", "60 Hz, no apps"] if args.only != "chain" else []:
        idles.append(idle(args.build, case, args.idle_seconds))
        print("bridge at rest, %s: %.2f ms/s" % (case, idles[-1]["cpu_ms_per_s"]), flush=True)
    table = markdown(results, idles, args.seconds, load_before, load_average())
    with open(os.path.join(args.out, "results.md"), "w") as out:
        out.write(table)
    with open(os.path.join(args.out, "results.json"), "w") as out:
        json.dump({"chain": results, "idle": idles}, out)
    if results:
        plot(results, os.path.join(args.out, "latency.png"))
    print(table)


if __name__ == "__main__":
    main()
