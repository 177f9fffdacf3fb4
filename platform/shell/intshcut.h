// The shell's Internet shortcut class: an object that points at a web address and saves itself
// as a shortcut file ("[InternetShortcut]" with its "URL=" line) through IPersistFile. It is
// registered with the COM runtime when this library is loaded (link it whole: zk_shell).
//
// Save fails with STG_E_INVALIDNAME when the file name holds a character the platform's file
// names refuse (\ / : * ? " < > |), with STG_E_PATHNOTFOUND when the file cannot be written,
// and with E_UNEXPECTED when no address was set. Any thread; one object is not shared.
#pragma once

#include "comtypes.h"

using HWND = void*;
using LPCSTR = const char*;
using LPSTR = char*;

inline constexpr CLSID CLSID_InternetShortcut = com::guid("FBF23B40-E3F0-101B-8488-00AA003E56F8");
inline constexpr IID IID_INewShortcutHookA = com::guid("000214E1-0000-0000-C000-000000000046");
inline constexpr IID IID_IPersist = com::guid("0000010C-0000-0000-C000-000000000046");
inline constexpr IID IID_IPersistFile = com::guid("0000010B-0000-0000-C000-000000000046");

inline constexpr HRESULT STG_E_PATHNOTFOUND = comCode(0x80030003u);
inline constexpr HRESULT STG_E_INVALIDNAME = comCode(0x800300FCu);

// Slot order: SetReferent, GetReferent, SetFolder, GetFolder, GetName, GetExtension.
class INewShortcutHookA : public IUnknown {
 public:
  virtual HRESULT SetReferent(LPCSTR referent, HWND window) = 0;
  virtual HRESULT GetReferent(LPSTR referent, int size) = 0;
  virtual HRESULT SetFolder(LPCSTR folder) = 0;
  virtual HRESULT GetFolder(LPSTR folder, int size) = 0;
  virtual HRESULT GetName(LPSTR name, int size) = 0;
  virtual HRESULT GetExtension(LPSTR extension, int size) = 0;
};

class IPersist : public IUnknown {
 public:
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

// Slot order after GetClassID: IsDirty, Load, Save, SaveCompleted, GetCurFile.
class IPersistFile : public IPersist {
 public:
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(LPCOLESTR fileName, DWORD mode) = 0;
  // remember: the file becomes the object's own.
  virtual HRESULT Save(LPCOLESTR fileName, BOOL remember) = 0;
  virtual HRESULT SaveCompleted(LPCOLESTR fileName) = 0;
  virtual HRESULT GetCurFile(LPOLESTR* fileName) = 0;
};
