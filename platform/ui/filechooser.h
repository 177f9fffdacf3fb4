// A file chooser for opening or saving a file, with a hook that tests replace, in the manner of
// messageBox (msgbox.h).
//
// chooseFile shows the toolkit's file dialog with the request's title, folder, file name and
// filter, and returns kIdBoxOk with the chosen path in `path`, or kIdBoxCancel (path untouched).
// The filter is pairs of description and patterns separated by '|' ("Logs (*.log)|*.log|All
// files (*.*)|*.*"); a trailing "||" is allowed. On saving, a name without extension gets
// the default extension, and the dialog asks before an existing file is chosen
// (overwritePrompt); on opening, the file must exist
// (mustExist). From a thread other than the user-interface thread the dialog is shown there
// and the caller waits; 0 when the program's windows are gone.
//
// While a hook is set, chooseFile calls it instead (on the calling thread), then applies the
// default extension to the path it gave, and returns what it returned.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace zkui {

struct FileChooserRequest {
  wxWindow* ownerP = nullptr;
  bool save = false;
  std::string title;
  std::string directory;
  std::string fileName;
  std::string filter;
  std::string defaultExtension;  // without the dot; empty for none
  bool overwritePrompt = true;
  bool mustExist = true;
};
using FileChooserHook = std::function<int(const FileChooserRequest&, std::string& path)>;

int chooseFile(const FileChooserRequest& request, std::string& path);
// Sets the hook (null: show the real dialog again); returns the previous one. Any thread.
FileChooserHook setFileChooserHook(FileChooserHook hook);

// The filter as the toolkit takes it (no trailing "||"), and `path` with the default extension
// added when its file name has none.
std::string toolkitFilter(const std::string& filter);
std::string withDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace zkui
