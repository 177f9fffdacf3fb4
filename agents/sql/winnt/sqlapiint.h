// Inside CSqlApi: the words of its operations' entry and exit lines, the timed-call macros, the
// cancel check and the cluster key, shared by the files that implement the operations.
#pragma once

#include <atomic>
#include <cstdint>

#include "agtrc.h"
#include "agttrc.h"
#include "sqlapi.h"
#include "sqlwide.h"

// One trace line of SQL Server access.
#define SQLAPI_TRACE(...) TRACE_LINE(TRC_SQLAPI, __VA_ARGS__)

// A SQL-DMO or COM call under the API timer: SQLAPI_CALL(mpDmoServer->Connect()).
#define SQLAPI_CALL(expr) Timed(__LINE__, [&]() -> HRESULT { return (expr); })

inline constexpr const char* SQLAPI_RC_OK = "RC_OK";
inline constexpr const char* SQLAPI_RC_CANCELED = "RC_CANCELED_BY_USER";
inline constexpr const char* SQLAPI_RC_API_FAILURE = "RC_SQL_API_FAILURE";

// "( 1900 + n )", the name the trace shows for code 1900 + n.
const char* sqlRcName(int rc);

inline bool sqlIsCanceled(const uint32_t* cancelP) {
  return cancelP != nullptr && std::atomic_ref<uint32_t>(*const_cast<uint32_t*>(cancelP))
                                       .load(std::memory_order_relaxed) != 0;
}

// The time of day as "hh:mm:ss" for the enter and exit lines.
const char* sqlTimeOfDay(char (&textP)[20]);

// The words of every operation's enter and exit lines ("SQLAPI-%s >>>>> enter %s" and
// "SQLAPI-%s <<<<< exit rc(%i):%s %s"); the context is the CSqlApi's code name (mszRcName) as
// it stands when the exit line is written. An operation begins with
//   BeginOperation();
//   TRACE_ENTRY_FRAME(TRC_SQLAPI, kOp, gSqlApiTraceFrame, mszRcName);
// and returns through TRACE_RETURN.
extern const TraceFrame gSqlApiTraceFrame;

// Keeps the failure's detail text, code name and pending HRESULT across a clean-up operation
// (which resets them at its start) and puts them back at the end of the scope.
class CSqlErrorKeep {
 public:
  explicit CSqlErrorKeep(CSqlApi& api);
  ~CSqlErrorKeep();
  CSqlErrorKeep(const CSqlErrorKeep&) = delete;
  CSqlErrorKeep& operator=(const CSqlErrorKeep&) = delete;

 private:
  CSqlApi& m_Api;
  char m_ErrorText[SQLAPI_ERROR_TEXT_SIZE];
  char m_RcName[66];
  HRESULT m_Hr;
};

// The registry key a clustered SQL Server of this name has; true when it opens with full
// access. The key is closed again.
bool sqlClusterKeyOpens(const char* serverNameP);
// Writes the key's path for the server name.
void sqlClusterKeyPath(const char* serverNameP, char* pathP, size_t pathSize);
