// The windowed program's one SQL access object (gSqlApiP, sqlapi.h) and the lock that
// serialises its use: the user-interface thread's queries and a command's worker never use it
// at the same time, and a refresh never replaces it while a command holds it. A command runner
// holds the lock for the whole command; a query holds it for the query.
#pragma once

#include <mutex>

#include "optinfo.h"

// Waits for the object (a query of the user-interface thread, or a command for its run).
std::unique_lock<std::mutex> lockSqlAccess();

// Creates the object from the record's server, user, password and authentication kind and
// stores it in gSqlApiP: 0, the object's code, or 421. A failing object is kept, as the engine
// reports its failure at the next use.
int createSqlAccess(const OptionsInfo& options);
// Replaces the object with a new one from the record, unless a command holds it: then the
// present object stays and the result is false. *rcP receives createSqlAccess's code.
bool renewSqlAccess(const OptionsInfo& options, int* rcP);
// Frees the object and clears gSqlApiP.
void freeSqlAccess();
