#include "dguiopts.h"

OptionsInfo& guiOptions() {
  static OptionsInfo options;
  return options;
}
