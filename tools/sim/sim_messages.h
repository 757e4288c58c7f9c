// The messages the simulator sends to a client, built byte for byte: each
// starts with the 12-byte header (dwSize, dwVersion, dwID). Pure functions,
// safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simemu {

using Message = std::vector<uint8_t>;

constexpr uint32_t kMessageHeaderSize = 12;
constexpr uint32_t kPathFieldSize = 260;
constexpr uint32_t kUserObjectId = 1;  // the object id the simulator gives the user aircraft

// How text fields are written: normally zero-terminated and zero-padded;
// unterminated fills the field and ends the message right after it, so a
// reader that looks for the terminator runs off the end.
enum class TextEnding { kTerminated, kUnterminated };

// The simulator the emulator plays, as its open reply names it.
enum class SimulatorKind { kMsfs2020, kMsfs2024 };

// The reply to the open request: application "KittyHawk" version 11 for
// 2020, "SunRise" version 12 for 2024, with the link protocol's versions.
Message openMessage(SimulatorKind kind = SimulatorKind::kMsfs2020);
// An event (kind 4), e.g. "SimStart" or a "Frame" sent as a plain event.
Message eventMessage(uint32_t eventId, uint32_t data);
// A frame event (kind 7) with the frame rate and simulation speed.
Message frameMessage(uint32_t eventId, float frameRate, float simSpeed);
// A file-name event (kind 6): the aircraft file when the aircraft changes.
Message fileNameMessage(uint32_t eventId, const std::string& fileName, TextEnding ending);
// A system-state answer (kind 15).
Message systemStateMessage(uint32_t requestId, uint32_t integer, float number, const std::string& text,
                           TextEnding ending);
// Object data by type (kind 9): one entry of one, followed by data.
Message objectDataMessage(uint32_t requestId, uint32_t defineId, uint32_t defineCount,
                          const std::vector<uint8_t>& data);
// A message of totalBytes whose size field says sizeField: the faults a
// client must survive (a size above its limit or below 4, or a message too
// short for a header). Bytes past the size field carry the version and kind
// as far as they fit.
Message malformedMessage(uint32_t sizeField, uint32_t kind, uint32_t totalBytes);

}  // namespace simemu
