// Agent directories, paths and the small system services of the portability layer.
//
// The agent finds its own directory and the storage-manager interface's directory in the
// "Path" values that its installation writes to the registry; the configuration file and the
// interface's option file live in the agent directory. Paths use '/'; every directory handed
// out ends with one.
//
// The path operations take a buffer and its size in bytes, empty the buffer first and return
// 0 or the registry code (1700 key missing, 1701 value missing or too long for the buffer);
// the text left in the buffer is usable regardless (a bare file name, or empty). Failures are
// traced under GENeral (paths) or FILEOPs (files and disks); none writes a user message.
// Every operation may run on any thread; only the password reader and the Enter-key wait
// change the terminal's settings, for the time of the call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "agtrc.h"
#include "pkint64.h"

// Registry locations under HKEY_LOCAL_MACHINE: the base, the agent's subkey word and the
// interface's; the key paths are "%s%s\\" of base and word.
extern const char PS_PRODUCT_KEY[];          // "SOFTWARE\Orbenix\Moxtar\CurrentVersion\"
extern const char PS_AGENT_NAME[];           // "ZARNAKSQL"
extern const char PS_API_NAME[];             // "Api"
extern const char PS_PATH_VALUE[];           // "Path"
extern const char PS_CONFIG_FILE[];          // "zarnaksql.cfg"
extern const char PS_API_OPT_FILE[];         // "pelk.opt"
constexpr size_t PS_MAX_CREATE_PATH = 1024;  // longest directory part psCreateDirectory takes

// Appends a '/' to a directory that does not end with one (an empty text stays empty). 1, or
// 0 when the '/' does not fit the buffer (the text is then unchanged).
int psEnsureTrailingSlash(char* bufferP, size_t size);

// The agent directory, a '/' appended when the stored value has none; empty when the read
// fails (or the '/' does not fit: 1701). An empty value stays empty (the current directory).
int psGetAgentDir(char* bufferP, size_t size);
// The directory of the activity log, trace and prune files: the agent directory.
int psGetAgentLog(char* bufferP, size_t size);
// Agent directory + "zarnaksql.cfg"; the bare name when the path does not fit (or the read
// failed), empty when not even that fits. Returns the registry code all the same.
int psGetAgentConfig(char* bufferP, size_t size);
// The storage-manager interface directory, like psGetAgentDir.
int psGetMOXTARAPIDir(char* bufferP, size_t size);
// Where the interface writes its error log: the agent directory.
int psGetMOXTARAPILog(char* bufferP, size_t size);
// Agent directory + "pelk.opt", like psGetAgentConfig.
int psGetMOXTARAPIConfig(char* bufferP, size_t size);

// The kernel's version: major, minor and patch level (low 16 bits) of its release, and the
// platform number 2 (the family of systems this agent runs on). Non-zero on success.
int psGetOsVersion(uint32_t* majorP, uint32_t* minorP, uint32_t* buildP, uint32_t* platformP);
// One less than the terminal's height and width; 9999 and 9999 when standard output is not a
// terminal; 23 and 79 when the terminal tells no size. Nothing when either pointer is null.
void psGetConsoleSize(int* rowsP, int* columnsP);
// Non-zero when standard output is not a terminal.
int psStdoutRedirected();
// Reads a hidden entry of at most size - 1 characters: on a terminal a one-line editor that
// echoes '*' (backspace, delete, arrows, insert mode; Enter ends), otherwise one plain line of
// standard input. Returns the length of the text, or -1 (the text empty) when the console
// input was cancelled (psCancelConsoleInput), before or while it waited.
int psReadPassword(char* bufferP, int size);
// Reads keys without echo until Enter (or the end of input). Returns 0, or -1 when the console
// input was cancelled.
int psWaitForEnterKey();
// Cancels the console input for the rest of the process: a read waiting for a key or a line
// ends at once, and every later one ends without waiting. From any thread.
void psCancelConsoleInput();
// Puts back the terminal settings a hidden entry or a wait for Enter changed, when one is
// under way; nothing otherwise. No entry switches the terminal to raw keys afterwards. From
// any thread, on the way out of the program.
void psRestoreConsole();
// Clears the terminal with the shell command "clear"; the command's result.
int psClearScreen();

// Console control events, with the numbers the agent knows them by.
constexpr uint32_t PS_CTRL_C_EVENT = 0;         // SIGINT
constexpr uint32_t PS_CTRL_BREAK_EVENT = 1;     // SIGQUIT
constexpr uint32_t PS_CTRL_CLOSE_EVENT = 2;     // SIGHUP: the terminal went away
constexpr uint32_t PS_CTRL_LOGOFF_EVENT = 5;    // never raised here
constexpr uint32_t PS_CTRL_SHUTDOWN_EVENT = 6;  // SIGTERM
// A console control handler: non-zero when it handled the event.
typedef int (*psConsoleCtrlHandler)(uint32_t event);
// Hands SIGINT, SIGQUIT, SIGHUP and SIGTERM to the handler as console control events, on a
// thread of their own that waits for them (sigwait). Call it before the process starts any
// other thread: the signals are blocked in the calling thread, and threads started later
// inherit that. An event the handler does not handle (0) ends the process as the signal's
// default action does. One handler per process; a second call replaces the handler. SIGPIPE
// is ignored from then on: a write to a closed pipe fails (EPIPE) and the program goes on.
// 0, or 419 when the thread cannot be started.
int psSetConsoleCtrlHandler(psConsoleCtrlHandler handlerP);

// *isFileP becomes 1 for an existing entry that is not a directory, else 0. 0, or 419 when
// the entry cannot be looked up for another reason than its absence.
int psIsAFile(const char* fileNameP, int* isFileP);
// Free bytes for the caller and total bytes of the disk that holds the path's directory (the
// path up to its last '/'; a path without one is used whole). Both 0 first. 0 or 401.
int psGetDiskSpaceInfo(const char* pathP, pkInt64* freeBytesP, pkInt64* diskSizeP);
int psGetFreeDiskBytes(const char* pathP, pkInt64* freeBytesP);
int psGetDiskSize(const char* pathP, pkInt64* diskSizeP);
// Creates every missing directory of the file path's directory part (up to its last '/').
// A path beginning with "//" names a share: its first two components are never created.
// 0, 403 (cannot be created, or exists as a file), 404 (over 1024 characters) or 419.
int psCreateDirectory(const char* filePathP);
// Splits a path into drive (always empty here: paths have no drive), directory (up to and
// including the last '/') and file name (base name and extension). Each output is optional
// (null) and takes its buffer's size. 0, or 404 when a part does not fit its buffer (that
// part is then empty).
int psSplitPath(const char* pathP, char* driveP, size_t driveSize, char* dirP, size_t dirSize,
                char* fileP, size_t fileSize);
// The first character of the system directory's path: '/' here.
char psGetSystemDrive();
// The program that opens ".htm" files (HKEY_CLASSES_ROOT), without its arguments when quoted.
// The registry code.
int psGetHtmlOpenCommand(char* bufferP, size_t size);
// The browser's directory from its "App Paths" entry, a trailing ';' removed and a '/'
// ensured. The registry code.
int psGetBrowserPath(char* bufferP, size_t size);

// The computer's name as the network knows it: the host name up to its first '.', in upper
// case, at most 15 characters. Empty when it cannot be read.
void psGetComputerName(char* bufferP, size_t size);

// Makes room in a growable wide string (*stringPP, *sizeP bytes) for `count` more characters;
// a null string becomes an allocated empty one. Sizes grow to the next multiple of the
// growth interval (1 when 0) above the bytes needed. 0, or 421 with *sizeP 0 (the string
// itself stays) when memory runs out. Blocks come from MALLOC/REALLOC: give them back with FREE.
int enlargeWideString(char16_t** stringPP, uint32_t* sizeP, uint32_t count, uint32_t growth);
// Appends a wide text, enlarging first. 0 or 421.
int growWideString(char16_t** stringPP, uint32_t* sizeP, const char16_t* sourceP, uint32_t growth);
// Appends a narrow (UTF-8) text converted to UTF-16, enlarging by its length first. 0, 421, or
// 2000 when the text is not valid UTF-8 (the string then keeps its old text).
int growWideString(char16_t** stringPP, uint32_t* sizeP, const char* sourceP, uint32_t growth);
