// The simulator link library: our own client side of the SimConnect
// protocol. A link is opened with SimConnect_Open, used by one thread (every
// operation on one link must come from the same thread, or be serialised by
// the caller), and ended with SimConnect_Close. Operations return HRESULT
// codes (negative is failure), never throw and never log. Messages from the
// simulator are framed and queued by the library's I/O threads and handed to
// the caller's DispatchProc, on the caller's thread, by
// SimConnect_CallDispatch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

// --- Result codes -----------------------------------------------------------
constexpr HRESULT kSimConnectOk = 0;                                           // S_OK
constexpr HRESULT kSimConnectFail = static_cast<HRESULT>(0x80004005u);         // E_FAIL
constexpr HRESULT kSimConnectInvalidArg = static_cast<HRESULT>(0x80070057u);   // E_INVALIDARG
constexpr HRESULT kSimConnectNameTooLong = static_cast<HRESULT>(0x8007007Au);  // ERROR_INSUFFICIENT_BUFFER
constexpr HRESULT kSimConnectAbort = static_cast<HRESULT>(0x80004004u);        // E_ABORT
constexpr HRESULT kSimConnectOutOfMemory = static_cast<HRESULT>(0x8007000Eu);  // E_OUTOFMEMORY
constexpr HRESULT kSimConnectLinkFailed = static_cast<HRESULT>(0xC000013Eu);   // STATUS_LINK_FAILED

// --- Identifiers and flags ---------------------------------------------------
constexpr DWORD SIMCONNECT_UNUSED = 0xFFFFFFFFu;
constexpr DWORD SIMCONNECT_OBJECT_ID_USER = 0;
constexpr DWORD SIMCONNECT_GROUP_PRIORITY_HIGHEST = 1;
constexpr DWORD SIMCONNECT_GROUP_PRIORITY_STANDARD = 1900000000u;
constexpr DWORD SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY = 0x10;

enum SIMCONNECT_DATATYPE : DWORD {
  SIMCONNECT_DATATYPE_INVALID = 0,
  SIMCONNECT_DATATYPE_INT32 = 1,
  SIMCONNECT_DATATYPE_INT64 = 2,
  SIMCONNECT_DATATYPE_FLOAT32 = 3,
  SIMCONNECT_DATATYPE_FLOAT64 = 4,
  SIMCONNECT_DATATYPE_STRING8 = 5,
  SIMCONNECT_DATATYPE_STRING32 = 6,
  SIMCONNECT_DATATYPE_STRING64 = 7,
  SIMCONNECT_DATATYPE_STRING128 = 8,
  SIMCONNECT_DATATYPE_STRING256 = 9,
  SIMCONNECT_DATATYPE_STRING260 = 10,
};

enum SIMCONNECT_SIMOBJECT_TYPE : DWORD {
  SIMCONNECT_SIMOBJECT_TYPE_USER = 0,
};

// --- Received messages -------------------------------------------------------
// Every message starts with this 12-byte header; dwSize is also its frame
// length on the wire. Only the fields this program reads are named; the
// others keep their place. A handler must check dwSize before reading a field.
enum SIMCONNECT_RECV_ID : DWORD {
  SIMCONNECT_RECV_ID_NULL = 0,
  SIMCONNECT_RECV_ID_EXCEPTION = 1,
  SIMCONNECT_RECV_ID_OPEN = 2,
  SIMCONNECT_RECV_ID_QUIT = 3,
  SIMCONNECT_RECV_ID_EVENT = 4,
  SIMCONNECT_RECV_ID_EVENT_FILENAME = 6,
  SIMCONNECT_RECV_ID_EVENT_FRAME = 7,
  SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE = 9,
  SIMCONNECT_RECV_ID_SYSTEM_STATE = 15,
};

constexpr DWORD kSimConnectMaxPath = 260;

struct SIMCONNECT_RECV {
  DWORD dwSize;
  DWORD dwVersion;
  DWORD dwID;
};

struct SIMCONNECT_RECV_EVENT : SIMCONNECT_RECV {
  DWORD uGroupID;  // 12
  DWORD uEventID;  // 16
  DWORD dwData;    // 20
};

struct SIMCONNECT_RECV_EVENT_FILENAME : SIMCONNECT_RECV_EVENT {
  char szFileName[kSimConnectMaxPath];  // 24
  DWORD dwFlags;
};

struct SIMCONNECT_RECV_EVENT_FRAME : SIMCONNECT_RECV_EVENT {
  float fFrameRate;  // 24
  float fSimSpeed;   // 28
};

struct SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE : SIMCONNECT_RECV {
  DWORD dwRequestID;    // 12
  DWORD dwObjectID;     // 16
  DWORD dwDefineID;     // 20
  DWORD dwFlags;        // 24
  DWORD dwentrynumber;  // 28
  DWORD dwoutof;        // 32
  DWORD dwDefineCount;  // 36
  DWORD dwData;         // 40: first 4 bytes of the data block
};

struct SIMCONNECT_RECV_SYSTEM_STATE : SIMCONNECT_RECV {
  DWORD dwRequestID;                  // 12
  DWORD dwInteger;                    // 16
  float fFloat;                       // 20
  char szString[kSimConnectMaxPath];  // 24
};

// The records derive from one another, which makes offsetof "conditionally
// supported"; GCC supports it for this single, non-virtual inheritance.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(SIMCONNECT_RECV) == 12, "header");
static_assert(offsetof(SIMCONNECT_RECV_EVENT, uEventID) == 16, "layout");
static_assert(offsetof(SIMCONNECT_RECV_EVENT_FILENAME, szFileName) == 24, "layout");
static_assert(offsetof(SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE, dwRequestID) == 12, "layout");
static_assert(offsetof(SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE, dwData) == 40, "layout");
static_assert(offsetof(SIMCONNECT_RECV_SYSTEM_STATE, szString) == 24, "layout");
#pragma GCC diagnostic pop

// Where the fields that readers check sit on the wire, for code that reads a
// message by offset after checking its size.
namespace simrecv {
constexpr size_t kEventIdOffset = 16;          // uEventID of every event record
constexpr size_t kFileNameOffset = 24;         // szFileName of SIMCONNECT_RECV_EVENT_FILENAME
constexpr size_t kRequestIdOffset = 12;        // dwRequestID of data and system-state records
constexpr size_t kObjectDataOffset = 40;       // dwData of SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE
constexpr size_t kStateTextOffset = 24;        // szString of SIMCONNECT_RECV_SYSTEM_STATE
constexpr size_t kApplicationNameOffset = 12;  // szApplicationName[256] of SIMCONNECT_RECV_OPEN
constexpr size_t kApplicationNameSize = 256;
constexpr size_t kApplicationVersionMajorOffset = 268;  // dwApplicationVersionMajor of SIMCONNECT_RECV_OPEN
}  // namespace simrecv

// Called once per received message by SimConnect_CallDispatch, on the
// caller's thread. The message is valid only during the call.
typedef void (*DispatchProc)(SIMCONNECT_RECV* pData, DWORD cbData, void* pContext);

// --- Operations ----------------------------------------------------------------
HRESULT SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND hWnd, DWORD UserEventWin32, HANDLE hEventHandle,
                        DWORD ConfigIndex);
HRESULT SimConnect_Close(HANDLE hSimConnect);
HRESULT SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch, void* pContext);
HRESULT SimConnect_AddToDataDefinition(HANDLE hSimConnect, DWORD DefineID, const char* DatumName, const char* UnitsName,
                                       DWORD DatumType, float fEpsilon, DWORD DatumID);
HRESULT SimConnect_MapClientEventToSimEvent(HANDLE hSimConnect, DWORD EventID, const char* EventName);
HRESULT SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect, DWORD EventID, const char* SystemEventName);
HRESULT SimConnect_RequestDataOnSimObjectType(HANDLE hSimConnect, DWORD RequestID, DWORD DefineID, DWORD dwRadiusMeters,
                                              DWORD type);
HRESULT SimConnect_RequestSystemState(HANDLE hSimConnect, DWORD RequestID, const char* szState);
HRESULT SimConnect_TransmitClientEvent(HANDLE hSimConnect, DWORD ObjectID, DWORD EventID, DWORD dwData, DWORD GroupID,
                                       DWORD Flags);
