// The nine SimConnect client operations. Each request operation builds one
// packet in the link's staging area and queues it at once; none waits for
// the simulator's answer, which arrives through SimConnect_CallDispatch.
#include "simlink/client_client.h"
#include "simlink/open_link.h"
#include "simlink/request_builder.h"
#include "simlink/simconnect.h"
#include "simlink/wire.h"

namespace {

// Body offsets, counted from the start of the packet.
constexpr uint32_t kFirstBodyField = simwire::kRequestHeaderSize;  // 16
constexpr uint32_t kSecondBodyField = kFirstBodyField + 4;         // 20

HRESULT sendOpenRequest(ClientClient* link, const char* applicationName) {
  RequestBuilder open(link, simwire::kOpen, simwire::kOpenSize);
  open.putString(16, applicationName);
  open.putU32(272, 0);
  open.putU32(276, simwire::kOpenMagic);
  open.putU32(280, simwire::kOpenVersionMajor);
  open.putU32(284, simwire::kOpenVersionMinor);
  open.putU32(288, simwire::kOpenBuildMajor);
  open.putU32(292, simwire::kOpenBuildMinor);
  const HRESULT result = open.send();
  if (result == kSimConnectOk && !open.queued()) return kSimConnectFail;
  return result;
}

// The requests made of one id and one name.
HRESULT sendIdAndName(HANDLE link, uint32_t kind, uint32_t size, DWORD id, const char* name) {
  RequestBuilder request(link, kind, size);
  request.putU32(kFirstBodyField, id);
  request.putString(kSecondBodyField, name);
  return request.send();
}

}  // namespace

HRESULT SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND hWnd, DWORD UserEventWin32, HANDLE hEventHandle,
                        DWORD ConfigIndex) {
  if (phSimConnect == nullptr) return kSimConnectFail;  // nowhere to give the link
  *phSimConnect = nullptr;
  ClientClient* link = nullptr;
  switch (openLink(link, ConfigIndex)) {
    case OpenLinkResult::kOpened:
      break;
    case OpenLinkResult::kSectionMissing:
      return kSimConnectInvalidArg;
    default:
      return kSimConnectFail;
  }
  link->setNotification(hWnd, UserEventWin32, hEventHandle);
  const HRESULT result = sendOpenRequest(link, szName);
  if (result != kSimConnectOk) {
    closeLink(link);
    return result;
  }
  *phSimConnect = link;
  return kSimConnectOk;
}

HRESULT SimConnect_Close(HANDLE hSimConnect) {
  auto* link = static_cast<ClientClient*>(hSimConnect);
  if (link == nullptr) return kSimConnectFail;
  link->sendStaged();  // normally nothing is staged
  return closeLink(link);
}

HRESULT SimConnect_CallDispatch(HANDLE hSimConnect, DispatchProc pfcnDispatch, void* pContext) {
  return dispatchLink(static_cast<ClientClient*>(hSimConnect), pfcnDispatch, pContext);
}

HRESULT SimConnect_AddToDataDefinition(HANDLE hSimConnect, DWORD DefineID, const char* DatumName, const char* UnitsName,
                                       DWORD DatumType, float fEpsilon, DWORD DatumID) {
  RequestBuilder request(hSimConnect, simwire::kAddToDataDefinition, simwire::kAddToDataDefinitionSize);
  request.putU32(16, DefineID);
  request.putString(20, DatumName);
  request.putString(276, UnitsName);
  request.putU32(532, DatumType);
  request.putF32(536, fEpsilon);
  request.putU32(540, DatumID);
  return request.send();
}

HRESULT SimConnect_MapClientEventToSimEvent(HANDLE hSimConnect, DWORD EventID, const char* EventName) {
  return sendIdAndName(hSimConnect, simwire::kMapClientEventToSimEvent, simwire::kMapClientEventToSimEventSize, EventID,
                       EventName);
}

HRESULT SimConnect_SubscribeToSystemEvent(HANDLE hSimConnect, DWORD EventID, const char* SystemEventName) {
  return sendIdAndName(hSimConnect, simwire::kSubscribeToSystemEvent, simwire::kSubscribeToSystemEventSize, EventID,
                       SystemEventName);
}

HRESULT SimConnect_RequestSystemState(HANDLE hSimConnect, DWORD RequestID, const char* szState) {
  return sendIdAndName(hSimConnect, simwire::kRequestSystemState, simwire::kRequestSystemStateSize, RequestID, szState);
}

HRESULT SimConnect_RequestDataOnSimObjectType(HANDLE hSimConnect, DWORD RequestID, DWORD DefineID, DWORD dwRadiusMeters,
                                              DWORD type) {
  RequestBuilder request(hSimConnect, simwire::kRequestDataOnSimObjectType, simwire::kRequestDataOnSimObjectTypeSize);
  request.putU32(16, RequestID);
  request.putU32(20, DefineID);
  request.putU32(24, dwRadiusMeters);
  request.putU32(28, type);
  return request.send();
}

HRESULT SimConnect_TransmitClientEvent(HANDLE hSimConnect, DWORD ObjectID, DWORD EventID, DWORD dwData, DWORD GroupID,
                                       DWORD Flags) {
  RequestBuilder request(hSimConnect, simwire::kTransmitClientEvent, simwire::kTransmitClientEventSize);
  request.putU32(16, ObjectID);
  request.putU32(20, EventID);
  request.putU32(24, dwData);
  request.putU32(28, GroupID);
  request.putU32(32, Flags);
  return request.send();
}
