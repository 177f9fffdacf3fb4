#include "intshcut.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "bstr.h"
#include "object.h"
#include "runtime.h"

namespace {

constexpr char kForbidden[] = "\\/:*?\"<>|";

HRESULT copyOut(const std::string& text, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) return E_POINTER;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return S_OK;
}

class InternetShortcut : public com::Object<INewShortcutHookA>, public IPersistFile {
 public:
  // IUnknown through the first base; the second base's slots forward to it.
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::Object<INewShortcutHookA>::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return com::Object<INewShortcutHookA>::AddRef(); }
  ULONG Release() override { return com::Object<INewShortcutHookA>::Release(); }

  HRESULT SetReferent(LPCSTR referent, HWND) override {
    if (referent == nullptr) return E_POINTER;
    m_url = referent;
    m_dirty = true;
    return S_OK;
  }
  HRESULT GetReferent(LPSTR referent, int size) override { return copyOut(m_url, referent, size); }
  HRESULT SetFolder(LPCSTR folder) override {
    if (folder == nullptr) return E_POINTER;
    m_folder = folder;
    return S_OK;
  }
  HRESULT GetFolder(LPSTR folder, int size) override { return copyOut(m_folder, folder, size); }
  HRESULT GetName(LPSTR name, int size) override { return copyOut(m_folder, name, size); }
  HRESULT GetExtension(LPSTR extension, int size) override {
    return copyOut(".url", extension, size);
  }

  HRESULT GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_InternetShortcut;
    return S_OK;
  }
  HRESULT IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
  HRESULT Load(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
  HRESULT Save(LPCOLESTR fileName, BOOL remember) override;
  HRESULT SaveCompleted(LPCOLESTR) override { return S_OK; }
  HRESULT GetCurFile(LPOLESTR* fileName) override {
    if (fileName != nullptr) *fileName = nullptr;
    return E_NOTIMPL;
  }

 protected:
  void* interfaceFor(REFIID riid) override {
    if (riid == IID_INewShortcutHookA) return static_cast<INewShortcutHookA*>(this);
    if (riid == IID_IPersistFile || riid == IID_IPersist) return static_cast<IPersistFile*>(this);
    return nullptr;
  }

 private:
  std::string m_url, m_folder, m_file;
  bool m_dirty = false;
};

HRESULT InternetShortcut::Save(LPCOLESTR fileName, BOOL remember) {
  if (fileName == nullptr) return E_POINTER;
  if (m_url.empty()) return E_UNEXPECTED;
  std::string path = com::toUtf8(com::wideView(fileName));
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name.find_first_of(kForbidden) != std::string::npos) {
    return STG_E_INVALIDNAME;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return STG_E_PATHNOTFOUND;
  out << "[InternetShortcut]\r\nURL=" << m_url << "\r\n";
  out.close();
  if (!out) return STG_E_PATHNOTFOUND;
  if (remember) m_file = path;
  m_dirty = false;
  return S_OK;
}

const com::ClassRegistrar kRegistrar(CLSID_InternetShortcut, [](REFIID riid, void** object) {
  auto* shortcut = new InternetShortcut;
  HRESULT hr = shortcut->QueryInterface(riid, object);
  shortcut->Release();
  return hr;
});

}  // namespace
