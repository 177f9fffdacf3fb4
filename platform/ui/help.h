// Help in place of the system's help engine: the programs ask for a topic by context id, by
// keyword or the contents of a help file; here each request is recorded (there is no help
// viewer), and a hook lets a program or test act on it. Any thread; the record is guarded.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zkui {

enum class HelpCommand { Contents, Context, ContextPopup, Key, Quit };

struct HelpCall {
  std::string file;
  HelpCommand command;
  unsigned long context;  // the context id (Context, ContextPopup), else 0
  std::string keyword;    // the keyword (Key), else empty
  bool operator==(const HelpCall&) const = default;
};

// Records the call and hands it to the hook when one is set. Always true: the request was taken.
bool help(const HelpCall& call);

std::vector<HelpCall> helpCalls();
void clearHelpCalls();
// The program's help file, which the layer's context help names (dialog.h). Empty at first.
void setHelpFile(const std::string& path);
std::string helpFile();

// Returns the previous hook; null for none.
std::function<void(const HelpCall&)> setHelpHook(std::function<void(const HelpCall&)> hook);

}  // namespace zkui
