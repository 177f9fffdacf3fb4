// CSqlApi: narrow and wide text with strict size limits, and the texts of failed COM and
// system calls. Sizes are bytes of the destination, terminator included; lengths count what
// the destination holds (wide characters, or bytes of narrow text).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "agtlog.h"
#include "errormsg.h"
#include "msgout.h"
#include "nlsglob.h"
#include "nlstable.h"
#include "psstr.h"
#include "sqlapiint.h"

namespace {

constexpr int kShownChars = 24;     // characters of a too long source shown in its text
constexpr size_t kWholeShown = 27;  // a source this long is shown whole in a failed call
constexpr size_t kUpperCaseLimit = 262;
constexpr int MSG_NAME_DOES_NOT_FIT = 5430;  // "SQL Server gave a name the agent cannot hold..."

size_t narrowLength(const char* textP) {
  const nlsFuncTable* tableP = nlsGlobals()->m_FuncTableP;
  return tableP != nullptr && tableP->m_StrLen != nullptr ? tableP->m_StrLen(textP)
                                                          : psStrLen(textP);
}

// The first characters of a wide text as narrow text, for the failure texts.
const char* wideHead(const WCHAR* srcP, size_t chars, char (&textP)[128]) {
  WCHAR head[kWholeShown + 1];
  size_t n = 0;
  for (; n < chars && n < kWholeShown && srcP[n] != 0; ++n) head[n] = srcP[n];
  head[n] = 0;
  return sqlWideToText(head, textP, sizeof textP);
}

// Characters (code points) of a wide text: a surrogate pair is one.
size_t characterCount(const WCHAR* srcP) {
  size_t count = 0;
  for (size_t i = 0; srcP[i] != 0; ++i) count += srcP[i] < 0xDC00 || srcP[i] > 0xDFFF ? 1 : 0;
  return count;
}

// A name from SQL Server that its field cannot hold is refused, never shortened; the activity
// log tells the user which name, counted in characters.
void logNameDoesNotFit(const WCHAR* srcP, size_t bytes, size_t maxBytes) {
  if (gLogP == nullptr) return;
  char head[128];
  std::string shown = wideHead(srcP, kShownChars, head);
  if (sqlWideLen(srcP) > static_cast<size_t>(kShownChars)) shown += "...";
  gLogP->LogActivityLog(MSG_NAME_DOES_NOT_FIT, shown.c_str(), characterCount(srcP), bytes,
                        maxBytes);
}

}  // namespace

void CSqlApi::SetSystemErrorText() {
  uint32_t error = sqlGetLastError();
  const char* textP = sqlSystemErrorText(error);
  if (textP != nullptr) {
    snprintf(mszErrorText, sizeof mszErrorText, "GetLastError:%i %s", static_cast<int>(error),
             textP);
  } else {
    snprintf(mszErrorText, sizeof mszErrorText, "GetLastError:%i Message text not available.",
             static_cast<int>(error));
  }
}

int CSqlApi::CopyNToU(const char* srcP, WCHAR* destP, size_t destBytes) {
  static const char* const kOp = "CSqlApi::CopyNToU";
  size_t maxChars = destBytes / 2 >= 1 ? destBytes / 2 - 1 : 0;
  long needed = sqlWideLengthOf(srcP);
  size_t length = needed >= 0 ? static_cast<size_t>(needed) : narrowLength(srcP);
  if (length > maxChars) {
    int shown = static_cast<int>(sqlNarrowHeadBytes(srcP, kShownChars, SIZE_MAX));
    snprintf(mszErrorText, sizeof mszErrorText, "%s:%i:%i strlen(%.*s...):%i > %i", kOp, mlApiLine,
             RC_SQL_STRING_TOO_LONG, shown, srcP, static_cast<int>(length),
             static_cast<int>(maxChars));
    snprintf(mszRcName, sizeof mszRcName, "%s", sqlRcName(RC_SQL_STRING_TOO_LONG));
    SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
    return RC_SQL_STRING_TOO_LONG;
  }
  if (sqlNarrowToWide(srcP, destP, maxChars + 1) != 0) return RC_OK;
  size_t srcLength = narrowLength(srcP);
  if (srcLength > kWholeShown) {
    snprintf(mszFailedCall, sizeof mszFailedCall, "%s:%i:%i MultiByteToWideChar(%.*s...)", kOp,
             mlApiLine, RC_SQL_API_FAILURE,
             static_cast<int>(sqlNarrowHeadBytes(srcP, kShownChars, SIZE_MAX)), srcP);
  } else {
    snprintf(mszFailedCall, sizeof mszFailedCall, "%s:%i:%i MultiByteToWideChar(%s)", kOp,
             mlApiLine, RC_SQL_API_FAILURE, srcP);
  }
  snprintf(mszRcName, sizeof mszRcName, "%s", SQLAPI_RC_API_FAILURE);
  SetSystemErrorText();
  SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
  return RC_SQL_API_FAILURE;
}

int CSqlApi::CopyWideToNarrow(const char* opP, const char* tooLongFormatP, const WCHAR* srcP,
                              char* destP, size_t destBytes) {
  size_t maxBytes = destBytes >= 1 ? destBytes - 1 : 0;
  long needed = sqlNarrowLengthOf(srcP);
  size_t length = needed >= 0 ? static_cast<size_t>(needed) : sqlWideLen(srcP);
  char head[128];
  if (length > maxBytes) {
    size_t shown = maxBytes < static_cast<size_t>(kShownChars) ? maxBytes : kShownChars;
    snprintf(mszErrorText, sizeof mszErrorText, tooLongFormatP, opP, mlApiLine,
             RC_SQL_STRING_TOO_LONG, wideHead(srcP, shown, head), static_cast<int>(length),
             static_cast<int>(maxBytes));
    snprintf(mszRcName, sizeof mszRcName, "%s", "RC_SQL_STRING_TOO_LONG");
    SQLAPI_TRACE("SQLAPI-%s %s\n", opP, mszErrorText);
    logNameDoesNotFit(srcP, length, maxBytes);
    return RC_SQL_STRING_TOO_LONG;
  }
  if (sqlWideToNarrow(srcP, destP, destBytes) != 0) return RC_OK;
  bool whole = sqlWideLen(srcP) <= kWholeShown;
  snprintf(mszFailedCall, sizeof mszFailedCall,
           whole ? "%s:%i:%i WideCharToMultiByte(%s)" : "%s:%i:%i WideCharToMultiByte(%s...)", opP,
           mlApiLine, RC_SQL_API_FAILURE, wideHead(srcP, whole ? kWholeShown : kShownChars, head));
  snprintf(mszRcName, sizeof mszRcName, "%s", SQLAPI_RC_API_FAILURE);
  SetSystemErrorText();
  SQLAPI_TRACE("SQLAPI-%s %s\n", opP, mszErrorText);
  return RC_SQL_API_FAILURE;
}

int CSqlApi::CopyUToN(const WCHAR* srcP, char* destP, size_t destBytes) {
  static const WCHAR kEmpty[] = {0};
  return CopyWideToNarrow("CSqlApi::CopyUToN", "%s:%i:%i strlen(%s...):%i>%i",
                          srcP != nullptr ? srcP : kEmpty, destP, destBytes);
}

int CSqlApi::CopyBToN(BSTR srcP, char* destP, size_t destBytes) {
  static const char* const kOp = "CSqlApi::CopyBToN";
  static const WCHAR kEmpty[] = {0};
  UINT bstrLength = SysStringLen(srcP);
  size_t textLength = sqlWideLen(srcP);
  if (bstrLength != textLength) {
    snprintf(mszErrorText, sizeof mszErrorText, "%s:%i:%i StringLenB:%i != StringLenU:%i", kOp,
             mlApiLine, RC_SQL_API_FAILURE, static_cast<int>(bstrLength),
             static_cast<int>(textLength));
    snprintf(mszRcName, sizeof mszRcName, "%s", sqlRcName(RC_SQL_API_FAILURE));
    SQLAPI_TRACE("SQLAPI-%s %s\n", kOp, mszErrorText);
    return RC_SQL_API_FAILURE;
  }
  return CopyWideToNarrow(kOp, "%s:%i:%i strlen(%s...):%i>=%i", srcP != nullptr ? srcP : kEmpty,
                          destP, destBytes);
}

int CSqlApi::CopyBToNAndFree(BSTR& srcP, char* destP, size_t destBytes) {
  int rc = CopyBToN(srcP, destP, destBytes);
  FreeTimed(srcP);
  return rc;
}

int CSqlApi::QuoteNameU(const char* nameP, WCHAR* destP, size_t destBytes) {
  if (destBytes < 3 * sizeof(WCHAR)) {
    snprintf(mszErrorText, sizeof mszErrorText, "%s:%i:%i [%.*s...]:%i", "CSqlApi::QuoteNameU",
             mlApiLine, RC_SQL_STRING_TOO_LONG, kShownChars, nameP, static_cast<int>(destBytes));
    snprintf(mszRcName, sizeof mszRcName, "%s", sqlRcName(RC_SQL_STRING_TOO_LONG));
    return RC_SQL_STRING_TOO_LONG;
  }
  int rc = CopyNToU(nameP, destP + 1, destBytes - 4);
  if (rc != RC_OK) return rc;
  size_t length = sqlWideLen(destP + 1);
  destP[0] = u'[';
  destP[length + 1] = u']';
  destP[length + 2] = 0;
  return RC_OK;
}

bool CSqlApi::IsUpperCaseB(BSTR textP) {
  size_t length = SysStringLen(textP);
  if (length > kUpperCaseLimit || length != sqlWideLen(textP)) return true;
  for (size_t i = 0; i < length; ++i) {
    if (textP[i] >= u'a' && textP[i] <= u'z') return false;
  }
  return true;
}

// ---- COM error texts ----

void CSqlApi::FormatComErrorText(HRESULT hr, char* bufP) {
  constexpr size_t kSize = 1024;
  IErrorInfo* infoP = nullptr;
  HRESULT got = GetErrorInfo(0, &infoP);
  if (got != S_OK || infoP == nullptr) {
    snprintf(bufP, kSize, "Message text not available. HRESULT:0x%x", static_cast<unsigned>(hr));
    return;
  }
  BSTR source = nullptr;
  BSTR description = nullptr;
  infoP->GetSource(&source);
  infoP->GetDescription(&description);
  ReleaseTimed(infoP);
  char sourceText[512];
  char descriptionText[1024];
  snprintf(bufP, kSize, "%s %s (HRESULT:0x%x)",
           sqlWideToText(description, descriptionText, sizeof descriptionText),
           sqlWideToText(source, sourceText, sizeof sourceText), static_cast<unsigned>(hr));
  SysFreeString(source);
  SysFreeString(description);
}

void CSqlApi::SetComErrorText(HRESULT hr) {
  char text[1024];
  FormatComErrorText(hr, text);
  snprintf(mszErrorText, sizeof mszErrorText, "%s", text);
}

// ---- the last OLE error for a caller's buffer ----

namespace {

constexpr const char* kIgnored = "This error is being ignored and processing will continue.\n";

// Traces one text of the error object and frees it.
void traceErrorText(const char* whatP, HRESULT hr, BSTR text, IErrorInfo* infoP,
                    const char* labelP) {
  char narrow[1024];
  if (FAILED(hr)) {
    SQLAPI_TRACE("errorInfoP->%s(%#x) failed, hResult = %#x\n%s", whatP,
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(infoP)),
                 static_cast<unsigned>(hr), kIgnored);
  } else if (text == nullptr) {
    SQLAPI_TRACE("errorInfoP->%s(%#x) returned a NULL pointer.\n%s", whatP,
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(infoP)), kIgnored);
  } else {
    SQLAPI_TRACE("%s the last OLE error: %s\n", labelP, sqlWideToText(text, narrow, sizeof narrow));
  }
  SysFreeString(text);
}

// Traces the error's GUID; a failure to read it is traced and ignored.
void traceErrorGuid(IErrorInfo* infoP) {
  GUID guid;
  HRESULT hr = infoP->GetGUID(&guid);
  if (FAILED(hr)) {
    SQLAPI_TRACE("errorInfoP->GetGUID(%#x) failed, hResult = %#x\n%s",
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(infoP)),
                 static_cast<unsigned>(hr), kIgnored);
    return;
  }
  WCHAR guidText[50];
  char narrow[64];
  if (StringFromGUID2(guid, guidText, 50) == 0) guidText[0] = 0;
  SQLAPI_TRACE("GUID of the last OLE error: %s\n", sqlWideToText(guidText, narrow, sizeof narrow));
}

// Traces the error's help context id; a failure to read it is traced and ignored.
void traceErrorHelpContext(IErrorInfo* infoP) {
  DWORD context = 0;
  HRESULT hr = infoP->GetHelpContext(&context);
  if (FAILED(hr)) {
    SQLAPI_TRACE("errorInfoP->GetHelpContext(%#x) failed, hResult = %#x\n%s",
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(infoP)),
                 static_cast<unsigned>(hr), kIgnored);
    return;
  }
  SQLAPI_TRACE("Help context id of the last OLE error: %d (%#x)\n", static_cast<int>(context),
               static_cast<unsigned>(context));
}

// The error's description into errorMsgP (when toCaller), cut to the room with a new line
// between two characters.
// 0, or RC_SQL_NO_ERROR_INFO when the error has no description.
int readErrorDescription(IErrorInfo* infoP, char* errorMsgP, uint16_t errorMsgLen, bool toCaller) {
  BSTR description = nullptr;
  HRESULT hr = infoP->GetDescription(&description);
  if (FAILED(hr) || description == nullptr) {
    traceErrorText("GetDescription", hr, description, infoP, "Description of");
    return RC_SQL_NO_ERROR_INFO;
  }
  char narrow[1024];
  sqlWideToText(description, narrow, sizeof narrow);
  SQLAPI_TRACE("Description of the last OLE error: %s\n", narrow);
  if (toCaller) {
    size_t room = errorMsgLen >= 2 ? errorMsgLen - 2 : 0;
    snprintf(errorMsgP, errorMsgLen, "%.*s\n",
             static_cast<int>(sqlNarrowHeadBytes(narrow, SIZE_MAX, room)), narrow);
  }
  SysFreeString(description);
  return RC_OK;
}

// Traces what the error object tells and reads its description. 0, or RC_SQL_NO_ERROR_INFO.
int readErrorInfo(IErrorInfo* infoP, char* errorMsgP, uint16_t errorMsgLen, bool toCaller) {
  BSTR text = nullptr;
  HRESULT hr = infoP->GetSource(&text);
  traceErrorText("GetSource", hr, text, infoP, "Source of");
  traceErrorGuid(infoP);
  text = nullptr;
  hr = infoP->GetHelpFile(&text);
  traceErrorText("GetHelpFile", hr, text, infoP, "Help file for");
  traceErrorHelpContext(infoP);
  return readErrorDescription(infoP, errorMsgP, errorMsgLen, toCaller);
}

// The thread's last error object: 0 with the object in *infoPP, or RC_SQL_NO_ERROR_INFO.
int fetchOleErrorInfo(IErrorInfo** infoPP) {
  HRESULT hr = GetErrorInfo(0, infoPP);
  if (FAILED(hr)) {
    SQLAPI_TRACE("GetErrorInfo(0, %#x) failed, hResult = %#x\n",
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(infoPP)),
                 static_cast<unsigned>(hr));
    return RC_SQL_NO_ERROR_INFO;
  }
  if (*infoPP == nullptr) {
    SQLAPI_TRACE("GetErrorInfo(0, %#x) returned a NULL pointer.\n",
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(infoPP)));
    return RC_SQL_NO_ERROR_INFO;
  }
  return RC_OK;
}

}  // namespace

int CSqlApi::ReadLastOleError(char* errorMsgP, uint16_t errorMsgLen, bool toCaller) {
  IErrorInfo* infoP = nullptr;
  int rc = fetchOleErrorInfo(&infoP);
  if (rc != RC_OK) return rc;
  rc = readErrorInfo(infoP, errorMsgP, errorMsgLen, toCaller);
  ReleaseTimed(infoP);
  return rc;
}

void CSqlApi::getLastOleErrorMsg(char* errorMsgP, uint16_t errorMsgLen) {
  FillLastOleErrorMsg(errorMsgP, errorMsgLen);
  SQLAPI_TRACE("  errorMsgP: %s\n", errorMsgP != nullptr ? errorMsgP : "(null)");
}

int CSqlApi::FillLastOleErrorMsg(char* errorMsgP, uint16_t errorMsgLen) {
  TRACE_ENTRY_ARGS(TRC_SQLAPI, "CSqlApi::getLastOleErrorMsg()",
                   "\n  errorMsgP  : %#x\n  errorMsgLen: %u\n",
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(errorMsgP)),
                   static_cast<unsigned>(errorMsgLen));
  bool toCaller = errorMsgP != nullptr && errorMsgLen > 0;
  if (toCaller) errorMsgP[0] = 0;
  int rc = ReadLastOleError(errorMsgP, errorMsgLen, toCaller);
  if (rc == RC_SQL_NO_ERROR_INFO && toCaller) {
    nlsprintf(errorMsgP, errorMsgLen, agentRcMessage(RC_SQL_NO_ERROR_INFO), "");
  }
  TRACE_RETURN_AS("rc (not returned to caller)", rc);
}
