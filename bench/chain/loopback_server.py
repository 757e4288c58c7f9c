#!/usr/bin/env python3
"""The chain benchmark's loopback baseline: the least a server can do for the
same job as the bridge, to show what the harness itself costs.

One thread, one selector. It opens a simulator link to the emulator over TCP
with the same 182-variable data definition as the bridge, asks for the data on
every "Frame" event, and when a block lands sends a 2280-byte record carrying
the block's latitude and longitude (the emulator's frame number and send
stamp) to every app that is waiting for a record newer than its last one.
Apps speak the bridge's "rSIMDATA30" command; a request waits at most 100 ms
for a new block, as the bridge's does. Everything else the bridge does (the
other commands, the record's other fields, the autopilot relay) is left out.

    loopback_server.py SIM_PORT CATALOGUE_FILE

CATALOGUE_FILE holds `chain_app --catalogue` output. Prints "app port N" once
apps can connect; ends on SIGTERM or SIGINT.
"""
import selectors
import signal
import socket
import struct
import sys
import time

PROTOCOL_VERSION = 5
OPEN, ADD_TO_DATA_DEFINITION, REQUEST_DATA, SUBSCRIBE = 0xF0000001, 0xF000000C, 0xF000000F, 0xF0000017
RECV_EVENT, RECV_EVENT_FRAME, RECV_DATA = 4, 7, 9
FRAME_EVENT_ID, DATA_REQUEST_ID, DEFINITION_ID = 0, 1, 0
RECORD_SIZE, LATITUDE_AT, LONGITUDE_AT = 2280, 96, 104
COMMAND = b"rSIMDATA30"
FRESHNESS_WAIT = 0.100
BLOCK_AT = 40  # the data block's offset in a data message


def text_field(text, size=256):
    raw = text.encode()[: size - 1]
    return raw + bytes(size - len(raw))


class SimLink:
    """The client side of the simulator link, just enough for this job."""

    def __init__(self, port, catalogue):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.send_id = 0
        self.pending = b""
        self.send(OPEN, text_field("Orvxlink loopback") + struct.pack("<6I", 0, 0x004B4800, 11, 0, 62651, 3))
        for _offset, _size, data_type, unit, name in catalogue:
            body = struct.pack("<I", DEFINITION_ID) + text_field(name) + text_field(unit)
            self.send(ADD_TO_DATA_DEFINITION, body + struct.pack("<IfI", data_type, 0.0, 0xFFFFFFFF))
        self.send(SUBSCRIBE, struct.pack("<I", FRAME_EVENT_ID) + text_field("Frame"))
        self.sock.setblocking(False)

    def send(self, kind, body):
        self.send_id += 1
        packet = struct.pack("<4I", 16 + len(body), PROTOCOL_VERSION, kind, self.send_id) + body
        self.sock.setblocking(True)
        self.sock.sendall(packet)
        self.sock.setblocking(False)

    def request_data(self):
        self.send(REQUEST_DATA, struct.pack("<4I", DATA_REQUEST_ID, DEFINITION_ID, 0, 0))

    def messages(self):
        """Every whole message that has arrived; None when the link closed."""
        try:
            chunk = self.sock.recv(1 << 16)
        except BlockingIOError:
            return []
        if not chunk:
            return None
        self.pending += chunk
        whole = []
        while len(self.pending) >= 4:
            size = struct.unpack_from("<I", self.pending)[0]
            if len(self.pending) < size:
                break
            whole.append(self.pending[:size])
            self.pending = self.pending[size:]
        return whole


class App:
    def __init__(self, sock):
        self.sock = sock
        self.inbox = b""
        self.last_sent = 0
        self.waiting_since = None  # when its open request started waiting


class LoopbackServer:
    def __init__(self, sim_port, catalogue):
        offsets = {name: offset for offset, _size, _type, _unit, name in catalogue}
        self.latitude_at = offsets["PLANE LATITUDE"]
        self.longitude_at = offsets["PLANE LONGITUDE"]
        self.selector = selectors.DefaultSelector()
        self.link = SimLink(sim_port, catalogue)
        self.selector.register(self.link.sock, selectors.EVENT_READ, "sim")
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(128)
        self.listener.setblocking(False)
        self.selector.register(self.listener, selectors.EVENT_READ, "listener")
        self.record = bytearray(RECORD_SIZE)
        self.record[0:7] = b"ORVX30\0"
        self.build = 0
        self.running = True

    def port(self):
        return self.listener.getsockname()[1]

    def send_record(self, app):
        app.sock.setblocking(True)
        try:
            app.sock.sendall(self.record)
        except OSError:
            pass
        app.sock.setblocking(False)
        app.last_sent = self.build
        app.waiting_since = None

    def on_block(self, message):
        block = message[BLOCK_AT:]
        self.record[LATITUDE_AT:LATITUDE_AT + 8] = block[self.latitude_at:self.latitude_at + 8]
        self.record[LONGITUDE_AT:LONGITUDE_AT + 8] = block[self.longitude_at:self.longitude_at + 8]
        self.build += 1
        for key in list(self.selector.get_map().values()):
            app = key.data
            if isinstance(app, App) and app.waiting_since is not None:
                self.send_record(app)

    def on_sim(self):
        messages = self.link.messages()
        if messages is None:
            self.running = False
            return
        for message in messages:
            kind = struct.unpack_from("<I", message, 8)[0]
            if kind in (RECV_EVENT, RECV_EVENT_FRAME) and struct.unpack_from("<I", message, 16)[0] == FRAME_EVENT_ID:
                self.link.request_data()
            elif kind == RECV_DATA and struct.unpack_from("<I", message, 12)[0] == DATA_REQUEST_ID:
                self.on_block(message)

    def on_app(self, app):
        try:
            chunk = app.sock.recv(4096)
        except BlockingIOError:
            return
        except OSError:
            chunk = b""
        if not chunk:
            self.selector.unregister(app.sock)
            app.sock.close()
            return
        app.inbox += chunk
        while len(app.inbox) >= 10:
            frame, app.inbox = app.inbox[:10], app.inbox[10:]
            if frame != COMMAND:
                continue
            if self.build == 0 or app.last_sent != self.build:
                self.send_record(app)
            else:
                app.waiting_since = time.monotonic()

    def release_stale(self):
        now = time.monotonic()
        for key in list(self.selector.get_map().values()):
            app = key.data
            if isinstance(app, App) and app.waiting_since is not None and now - app.waiting_since >= FRESHNESS_WAIT:
                self.send_record(app)

    def serve(self):
        print("app port %d" % self.port(), flush=True)
        while self.running:
            for key, _events in self.selector.select(timeout=FRESHNESS_WAIT / 4):
                if key.data == "sim":
                    self.on_sim()
                elif key.data == "listener":
                    sock, _ = self.listener.accept()
                    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                    sock.setblocking(False)
                    self.selector.register(sock, selectors.EVENT_READ, App(sock))
                else:
                    self.on_app(key.data)
            self.release_stale()

    def stop(self, *_ignored):
        self.running = False


def read_catalogue(path):
    catalogue = []
    with open(path) as lines:
        for line in lines:
            numbers, name = line.rstrip("\n").split("|", 1)
            offset, size, data_type, *unit = numbers.split(" ", 3)
            catalogue.append((int(offset), int(size), int(data_type), unit[0] if unit else "", name))
    return catalogue


def main():
    server = LoopbackServer(int(sys.argv[1]), read_catalogue(sys.argv[2]))
    signal.signal(signal.SIGTERM, server.stop)
    signal.signal(signal.SIGINT, server.stop)
    server.serve()


if __name__ == "__main__":
    main()
