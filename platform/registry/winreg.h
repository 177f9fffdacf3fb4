/* The registry as the agent sees it: the Win32-style C interface of the registry stand-in.
 *
 * Three roots, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT, each a hive kept as
 * a text file under $ZARNAK_ROOT/registry/. Key paths use backslashes ("SOFTWARE\Orbenix"; one
 * trailing backslash is allowed), key and value names compare without regard to ASCII case and
 * keep the case they were created with. Values keep their type and exactly the bytes written.
 *
 * Every call reads the hive afresh, and every change is written whole under an exclusive lock
 * and renamed into place, so several threads and processes may use the registry at once and a
 * reader never sees a half-written hive. A key handle names its key by path; when the key is
 * deleted under it, calls through the handle give ERROR_KEY_DELETED.
 *
 * Tests make any call fail with a chosen code through faults.h or `regtool fault`.
 *
 * Only the narrow ("A") functions exist; the plain names map to them as in a build without
 * UNICODE. Every function returns ERROR_SUCCESS or an ERROR_* code below; none throws.
 */
#ifndef ZARNAK_PLATFORM_WINREG_H
#define ZARNAK_PLATFORM_WINREG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef DWORD REGSAM;

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;

/* Only ever passed as NULL: the stand-in keeps no security descriptors. */
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

/* Value types. Any other type number may be stored; its bytes are kept as they are. */
#define REG_SZ 1u
#define REG_BINARY 3u
#define REG_DWORD 4u

/* Access rights, checked on every call through a handle (a root handle has them all). */
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

/* Windows error codes; other stand-ins that use some of them define them alike. */
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2L /* no such key or value */
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5L /* handle lacks the right; deleting a root or a key with subkeys */
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L /* not an open key handle */
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L /* bad path or name, missing pointer, unknown option */
#endif
#ifndef ERROR_MORE_DATA
#define ERROR_MORE_DATA 234L /* the caller's buffer is too small; sizes say what is needed */
#endif
#ifndef ERROR_NO_MORE_ITEMS
#define ERROR_NO_MORE_ITEMS 259L /* enumeration index past the last item */
#endif
#ifndef ERROR_BADDB
#define ERROR_BADDB 1009L /* the hive file cannot be parsed */
#endif
#ifndef ERROR_CANTREAD
#define ERROR_CANTREAD 1012L /* the hive file cannot be read */
#endif
#ifndef ERROR_CANTWRITE
#define ERROR_CANTWRITE 1013L /* the hive file cannot be written */
#endif
#ifndef ERROR_KEY_DELETED
#define ERROR_KEY_DELETED 1018L /* the handle's key was deleted */
#endif

/* Opens an existing key below hKey (a root or an open key); NULL or "" opens hKey's own key
 * again. ulOptions must be 0. */
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

/* Opens the key, creating it and every missing parent first. lpClass is kept with a key that
 * this call creates. lpdwDisposition (optional) tells REG_CREATED_NEW_KEY or
 * REG_OPENED_EXISTING_KEY. Needs KEY_CREATE_SUB_KEY on hKey. */
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);

/* Reads a value (NULL or "" is the key's default value). *lpcbData gives the buffer's size and
 * receives the value's size. With lpData NULL only the size is told. When the buffer is too
 * small: ERROR_MORE_DATA, the buffer untouched, *lpcbData the size needed. Strings come back as
 * stored: no terminator is added to one written without it. Needs KEY_QUERY_VALUE. */
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

/* Stores exactly cbData bytes as the value, replacing any value of that name. REG_DWORD takes
 * its number least significant byte first; more than 1 MiB is ERROR_INVALID_PARAMETER. Needs
 * KEY_SET_VALUE. */
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);

/* Releases an open key handle; closing a root is allowed and does nothing. */
LONG RegCloseKey(HKEY hKey);

/* Deletes a key below hKey ("" the key of hKey itself) with its values. A key that still has
 * subkeys, and a root, cannot be deleted: ERROR_ACCESS_DENIED. */
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

/* Deletes one value. Needs KEY_SET_VALUE. */
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

/* The name of subkey number dwIndex, subkeys in order of their names without regard to case.
 * *lpcchName: in, the buffer's size in characters with the terminator; out, the name's length.
 * A name that does not fit gives ERROR_MORE_DATA. lpClass and lpcchClass (optional) work alike
 * for the key's class text. The stand-in keeps no write times: a given lpftLastWriteTime is set
 * to 0. Needs KEY_ENUMERATE_SUB_KEYS. */
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);

/* Value number dwIndex, values in the order they were first set. The name works as in
 * RegEnumKeyExA; type and data (all optional) as in RegQueryValueExA. A name or data buffer
 * too small gives ERROR_MORE_DATA with neither filled (*lpcbData then tells the data's size).
 * Needs KEY_QUERY_VALUE. */
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

#define RegOpenKeyEx RegOpenKeyExA
#define RegCreateKeyEx RegCreateKeyExA
#define RegQueryValueEx RegQueryValueExA
#define RegSetValueEx RegSetValueExA
#define RegDeleteKey RegDeleteKeyA
#define RegDeleteValue RegDeleteValueA
#define RegEnumKeyEx RegEnumKeyExA
#define RegEnumValue RegEnumValueA

#ifdef __cplusplus
}
#endif

#endif /* ZARNAK_PLATFORM_WINREG_H */
