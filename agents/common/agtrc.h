// Agent return codes with one meaning across the agent. Every engine function returns one of
// these (or a code of its own subsystem); 0 is success.
#pragma once

constexpr int RC_OK = 0;
constexpr int RC_API_LOAD_FAILED = 104;        // interface library or an entry point missing
constexpr int RC_API_VERSION_TOO_OLD = 107;    // interface version too old
constexpr int RC_API_LEVEL_TOO_OLD = 108;      // interface version too old
constexpr int RC_RING_CANCELLED = 200;         // a transfer was cancelled inside its buffer ring
constexpr int RC_END_OF_DATA = 201;            // end of data in a buffer ring
constexpr int RC_DISK_SPACE_FAILED = 401;      // the disk space cannot be determined
constexpr int RC_CREATE_DIR_FAILED = 403;      // a directory cannot be created
constexpr int RC_NAME_TOO_LONG = 404;          // a directory or path name is too long
constexpr int RC_DISK_FULL = 405;              // not enough free disk space for a file
constexpr int RC_FILE_OPEN_FAILED = 406;       // a file cannot be opened
constexpr int RC_FILE_STATUS_FAILED = 407;     // a file's status cannot be read
constexpr int RC_FILE_READ_OPEN_FAILED = 408;  // a file cannot be opened for reading
constexpr int RC_FILE_READ_FAILED = 409;       // a file cannot be read
constexpr int RC_PREF_NOT_STORED = 410;        // a preference value was not stored
constexpr int RC_FILE_WRITE_FAILED = 411;      // a file cannot be written
constexpr int RC_FILE_CLOSE_FAILED = 414;      // a file cannot be closed
constexpr int RC_CANCELED_BY_USER = 415;
constexpr int RC_API_CALL_FAILED = 418;  // an interface call failed
constexpr int RC_INTERNAL_ERROR = 419;
constexpr int RC_PREF_BAD_VALUE = 420;  // a value outside its accepted range
constexpr int RC_NO_MEMORY = 421;
constexpr int RC_CANCELLED_BY_SQL = 427;     // SQL Server ended the virtual device conversation
constexpr int RC_VDI_ABORTED = 428;          // the virtual device set was aborted
constexpr int RC_VDI_NOT_REGISTERED = 1902;  // the virtual device server is not installed
constexpr int RC_VDI_CREATE_FAILED = 1911;   // the virtual device set cannot be created
constexpr int RC_VDI_FAILED = 1915;          // any other virtual device failure
constexpr int RC_CONVERSION_FAILED = 2000;   // a text cannot be converted
constexpr int RC_COM_INIT_FAILED = 2002;     // COM cannot be initialised for the thread

// The exit status a program ends with for a return code: the code's low byte, or 255 for a
// failure whose low byte is 0 (256 and its multiples), which would otherwise read as success.
constexpr int exitStatusOf(int rc) {
  int status = rc & 0xFF;
  return rc != RC_OK && status == 0 ? 255 : status;
}
