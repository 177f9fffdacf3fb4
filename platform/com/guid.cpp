#include <cstdio>

#include "comtypes.h"

int StringFromGUID2(REFGUID g, LPOLESTR buffer, int cchMax) {
  constexpr int kChars = 39;  // braces, 32 digits, 4 hyphens and the terminator
  if (buffer == nullptr || cchMax < kChars) return 0;
  char text[kChars];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), unsigned{g.Data2}, unsigned{g.Data3},
                unsigned{g.Data4[0]}, unsigned{g.Data4[1]}, unsigned{g.Data4[2]},
                unsigned{g.Data4[3]}, unsigned{g.Data4[4]}, unsigned{g.Data4[5]},
                unsigned{g.Data4[6]}, unsigned{g.Data4[7]});
  for (int i = 0; i < kChars; ++i) buffer[i] = static_cast<OLECHAR>(text[i]);
  return kChars;
}
