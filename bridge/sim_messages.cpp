#include "bridge/sim_messages.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "bridge/aircraft_config.h"
#include "bridge/aircraft_packages.h"
#include "bridge/autopilot_sender.h"
#include "bridge/flight_record_builder.h"
#include "bridge/shared_state.h"
#include "bridge/sim_catalogue.h"
#include "bridge/sim_link.h"
#include "log/log.h"
#include "server/listener.h"

namespace {

uint16_t listenerPort = kAppPort;

constexpr size_t kTitleFieldSize = 256;  // "Title" is a STRING256 at the block's start

// Every field is read only when the message is long enough to hold it, and
// texts only up to the message's end: whatever the simulator sends, nothing
// is read past it.
bool holds(DWORD size, size_t fieldEnd) { return size >= fieldEnd; }

DWORD readU32(const SIMCONNECT_RECV* message, size_t offset) {
  DWORD value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(message) + offset, sizeof value);
  return value;
}

// The zero-terminated text of the fixed field at `offset`, cut at the end of
// the field or of the message if the terminator is missing.
std::string readText(const SIMCONNECT_RECV* message, DWORD size, size_t offset, size_t fieldSize = kSimConnectMaxPath) {
  if (size <= offset) return std::string();
  const char* text = reinterpret_cast<const char*>(message) + offset;
  const size_t room = std::min<size_t>(size - offset, fieldSize);
  const void* terminator = std::memchr(text, '\0', room);
  return std::string(text, terminator ? static_cast<const char*>(terminator) - text : room);
}

void requestUserAircraftData() {
  SimConnect_RequestDataOnSimObjectType(simLink, kRequestUserAircraftData, kSimDataDefinition, 0,
                                        SIMCONNECT_SIMOBJECT_TYPE_USER);
}

void noteAircraftPath(std::string path) {
  aircraftFilePath = std::move(path);
  aircraftChanged = true;
}

void startListener() {
  if (startListenerThread(listenerPort)) {
    logMessage("Create SocketServe thread OK!\n");
  } else {
    logMessage("Failed to create SocketServe thread!\n");
  }
}

void onDataBlock(const unsigned char* block) {
  if (!listenerRunning.load()) {
    startListener();  // the first block only starts the listener
    return;
  }
  if (std::memchr(block, '\0', kTitleFieldSize) == nullptr) return;  // unterminated title: drop the block
  if (aircraftChanged) {
    readAircraftConfig();
    aircraftChanged = false;
  }
  buildFlightRecord(block);
  relayAutopilotSettings(block);
}

void onEvent(DWORD eventId) {
  if (eventId == kSystemEventFrame) {
    requestUserAircraftData();
  } else if (eventId == kSystemEventSimStart) {
    SimConnect_RequestSystemState(simLink, kRequestAircraftLoadedState, kAircraftLoadedStateName);
  }
}

}  // namespace

void setListenerPort(uint16_t port) { listenerPort = port; }

void onSimMessage(SIMCONNECT_RECV* message, DWORD size, void*) {
  if (message == nullptr || !holds(size, sizeof(SIMCONNECT_RECV))) return;
  switch (message->dwID) {
    case SIMCONNECT_RECV_ID_OPEN:
      // Which simulator answered, so that its own packages are searched.
      if (holds(size, simrecv::kApplicationVersionMajorOffset + 4)) {
        setConnectedSimulator(simulatorOfOpenReply(
            readText(message, size, simrecv::kApplicationNameOffset, simrecv::kApplicationNameSize),
            readU32(message, simrecv::kApplicationVersionMajorOffset)));
      }
      break;
    case SIMCONNECT_RECV_ID_EVENT:
      if (holds(size, simrecv::kEventIdOffset + 4)) {
        onEvent(readU32(message, simrecv::kEventIdOffset));
      }
      break;
    case SIMCONNECT_RECV_ID_EVENT_FRAME:
      if (holds(size, simrecv::kEventIdOffset + 4) && readU32(message, simrecv::kEventIdOffset) == kSystemEventFrame) {
        requestUserAircraftData();
      }
      break;
    case SIMCONNECT_RECV_ID_EVENT_FILENAME:
      if (holds(size, simrecv::kFileNameOffset) &&
          readU32(message, simrecv::kEventIdOffset) == kSystemEventAircraftLoaded) {
        noteAircraftPath(readText(message, size, simrecv::kFileNameOffset));
      }
      break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE:
      if (holds(size, simrecv::kObjectDataOffset + kSimDataBlockSize) &&
          readU32(message, simrecv::kRequestIdOffset) == kRequestUserAircraftData) {
        onDataBlock(reinterpret_cast<const unsigned char*>(message) + simrecv::kObjectDataOffset);
      }
      break;
    case SIMCONNECT_RECV_ID_SYSTEM_STATE:
      if (holds(size, simrecv::kStateTextOffset) &&
          readU32(message, simrecv::kRequestIdOffset) == kRequestAircraftLoadedState) {
        noteAircraftPath(readText(message, size, simrecv::kStateTextOffset));
      }
      break;
    default:
      break;
  }
}
