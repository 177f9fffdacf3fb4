#include "sqldbvalues.h"

#include <cmath>
#include <cstdio>

namespace {

struct StatusText {
  long status;
  const char* textP;
};
const StatusText kStatusTexts[] = {
    {0, ""},          {32, "Loading"},       {192, "Recovering"}, {256, "Suspect"},
    {512, "Offline"}, {992, "Inaccessible"}, {1024, "Standby"},   {32768, "EmergencyMode"},
};

// The largest kilobyte count whose byte count fits 64 bits.
constexpr double kMaxKilobytes = 18014398509481983.0;

}  // namespace

void sqlDatabaseStatusText(long status, char* textP, size_t textSize) {
  for (const StatusText& s : kStatusTexts) {
    if (s.status == status) {
      snprintf(textP, textSize, "%s", s.textP);
      return;
    }
  }
  snprintf(textP, textSize, "StatusError%li", status);
}

pkInt64 sqlFileSizeBytes(float kilobytes) {
  if (!(kilobytes > 0.0f)) return pkInt64FromNative(0);
  double whole = std::ceil(static_cast<double>(kilobytes));
  if (whole > kMaxKilobytes) whole = kMaxKilobytes;
  uint64_t bytes = static_cast<uint64_t>(whole) * 1024u;
  return pkInt64FromNative(static_cast<int64_t>(bytes));
}

pkInt64 sqlSpaceUsed(pkInt64 size, uint64_t freeBytes) {
  uint64_t total = pkInt64ToNative(size);
  return pkInt64FromNative(static_cast<int64_t>(total > freeBytes ? total - freeBytes : 0));
}
