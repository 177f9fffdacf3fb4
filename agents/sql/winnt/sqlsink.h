// CSqlApi::CSqlServerSink: receives the events of the SQL-DMO server object and writes them to
// the trace under SQLAPI. It exists only while that category is on; its life is held by the
// server's advice alone (created with a count of 0, freed when Unadvise drops the count to 0).
// It answers a query time-out with "continue" and a broken connection with "retry".
// SQL-DMO may call it during any call of CSqlApi; it touches only its count and the trace.
#pragma once

#include <atomic>

#include "sqlapi.h"

class CSqlApi::CSqlServerSink final : public ISQLDMOServerSink {
 public:
  CSqlServerSink() = default;
  virtual ~CSqlServerSink() = default;

  HRESULT QueryInterface(REFIID riid, void** objectP) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT QueryTimeout(BSTR message, BOOL* keepWaitingP) override;
  HRESULT ServerMessage(LONG severity, LONG messageNumber, LONG messageState,
                        BSTR message) override;
  HRESULT ConnectionBroken(BSTR message, BOOL* retryP) override;
  HRESULT RemoteLoginFailed(LONG severity, LONG messageNumber, LONG messageState,
                            BSTR message) override;
  HRESULT CommandSent(BSTR sql) override;

 private:
  std::atomic<ULONG> m_RefCount{0};
};
