#include "help.h"

#include <mutex>

namespace zkui {

namespace {
std::mutex gHelpMutex;
std::vector<HelpCall> gCalls;                // guarded by gHelpMutex
std::function<void(const HelpCall&)> gHook;  // guarded by gHelpMutex
std::string gHelpFile;                       // guarded by gHelpMutex
}  // namespace

void setHelpFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(gHelpMutex);
  gHelpFile = path;
}

std::string helpFile() {
  std::lock_guard<std::mutex> lock(gHelpMutex);
  return gHelpFile;
}

bool help(const HelpCall& call) {
  std::function<void(const HelpCall&)> hook;
  {
    std::lock_guard<std::mutex> lock(gHelpMutex);
    gCalls.push_back(call);
    hook = gHook;
  }
  if (hook) hook(call);
  return true;
}

std::vector<HelpCall> helpCalls() {
  std::lock_guard<std::mutex> lock(gHelpMutex);
  return gCalls;
}

void clearHelpCalls() {
  std::lock_guard<std::mutex> lock(gHelpMutex);
  gCalls.clear();
}

std::function<void(const HelpCall&)> setHelpHook(std::function<void(const HelpCall&)> hook) {
  std::lock_guard<std::mutex> lock(gHelpMutex);
  std::swap(gHook, hook);
  return hook;
}

}  // namespace zkui
