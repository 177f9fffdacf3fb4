#include "regconfig.h"

#include <cstdlib>

#include "regconst.h"

namespace {

struct SettingRow {
  RegSetting which;
  const char* variable;
  const char* builtIn;
};

constexpr SettingRow kSettings[] = {
    {RegSetting::ServerHost, "TAMREL_SERVER_HOST", regconst::kServerHostName},
    {RegSetting::ServerAddress, "TAMREL_SERVER_ADDRESS", regconst::kServerAddress},
    {RegSetting::ProductSection, "TAMREL_PRODUCT_SECTION", "ZARNAKSQL"},
    {RegSetting::Variant, "TAMREL_VARIANT", "orbenix"},
    {RegSetting::WebAddress, "TAMREL_WEB_ADDRESS", ""},
};

}  // namespace

std::string regSetting(RegSetting which) {
  for (const SettingRow& row : kSettings) {
    if (row.which != which) continue;
    const char* value = std::getenv(row.variable);
    return value != nullptr && *value != '\0' ? value : row.builtIn;
  }
  return "";
}
