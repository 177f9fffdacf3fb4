#include "regres.h"

#include "regstrings.h"

namespace {

class COwnResources : public CRegResourceModule {
 public:
  bool loadString(int id, std::string& text) const override {
    const std::map<int, std::string>& strings = regOwnStrings();
    auto it = strings.find(id);
    if (it == strings.end()) return false;
    text = it->second;
    return true;
  }
};

const COwnResources gOwn;
const CRegResourceModule* gCurrentP = nullptr;  // set at start-up on the user-interface thread

}  // namespace

const CRegResourceModule& regOwnResources() {
  return gOwn;
}

void regSetResourceModule(const CRegResourceModule* module) {
  gCurrentP = module;
}

const CRegResourceModule& regResourceModule() {
  return gCurrentP != nullptr ? *gCurrentP : gOwn;
}

std::string regLoadString(int id) {
  std::string text;
  regResourceModule().loadString(id, text);
  return text;
}
