// The three custom actions and their log routines.
#include "tamrelutils.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct LanguageRow {
  const char* langId;  // LANGID as decimal text, compared exactly
  const char* name;
  const char* code;
};

// Looked up in this order; the installer's language numbers of Hebrew and Arabic have no
// wizard language of their own and take English.
constexpr LanguageRow kLanguages[] = {
    {"1028", "Traditional Chinese", "cht"},
    {"2052", "Simplified Chinese", "chs"},
    {"1030", "Danish", "dan"},
    {"1031", "German", "deu"},
    {"1032", "Greek", "ell"},
    {"1033", "English", "enu"},
    {"1034", "Spanish", "esp"},
    {"1035", "Finnish", "fin"},
    {"1036", "French", "fra"},
    {"1053", "Swedish", "sve"},
    {"1054", "Thai", "tha"},
    {"1055", "Turkish", "trk"},
    {"1042", "Korean", "kor"},
    {"1043", "Dutch", "nld"},
    {"1040", "Italian", "ita"},
    {"1041", "Japanese", "jpn"},
    {"3084", "French Canadian", "fra"},
    {"1037", "Hebrew", "enu"},
    {"1038", "Hungarian", "hun"},
    {"1045", "Polish", "plk"},
    {"1046", "Brazilian Portuguese", "ptb"},
    {"2070", "Portuguese", "ptg"},
    {"1049", "Russian", "rus"},
    {"1025", "Arabic", "enu"},
    {"1029", "Czech", "csy"},
    {"1044", "Norwegian", "nor"},
};
constexpr LanguageRow kDefaultLanguage = {"9999", "English", "enu"};

constexpr char kInstallDirPrefix[] = "GetInstallDir/GetInstallDir";
constexpr char kResolvePrefix[] = "TamrelUtils/ResolveLangId";
constexpr char kSystemLanguagePrefix[] = "TamrelUtils/SetPrimarySystemLanguageID";

constexpr UINT kProductCodeRoom = 40;
constexpr UINT kInstallLocationRoom = 261;
constexpr UINT kLanguageRoom = 17;

// Writes one line to the installer log: a one-field record sent as an information message.
void logInfo(MSIHANDLE hInstall, const char* text) {
  MSIHANDLE record = MsiCreateRecord(1);
  MsiRecordSetStringA(record, 1, text);
  MsiProcessMessage(hInstall, INSTALLMESSAGE_INFO, record);
  MsiCloseHandle(record);
}

void logFormatted(MSIHANDLE hInstall, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void logFormatted(MSIHANDLE hInstall, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  logInfo(hInstall, line);
}

// Logs a failed installer call; returns result, so that the caller can end on it.
UINT logIfFailed(MSIHANDLE hInstall, const char* call, const char* prefix, UINT result) {
  if (result != ERROR_SUCCESS) {
    logFormatted(hInstall, "%s: %s failed with return code '%d'.", prefix, call,
                 static_cast<int>(result));
  }
  return result;
}

const LanguageRow* findLanguage(const char* langId) {
  for (const LanguageRow& row : kLanguages) {
    if (std::strcmp(row.langId, langId) == 0) return &row;
  }
  return nullptr;
}

}  // namespace

extern "C" {

UINT GetInstallDir(MSIHANDLE hInstall) {
  char productCode[kProductCodeRoom];
  UINT size = sizeof productCode;
  UINT rc = MsiGetPropertyA(hInstall, "ProductCode", productCode, &size);
  if (logIfFailed(hInstall, "MsiGetProperty", kInstallDirPrefix, rc) != ERROR_SUCCESS) {
    return ERROR_SUCCESS;
  }
  char location[kInstallLocationRoom];
  size = sizeof location;
  rc = MsiGetProductInfoA(productCode, "InstallLocation", location, &size);
  if (logIfFailed(hInstall, "MsiGetProductInfo", kInstallDirPrefix, rc) != ERROR_SUCCESS) {
    return ERROR_SUCCESS;
  }
  rc = MsiSetPropertyA(hInstall, "INSTALLDIR", location);
  logIfFailed(hInstall, "MsiSetProperty", kInstallDirPrefix, rc);
  return ERROR_SUCCESS;
}

// A ProductLanguage that cannot be read counts as not recognised and is shown as "".
UINT ResolveLangId(MSIHANDLE hInstall) {
  char langId[kLanguageRoom];
  UINT size = sizeof langId;
  UINT rc = MsiGetPropertyA(hInstall, "ProductLanguage", langId, &size);
  const LanguageRow* row = nullptr;
  if (logIfFailed(hInstall, "MsiGetProperty", kResolvePrefix, rc) != ERROR_SUCCESS) {
    langId[0] = '\0';
  } else {
    row = findLanguage(langId);
  }
  if (row != nullptr) {
    logFormatted(hInstall, "%s: ProductLanguage '%s' recognized as %s.", kResolvePrefix, langId,
                 row->name);
  } else {
    row = &kDefaultLanguage;
    logFormatted(hInstall, "%s: ProductLanguage '%s' not recognized; %s assumed.", kResolvePrefix,
                 langId, row->name);
  }
  MsiSetPropertyA(hInstall, "TAMRELLANGUAGE", row->code);
  return ERROR_SUCCESS;
}

UINT SetPrimarySystemLanguageID(MSIHANDLE hInstall) {
  char value[kLanguageRoom];
  UINT size = sizeof value;
  UINT rc = MsiGetPropertyA(hInstall, "SystemLanguageID", value, &size);
  char primary[16] = "";
  char sub[16] = "";
  if (logIfFailed(hInstall, "MsiGetProperty", kSystemLanguagePrefix, rc) == ERROR_SUCCESS) {
    long langId = std::strtol(value, nullptr, 10);
    std::snprintf(primary, sizeof primary, "%i", static_cast<int>(langId & 0x3FF));
    std::snprintf(sub, sizeof sub, "%i", static_cast<int>((langId >> 10) & 0x3F));
  }
  rc = MsiSetPropertyA(hInstall, "SYSTEMPRIMARYLANGUAGEID", primary);
  logIfFailed(hInstall, "MsiSetProperty", kSystemLanguagePrefix, rc);
  rc = MsiSetPropertyA(hInstall, "SYSTEMSUBLANGUAGEID", sub);
  logIfFailed(hInstall, "MsiSetProperty", kSystemLanguagePrefix, rc);
  return ERROR_SUCCESS;
}

}  // extern "C"
