// A stand-in for the system's IP helper library that knows no network
// adapter: a program started beside it under Wine (with the library's
// native copy preferred) sees a PC with no network address. The program
// imports only this function from the library.
#include <winsock2.h>

#include <iphlpapi.h>

extern "C" __declspec(dllexport) ULONG WINAPI GetAdaptersAddresses(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG) {
  return ERROR_NO_DATA;
}
