#include "filechooser.h"

#include <wx/filedlg.h>

#include <filesystem>
#include <mutex>

#include "msgbox.h"
#include "uiapp.h"

namespace zkui {

namespace {

std::mutex gHookMutex;
FileChooserHook gHook;  // guarded by gHookMutex

int showChooser(const FileChooserRequest& r, std::string& path) {
  long style = r.save ? wxFD_SAVE : wxFD_OPEN;
  if (r.save && r.overwritePrompt) style |= wxFD_OVERWRITE_PROMPT;
  if (!r.save && r.mustExist) style |= wxFD_FILE_MUST_EXIST;
  wxFileDialog dialog(r.ownerP, wxString::FromUTF8(r.title), wxString::FromUTF8(r.directory),
                      wxString::FromUTF8(r.fileName),
                      wxString::FromUTF8(toolkitFilter(r.filter).empty() ? std::string("*")
                                                                         : toolkitFilter(r.filter)),
                      style);
  if (dialog.ShowModal() != wxID_OK) return kIdBoxCancel;
  path = withDefaultExtension(dialog.GetPath().utf8_string(), r.defaultExtension);
  return kIdBoxOk;
}

}  // namespace

std::string toolkitFilter(const std::string& filter) {
  std::string out = filter;
  while (!out.empty() && out.back() == '|') out.pop_back();
  return out;
}

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
  if (extension.empty() || path.empty()) return path;
  if (std::filesystem::path(path).has_extension()) return path;
  return path + "." + extension;
}

FileChooserHook setFileChooserHook(FileChooserHook hook) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  std::swap(gHook, hook);
  return hook;
}

int chooseFile(const FileChooserRequest& request, std::string& path) {
  FileChooserHook hook;
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    hook = gHook;
  }
  if (hook) {
    std::string chosen = path;
    int answer = hook(request, chosen);
    if (answer == kIdBoxOk) path = withDefaultExtension(chosen, request.defaultExtension);
    return answer;
  }
  if (isUiThread()) return showChooser(request, path);
  int answer = 0;
  callOnUiThread(appCallTarget(), [&] { answer = showChooser(request, path); });
  return answer;
}

}  // namespace zkui
