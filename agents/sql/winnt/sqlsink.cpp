#include "sqlsink.h"

#include "sqlapiint.h"

namespace {

void traceText(const char* opP, const char* labelP, BSTR textP) {
  if (!gTrace.isOn(TRC_SQLAPI)) return;
  char text[1024];
  SQLAPI_TRACE("SQLAPI-%s %s:%s\n", opP, labelP, sqlWideToText(textP, text, sizeof text));
}

void traceMessage(const char* opP, LONG severity, LONG number, LONG state, BSTR message) {
  SQLAPI_TRACE("SQLAPI-%s lMsgSeverity:%i lMsgNumber:%i lMsgState:%i\n", opP, severity, number,
               state);
  traceText(opP, "strMsg", message);
}

}  // namespace

HRESULT CSqlApi::CSqlServerSink::QueryInterface(REFIID riid, void** objectP) {
  if (objectP == nullptr) return E_POINTER;
  if (!(riid == IID_IUnknown) && !(riid == IID_ISQLDMOServerSink)) {
    *objectP = nullptr;
    return E_NOINTERFACE;
  }
  *objectP = static_cast<ISQLDMOServerSink*>(this);
  AddRef();
  return S_OK;
}

ULONG CSqlApi::CSqlServerSink::AddRef() {
  return ++m_RefCount;
}

ULONG CSqlApi::CSqlServerSink::Release() {
  ULONG left = --m_RefCount;
  if (left == 0) delete this;
  return left;
}

HRESULT CSqlApi::CSqlServerSink::QueryTimeout(BSTR message, BOOL* keepWaitingP) {
  traceText("CSqlApi::CSqlServerSink::QueryTimeout", "strMsg", message);
  if (keepWaitingP != nullptr) *keepWaitingP = TRUE;
  return S_OK;
}

HRESULT CSqlApi::CSqlServerSink::ServerMessage(LONG severity, LONG messageNumber, LONG messageState,
                                               BSTR message) {
  traceMessage("CSqlApi::CSqlServerSink::ServerMessage", severity, messageNumber, messageState,
               message);
  return S_OK;
}

HRESULT CSqlApi::CSqlServerSink::ConnectionBroken(BSTR message, BOOL* retryP) {
  traceText("CSqlApi::CSqlServerSink::ConnectionBroken", "strMsg", message);
  if (retryP != nullptr) *retryP = TRUE;
  return S_OK;
}

HRESULT CSqlApi::CSqlServerSink::RemoteLoginFailed(LONG severity, LONG messageNumber,
                                                   LONG messageState, BSTR message) {
  traceMessage("CSqlApi::CSqlServerSink::RemoteLoginFailed", severity, messageNumber, messageState,
               message);
  return S_OK;
}

HRESULT CSqlApi::CSqlServerSink::CommandSent(BSTR sql) {
  traceText("CSqlApi::CSqlServerSink::CommandSent", "strSQL", sql);
  return S_OK;
}
