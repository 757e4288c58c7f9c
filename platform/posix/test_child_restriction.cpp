#include "platform/posix/test_child_restriction.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

#if defined(__x86_64__)
constexpr unsigned kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kAuditArch = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned kAuditArch = 0;  // no filter written for this machine
#endif

bool writeProcFile(const char* path, const std::string& text) {
  const int file = open(path, O_WRONLY);
  if (file < 0) return false;
  const bool written = write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(file);
  return written;
}

}  // namespace

ChildRestriction::ChildRestriction(TestRestriction restriction)
    : restriction_(restriction),
      userMap_(std::to_string(getuid()) + " " + std::to_string(getuid()) + " 1"),
      groupMap_(std::to_string(getgid()) + " " + std::to_string(getgid()) + " 1") {}

bool ChildRestriction::apply() const {
  switch (restriction_) {
    case TestRestriction::kNone:
      return true;
    case TestRestriction::kNoNetworkAddress:
      return enterOwnNetwork();
    case TestRestriction::kBindDenied:
      return denyBind();
  }
  return false;
}

// A new network namespace has only a loopback interface, and that is down.
// Root may make one directly; another user makes it inside a user namespace
// of its own in which it keeps its own user and group.
bool ChildRestriction::enterOwnNetwork() const {
  if (unshare(CLONE_NEWNET) == 0) return true;
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
  return writeProcFile("/proc/self/setgroups", "deny") && writeProcFile("/proc/self/uid_map", userMap_) &&
         writeProcFile("/proc/self/gid_map", groupMap_);
}

// A seccomp filter: bind fails with EACCES, every other call goes through.
bool ChildRestriction::denyBind() const {
  if (kAuditArch == 0) return false;
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_bind, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EACCES & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}
