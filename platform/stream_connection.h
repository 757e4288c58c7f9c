// One connected byte stream: a TCP connection (IPv4 or IPv6) or a local named
// pipe (on POSIX the Unix-domain socket that platform/pipe_path.h maps it to).
// Blocking reads and writes. The owner reads from one thread and writes from
// one thread (they may differ); shutdownBoth() may be called from any thread
// and makes a blocked read or write return. Destroying it closes it; the owner
// destroys it only after its reader and writer have stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class StreamConnection {
 public:
  struct Impl;  // per backend
  explicit StreamConnection(std::unique_ptr<Impl> impl);
  ~StreamConnection();
  StreamConnection(const StreamConnection&) = delete;
  StreamConnection& operator=(const StreamConnection&) = delete;

  // Connects to a TCP server; family is 4 or 6. Null on failure, with a
  // description in *error when error is not null.
  static std::unique_ptr<StreamConnection> connectTcp(int family, const std::string& host, uint16_t port,
                                                      std::string* error);
  // Connects to a local named pipe such as "\\.\pipe\Name".
  static std::unique_ptr<StreamConnection> connectPipe(const std::string& pipePath, std::string* error);

  // Reads what is there, at most size bytes, waiting for at least one.
  // Returns the count, 0 when the peer has closed, -1 on failure or after
  // shutdownBoth().
  long readSome(void* buffer, size_t size);
  // Writes every byte, in as many system calls as it takes. False on failure
  // or after shutdownBoth().
  bool writeAll(const void* data, size_t size);
  // Ends both directions; blocked calls return. Safe from any thread, any
  // number of times.
  void shutdownBoth();

 private:
  std::unique_ptr<Impl> impl_;
};
