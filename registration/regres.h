// Where the wizard's resources come from: the program's own (built in, English) or the
// language library chosen at start-up, which then serves every later look-up.
#pragma once

#include <string>

// One source of resources: the program's own, or a loaded language library.
class CRegResourceModule {
 public:
  virtual ~CRegResourceModule() = default;
  // False when the module has no string of that id.
  virtual bool loadString(int id, std::string& text) const = 0;
};

// The program's own resources.
const CRegResourceModule& regOwnResources();

// Makes module the source of every later look-up; nullptr: the program's own again. The module
// must outlive its use. Called on the user-interface thread at start-up.
void regSetResourceModule(const CRegResourceModule* module);
const CRegResourceModule& regResourceModule();

// String id of the current source; "" when it has none.
std::string regLoadString(int id);
