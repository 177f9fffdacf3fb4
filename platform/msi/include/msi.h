/* The installer session as a custom action sees it: the C interface of the installer stand-in.
 *
 * A handle names a session (an install handle: a property table, the products the machine has
 * installed, and a log) or a record (fields 0 to n of text). Handles are process-wide, safe for
 * several threads, and stay valid until MsiCloseHandle. Sessions are opened through session.h.
 *
 * Only the narrow ("A") functions exist; texts are UTF-8. Size rules of the functions that fill
 * a buffer: *pcchValueBuf gives the buffer's size in characters with the terminator and receives
 * the value's length without it. When the value does not fit: ERROR_MORE_DATA, the buffer holds
 * as much of the value as fits, terminated, and *pcchValueBuf the length needed. With the
 * buffer NULL only the length is told.
 */
#ifndef ZARNAK_PLATFORM_MSI_H
#define ZARNAK_PLATFORM_MSI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MSI_EXPORT __attribute__((visibility("default")))

typedef uint32_t MSIHANDLE;
typedef unsigned int UINT;
typedef char* LPSTR;
typedef const char* LPCSTR;

/* The kind of a message to the session: the high byte of the message type. */
typedef enum tagINSTALLMESSAGE {
  INSTALLMESSAGE_FATALEXIT = 0x00000000,
  INSTALLMESSAGE_ERROR = 0x01000000,
  INSTALLMESSAGE_WARNING = 0x02000000,
  INSTALLMESSAGE_USER = 0x03000000,
  INSTALLMESSAGE_INFO = 0x04000000
} INSTALLMESSAGE;

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L /* not an open handle, or one of the wrong kind */
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L /* missing name or size pointer, field out of range */
#endif
#ifndef ERROR_MORE_DATA
#define ERROR_MORE_DATA 234L /* the caller's buffer is too small; the size tells what is needed */
#endif
#ifndef ERROR_INSTALL_FAILURE
#define ERROR_INSTALL_FAILURE 1603L
#endif
#ifndef ERROR_UNKNOWN_PRODUCT
#define ERROR_UNKNOWN_PRODUCT 1605L /* the product is not installed */
#endif
#ifndef ERROR_UNKNOWN_PROPERTY
#define ERROR_UNKNOWN_PROPERTY 1608L /* the product has no such information */
#endif

#define IDOK 1

/* Reads a property of the session; a property never set reads as "". */
MSI_EXPORT UINT MsiGetPropertyA(MSIHANDLE hInstall, LPCSTR szName, LPSTR szValueBuf,
                                UINT* pcchValueBuf);

/* Sets a property; NULL or "" removes it. */
MSI_EXPORT UINT MsiSetPropertyA(MSIHANDLE hInstall, LPCSTR szName, LPCSTR szValue);

/* One piece of information ("InstallLocation", ...) of an installed product, by product code.
 * The products are those of the session opened last that is still open. */
MSI_EXPORT UINT MsiGetProductInfoA(LPCSTR szProduct, LPCSTR szAttribute, LPSTR lpValueBuf,
                                   UINT* pcchValueBuf);

/* A record with fields 0 to cParams, none set; 0 when no record can be made. */
MSI_EXPORT MSIHANDLE MsiCreateRecord(UINT cParams);

/* Sets field iField (0 to the record's count) to a copy of szValue; NULL clears it. */
MSI_EXPORT UINT MsiRecordSetStringA(MSIHANDLE hRecord, UINT iField, LPCSTR szValue);

/* The record's highest field number; -1 for a handle that is not a record. */
MSI_EXPORT UINT MsiRecordGetFieldCount(MSIHANDLE hRecord);

/* Sends the record to the session's log as a message of the kind in eMessageType. The line is
 * field 0 used as a template, "[n]" standing for field n, or without a template the fields
 * 1 to n that are set, separated by blanks. IDOK when logged, -1 for a wrong handle. */
MSI_EXPORT int MsiProcessMessage(MSIHANDLE hInstall, INSTALLMESSAGE eMessageType,
                                 MSIHANDLE hRecord);

/* Releases a session or record handle. */
MSI_EXPORT UINT MsiCloseHandle(MSIHANDLE hAny);

#define MsiGetProperty MsiGetPropertyA
#define MsiSetProperty MsiSetPropertyA
#define MsiGetProductInfo MsiGetProductInfoA
#define MsiRecordSetString MsiRecordSetStringA

/* The signature of a custom action: the session in, ERROR_SUCCESS or a failure out. */
typedef UINT (*MsiCustomAction)(MSIHANDLE hInstall);

#ifdef __cplusplus
}
#endif

#endif /* ZARNAK_PLATFORM_MSI_H */
