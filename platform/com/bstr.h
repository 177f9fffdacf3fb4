// BSTR: UTF-16 text behind a 32-bit byte length, terminated by a zero that the length does not
// count, so a BSTR may hold zero characters inside. Allocated and freed only here.
// Also the UTF-8 <-> UTF-16 conversions the stand-ins use at their edges.
#pragma once

#include <string>
#include <string_view>

#include "comtypes.h"

// Copies a zero-terminated text; null gives null.
BSTR SysAllocString(LPCOLESTR text);
// Copies len characters (zeros included); a null source gives len zero characters.
BSTR SysAllocStringLen(LPCOLESTR text, UINT len);
void SysFreeString(BSTR text);
// Characters held, without the terminator; 0 for null.
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

namespace com {

// Invalid sequences become U+FFFD.
std::u16string toUtf16(std::string_view text);
std::string toUtf8(std::u16string_view text);

// Length of a zero-terminated wide text; 0 for null.
std::size_t wideLength(LPCOLESTR text);
// A view of a zero-terminated wide text; empty for null.
std::u16string_view wideView(LPCOLESTR text);

// A BSTR from UTF-8 or UTF-16 text, owned by the caller.
BSTR allocBstr(std::u16string_view text);
BSTR allocBstr(std::string_view utf8);

// Owns one BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : m_s(allocBstr(text)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(m_s); }
  BSTR* put() {
    SysFreeString(m_s);
    m_s = nullptr;
    return &m_s;
  }
  BSTR get() const { return m_s; }
  std::u16string_view view() const { return {m_s == nullptr ? u"" : m_s, SysStringLen(m_s)}; }
  std::string utf8() const { return toUtf8(view()); }

 private:
  BSTR m_s = nullptr;
};

}  // namespace com
