// The COM stand-in's basic types: HRESULT and its codes, GUID, IUnknown, and the Windows-style
// scalar names the callers of COM interfaces use. Wide text is UTF-16 (char16_t).
#pragma once

#include <cstdint>
#include <string_view>

using HRESULT = std::int32_t;  // 32 bits, as on the platform, whatever the size of long
using BYTE = std::uint8_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using DWORDLONG = std::uint64_t;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

// A wait without time limit.
#ifndef INFINITE
#define INFINITE 0xFFFFFFFF
#endif

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr HRESULT comCode(std::uint32_t value) {
  return static_cast<HRESULT>(value);
}

// The codes the stand-ins return; values as the platform defines them.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = comCode(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = comCode(0x80004002u);
inline constexpr HRESULT E_POINTER = comCode(0x80004003u);
inline constexpr HRESULT E_FAIL = comCode(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = comCode(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = comCode(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = comCode(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = comCode(0x80040110u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = comCode(0x80040154u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = comCode(0x800401F0u);
inline constexpr HRESULT RPC_E_CHANGED_MODE = comCode(0x80010106u);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = comCode(0x80040200u);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = comCode(0x80040202u);

// CoInitializeEx flags and CoCreateInstance contexts.
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD REGCLS_MULTIPLEUSE = 0x1;

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i) {
      if (a.Data4[i] != b.Data4[i]) return false;
    }
    return true;
  }
  friend constexpr bool operator<(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
    if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
    if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
    for (int i = 0; i < 8; ++i) {
      if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
    }
    return false;
  }
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const GUID&;
using REFCLSID = const GUID&;

namespace com {

constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces. False on any other text.
constexpr bool parseGuid(std::string_view text, GUID& out) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return false;
  std::uint8_t bytes[16] = {};
  int n = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return false;
      ++i;
      continue;
    }
    int hi = hexDigit(text[i]);
    int lo = hexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
    i += 2;
  }
  out.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
              (std::uint32_t{bytes[2]} << 8) | bytes[3];
  out.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  out.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) out.Data4[i] = bytes[8 + i];
  return true;
}

// A GUID from a literal; a malformed literal stops compilation where it is used as constexpr.
consteval GUID guid(std::string_view text) {
  GUID g;
  if (!parseGuid(text, g)) throw "malformed GUID literal";
  return g;
}

}  // namespace com

// The root of every interface. Slot order: QueryInterface, AddRef, Release.
class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = com::guid("00000000-0000-0000-C000-000000000046");

// Writes the standard text form "{XXXXXXXX-XXXX-...}" and its terminator into buffer (39
// characters); returns the characters written including the terminator, 0 when it does not fit.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
