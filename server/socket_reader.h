// Fixed-size reads on a serving thread's connection. Each read blocks until
// all bytes are in, the connection closes or fails, or the listener releases
// its connections at shutdown. Called only by the thread that owns the socket.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/tcp_socket.h"

enum class ReadOutcome {
  complete,  // every byte arrived
  failed,    // a receive error, a release, or a close before any byte arrived
  cutShort,  // the connection closed after part of the bytes arrived
};

// Receives what has arrived, up to `length` bytes, waiting as long as it
// takes: the count (> 0), 0 when the app closed, -1 on an error or a release.
long receiveSome(TcpSocket connection, void* buffer, size_t length);

// The same, waiting no longer than `deadline`.
struct BoundedReceive {
  enum Outcome { received, closed, failed, timedOut } outcome;
  size_t count;
};
BoundedReceive receiveBefore(TcpSocket connection, void* buffer, size_t length,
                             std::chrono::steady_clock::time_point deadline);

// Receives exactly `length` bytes into `buffer`.
ReadOutcome readFixed(TcpSocket connection, void* buffer, size_t length);

// Receives exactly `length` bytes, handing each piece to `consume` as it
// arrives, with its offset from the start of the read.
using PieceConsumer = std::function<void(size_t offset, const uint8_t* bytes, size_t count)>;
ReadOutcome readFixedInPieces(TcpSocket connection, size_t length, const PieceConsumer& consume);

// Reads the 4-byte little-endian word that ends an upload (a checksum or a
// data word). False when the connection is to end instead: a failed read has
// logged the socket error by then; a read cut short ends it without a word.
bool readUploadWord(TcpSocket connection, uint32_t& word);
