// The SQL Server login that the login dialog confirms: the choice goes to the configuration
// file (SQLAUTHentication), the options record of the running program and, for a SQL user id,
// the registry, where the engine's stored-login reader (sqlreg.h) finds it again. The key of a
// server follows the reader's rule: an empty server name is the default server's key. The
// password is stored scrambled, never in clear. User-interface thread only.
#pragma once

#include <string>

#include "optinfo.h"
#include "sqlreg.h"

// Longest texts the dialog's edits take: what the reader gives back.
constexpr int DSQLLOGIN_USER_MAX = SQL_USERID_SIZE - 1;
constexpr int DSQLLOGIN_PASSWORD_MAX = SQL_PASSWORD_SIZE - 1;

// What the dialog collects: 0 integrated, 1 SQL user id, with the user id and the password.
struct DSqlLoginChoice {
  int authentication = OPT_SQLAUTH_INTEGRATED;
  std::string user;
  std::string password;
};

// What the dialog shows when it opens for the options record's server: the stored user of a
// SQL user id login ("sa" when none can be read), an empty password, the edits enabled only
// for a SQL user id.
struct DSqlLoginStart {
  DSqlLoginChoice choice;
  bool editsEnabled = false;
};
DSqlLoginStart sqlLoginStart(const OptionsInfo& options);

// Writes "SQL_A" (the user), "SQL_E" (1) and "SQL_P" (the scrambled password) under the
// server's key, which must exist. 0 when "SQL_P" was written, else the registry code (a user
// or password too long for the reader is refused with 1703 before anything is written).
int saveLoginToRegistry(const char* serverP, const char* userP, const char* passwordP);

// The dialog's OK: integrated deletes the server's stored login (only when one can be read)
// and clears the record's user and password; a SQL user id is written first and, only when
// that succeeded, becomes the record's login. The preference is stored in the record's
// configuration file. Failures are traced only; nothing is shown.
void storeSqlLogin(OptionsInfo* optionsP, const DSqlLoginChoice& choice);
