#include "errorinfo.h"

#include <mutex>
#include <string>

#include "bstr.h"
#include "object.h"

namespace {

// One error object; both interfaces on one object, as the platform hands it out.
class ErrorInfo final : public com::Object<IErrorInfo>, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::Object<IErrorInfo>::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return com::Object<IErrorInfo>::AddRef(); }
  ULONG Release() override { return com::Object<IErrorInfo>::Release(); }

  HRESULT GetGUID(GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    std::lock_guard lock(m_mutex);
    *guid = m_guid;
    return S_OK;
  }
  HRESULT GetSource(BSTR* out) override { return give(m_source, out); }
  HRESULT GetDescription(BSTR* out) override { return give(m_description, out); }
  HRESULT GetHelpFile(BSTR* out) override { return give(m_helpFile, out); }
  HRESULT GetHelpContext(DWORD* out) override {
    if (out == nullptr) return E_POINTER;
    std::lock_guard lock(m_mutex);
    *out = m_helpContext;
    return S_OK;
  }

  HRESULT SetGUID(REFGUID guid) override {
    std::lock_guard lock(m_mutex);
    m_guid = guid;
    return S_OK;
  }
  HRESULT SetSource(LPOLESTR text) override { return take(m_source, text); }
  HRESULT SetDescription(LPOLESTR text) override { return take(m_description, text); }
  HRESULT SetHelpFile(LPOLESTR text) override { return take(m_helpFile, text); }
  HRESULT SetHelpContext(DWORD context) override {
    std::lock_guard lock(m_mutex);
    m_helpContext = context;
    return S_OK;
  }

 private:
  void* interfaceFor(REFIID riid) override {
    if (riid == IID_IErrorInfo) return static_cast<IErrorInfo*>(this);
    if (riid == IID_ICreateErrorInfo) return static_cast<ICreateErrorInfo*>(this);
    return nullptr;
  }
  HRESULT give(const std::u16string& field, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    std::lock_guard lock(m_mutex);
    *out = com::allocBstr(std::u16string_view(field));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  HRESULT take(std::u16string& field, LPOLESTR text) {
    std::lock_guard lock(m_mutex);
    field = com::wideView(text);
    return S_OK;
  }

  std::mutex m_mutex;  // guards every field below
  GUID m_guid;
  std::u16string m_source;
  std::u16string m_description;
  std::u16string m_helpFile;
  DWORD m_helpContext = 0;
};

// The calling thread's error object, released at thread exit.
thread_local com::Ptr<IErrorInfo> t_errorInfo;

}  // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** created) {
  if (created == nullptr) return E_POINTER;
  auto info = com::make<ErrorInfo>();
  *created = static_cast<ICreateErrorInfo*>(info.detach());
  return S_OK;
}

HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info) {
  if (reserved != 0) return E_INVALIDARG;
  t_errorInfo = com::Ptr<IErrorInfo>::share(info);
  return S_OK;
}

HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (reserved != 0) return E_INVALIDARG;
  *info = t_errorInfo.detach();
  return *info == nullptr ? S_FALSE : S_OK;
}

namespace com {

HRESULT fail(HRESULT hr, std::u16string_view source, std::u16string_view description) {
  auto info = make<ErrorInfo>();
  std::u16string s(source);
  std::u16string d(description);
  info->SetSource(s.data());
  info->SetDescription(d.data());
  SetErrorInfo(0, static_cast<IErrorInfo*>(info.get()));
  return hr;
}

HRESULT fail(HRESULT hr, std::string_view source, std::string_view description) {
  return fail(hr, std::u16string_view(toUtf16(source)), std::u16string_view(toUtf16(description)));
}

}  // namespace com
