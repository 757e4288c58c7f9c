// Serves one browser request on the app port: reads the rest of the request
// head within its bounds, answers it once with HTTP/1.1 and logs the view.
// Runs on the serving thread of that connection, which closes the socket
// afterwards. Changes no state of the bridge.
#pragma once

#include <chrono>
#include <string>

#include "platform/tcp_socket.h"

// `opening`: the bytes of the head read so far, the first of which arrived
// at `firstByteAt`; `peer`: the browser's "address:port".
void answerCheckPageRequest(TcpSocket connection, std::string opening,
                            std::chrono::steady_clock::time_point firstByteAt, const std::string& peer);
