// The user's preferences: the 17 keywords of the configuration file zarnaksql.cfg, each
// checked against its limits and copied into the options record.
//
// Built-in defaults come first, then the configuration file (read with the use-default flag
// set, so that a bad value falls back to its default silently), then the command line. The Set
// command writes a preference back through the same checks. The texts of rejected values are
// trace lines (CONFIG); the user sees the message of the return code.
//
// Ownership: CPreferences owns its store. Concurrency: none; one thread at a time.
#pragma once

#include <cstddef>

#include "optinfo.h"

class BaseDataClass;

// Keyword ids, in the order getAllPreferences reads them.
enum PrefKeyword {
  PREF_BUFFERS = 0,
  PREF_BUFFERSIZE = 1,
  PREF_DATEFORMAT = 2,
  PREF_DIFFESTIMATE = 3,
  PREF_FROMSQLSERVER = 4,
  PREF_LANGUAGE = 5,
  PREF_LASTPRUNEDATE = 6,
  PREF_LOGFILE = 7,
  PREF_LOGPRUNE = 8,
  PREF_MOUNTWAIT = 9,
  PREF_NUMBERFORMAT = 10,
  PREF_SQLAUTH = 11,
  PREF_SQLBUFFERS = 12,
  PREF_SQLBUFFERSIZE = 13,
  PREF_SQLSERVER = 14,
  PREF_STRIPES = 15,
  PREF_TIMEFORMAT = 16,
  PREF_NUM_KEYWORDS = 17
};

// A value text long enough for every accepted value and one character more, so that a value
// too long for its keyword is still seen as too long.
constexpr size_t PREF_VALUE_SIZE = OPT_LOG_FILE_SIZE + 1;

// The keyword of an id as written in the file ("BUFFers", ...); null for an unknown id.
const char* prefKeyword(int id);

class CPreferences {
 public:
  // Reads the configuration file (a missing file: every preference takes its default).
  explicit CPreferences(const char* configFileP);
  ~CPreferences();
  CPreferences(const CPreferences&) = delete;
  CPreferences& operator=(const CPreferences&) = delete;

  // Reads the keyword's value (empty when absent) into valueP and checks it with processPref.
  // 0, 420, or 419 for an unknown id or no store.
  int getPreferences(int id, char* valueP, size_t valueSize, OptionsInfo* optionsP, int useDefault);
  // Every keyword in id order, stopping at the first failure; then the source server becomes
  // the SQL server in upper case unless the file named one (whose "given" flag is cleared).
  int getAllPreferences(OptionsInfo* optionsP, int useDefault);
  // Checks the value (defaults not applied), stores it and writes the file back. 0, 410 (not
  // stored), 419, 420, or the file's write code (406, 411).
  int setPreferences(int id, const char* valueP, OptionsInfo* optionsP);
  // Checks and converts one value in place (valueSize bytes), storing it in the options record
  // when one is given. With useDefault, a bad value becomes the default. 0, 420 or 419.
  static int processPref(int id, char* valueP, size_t valueSize, OptionsInfo* optionsP,
                         int useDefault);

 private:
  BaseDataClass* m_pBaseData;
};
