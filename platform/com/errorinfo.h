// Per-thread error information: a failing method leaves an error object on its thread, which
// the caller takes once with GetErrorInfo (the slot is empty afterwards).
#pragma once

#include <string_view>

#include "comtypes.h"

// Slot order: GetGUID, GetSource, GetDescription, GetHelpFile, GetHelpContext.
class IErrorInfo : public IUnknown {
 public:
  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
  virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;
};

// Slot order: SetGUID, SetSource, SetDescription, SetHelpFile, SetHelpContext.
class ICreateErrorInfo : public IUnknown {
 public:
  virtual HRESULT SetGUID(REFGUID guid) = 0;
  virtual HRESULT SetSource(LPOLESTR source) = 0;
  virtual HRESULT SetDescription(LPOLESTR description) = 0;
  virtual HRESULT SetHelpFile(LPOLESTR helpFile) = 0;
  virtual HRESULT SetHelpContext(DWORD helpContext) = 0;
};

inline constexpr IID IID_IErrorInfo = com::guid("1CF2B120-547D-101B-8E65-08002B2BD119");
inline constexpr IID IID_ICreateErrorInfo = com::guid("22F03340-547D-101B-8E65-08002B2BD119");

// A new, empty error object; query it for IErrorInfo to hand it to SetErrorInfo.
HRESULT CreateErrorInfo(ICreateErrorInfo** created);
// Replaces the calling thread's error object (null clears it). reserved must be 0.
HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info);
// Takes the calling thread's error object: S_OK and the object (the caller releases it), or
// S_FALSE and null when there is none. The slot is empty afterwards.
HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info);

namespace com {

// Leaves an error object with the given source and description on the calling thread and
// returns hr, so that a method can end with `return com::fail(hr, ...)`.
HRESULT fail(HRESULT hr, std::u16string_view source, std::u16string_view description);
HRESULT fail(HRESULT hr, std::string_view source, std::string_view description);

}  // namespace com
