// The few COM and Windows basics that the virtual device interface is declared with: integer
// types, HRESULT, GUID and IUnknown.
//
// Note: the COM runtime stand-in (platform/com) defines these same names for the whole system.
// Until it is available to this library, this header holds the minimum the virtual device
// interface needs, under the Windows names and with the Windows sizes, so that switching to
// platform/com means replacing the body of this file by an include of its header; no user of
// the virtual device interface changes a name.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using DWORDLONG = std::uint64_t;
using HRESULT = std::int32_t;  // 32 bits, as on Windows, whatever the size of long
using WCHAR = char16_t;        // wide text is UTF-16
using LPCWSTR = const WCHAR*;

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
    return false;
  }
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) {
      return false;
    }
  }
  return true;
}

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

// A wait without time limit.
#ifndef INFINITE
#define INFINITE 0xFFFFFFFF
#endif

// The base of every COM interface: reference counting and interface discovery. No virtual
// destructor, as in COM: an object deletes itself when its last reference is released.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
