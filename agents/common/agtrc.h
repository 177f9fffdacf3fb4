// Agent return codes with one meaning across the agent. Every engine function returns one of
// these (or a code of its own subsystem); 0 is success.
#pragma once

constexpr int RC_OK = 0;
constexpr int RC_API_LOAD_FAILED = 104;      // interface library or an entry point missing
constexpr int RC_API_VERSION_TOO_OLD = 107;  // interface version too old
constexpr int RC_API_LEVEL_TOO_OLD = 108;    // interface version too old
constexpr int RC_RING_CANCELLED = 200;       // a transfer was cancelled inside its buffer ring
constexpr int RC_END_OF_DATA = 201;          // end of data in a buffer ring
constexpr int RC_FILE_OPEN_FAILED = 406;     // a file cannot be opened
constexpr int RC_CANCELED_BY_USER = 415;
constexpr int RC_INTERNAL_ERROR = 419;
constexpr int RC_NO_MEMORY = 421;
