#include "regdiag.h"

#include <iostream>

namespace {
std::ostream* gDiagP = nullptr;  // set on the user-interface thread only
}

std::ostream& regDiag() {
  return gDiagP != nullptr ? *gDiagP : std::cerr;
}

void regSetDiag(std::ostream* out) {
  gDiagP = out;
}
