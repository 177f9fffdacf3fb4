// The SQL Server login kept in the registry: one user id and one scrambled password per SQL
// Server, under the agent's key, for SQL Server authentication without a password on the
// command line. The windowed program's login dialog writes them; both programs read them here.
//
// Key (HKEY_LOCAL_MACHINE): "SOFTWARE\Orbenix\Moxtar\CurrentVersion\ZARNAKSQL\" + the server
// name as given ("DefaultServer" for an empty name); "MACHINE\INSTANCE" is two levels.
// Values: "SQL_A" the user id (text), "SQL_E" the scrambling kind (number, 1), "SQL_P" the
// scrambled password block. The password is never stored or traced in clear.
#pragma once

#include <cstddef>

#include "registry.h"
#include "sqltypes.h"  // SQL_PASSWORD_SIZE

constexpr int SQL_USERID_SIZE = 128;  // a user id of at most 127 characters

extern const char SQL_REG_USERID[];      // "SQL_A"
extern const char SQL_REG_ENCRYPTION[];  // "SQL_E"
extern const char SQL_REG_PASSWORD[];    // "SQL_P"

// Builds the login's key path into keyPathP (keyPathSize bytes). 1, or 0 when it does not fit.
int sqlRegKeyPath(const char* serverP, char* keyPathP, size_t keyPathSize);

// Reads the stored login of the server into userIdP (SQL_USERID_SIZE bytes) and passwordP
// (SQL_PASSWORD_SIZE bytes). 0 when both were set; otherwise a registry code (1700 key, 1701
// value), and the caller has no stored login: a missing value, an unknown scrambling kind, a
// damaged block and a password over 128 characters all give 1701. The key is created when
// missing, so a first call for a new server leaves an empty key behind. The user id is already
// set when only the password part fails; the password output is emptied first.
int getSqlAccountInfo(const char* serverP, char* userIdP, char* passwordP);
