// The table from the library this program links.
#include "api_table.h"

const Api& api() {
  static const Api table = [] {
    Api a;
#define HUBLOR_BIND(name) a.name = &::name;
    HUBLOR_ENTRY_POINTS(HUBLOR_BIND)
    HUBLOR_CONTROLS(HUBLOR_BIND)
#undef HUBLOR_BIND
    return a;
  }();
  return table;
}
