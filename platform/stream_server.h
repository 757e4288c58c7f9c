// The listening side of a byte-stream server: TCP over IPv4 or IPv6, or a
// local named pipe (on Win32 a real named pipe with one instance per client,
// on POSIX the Unix-domain socket that platform/pipe_path.h maps it to).
// One thread calls acceptNext() in a loop; stop() may be called from any
// thread and makes a blocked acceptNext() return null promptly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/stream_connection.h"

class StreamListener {
 public:
  struct Impl;  // per backend
  explicit StreamListener(std::unique_ptr<Impl> impl);
  ~StreamListener();
  StreamListener(const StreamListener&) = delete;
  StreamListener& operator=(const StreamListener&) = delete;

  // Listens on host (a numeric address such as "127.0.0.1" or "::1"; empty
  // means every address of the family) and port (0 picks a free one). family
  // is 4 or 6. Null on failure, with a description in *error.
  static std::unique_ptr<StreamListener> listenTcp(int family, const std::string& host, uint16_t port,
                                                   std::string* error);
  // Serves the local named pipe pipePath ("\\.\pipe\Name"). Fails when
  // another live server already serves it.
  static std::unique_ptr<StreamListener> listenPipe(const std::string& pipePath, std::string* error);

  // Waits for the next client. Null once stop() was called or on failure.
  std::unique_ptr<StreamConnection> acceptNext();
  // Makes acceptNext() return null from now on; safe from any thread.
  void stop();
  // The TCP port actually bound (0 for a pipe).
  uint16_t boundPort() const;

 private:
  std::unique_ptr<Impl> impl_;
};
