// The registration request: one HTTP/1.0 GET whose query carries the whole registration, sent
// to the registration gateway directly, through an HTTP proxy or through a SOCKS version 4
// server (regconntype.h decides which from the default browser), following up to six
// redirections, and accepted when the reply holds the marker "RESULT1=SUCCESS" (any case).
//
// A transmission runs on a worker thread beside the modal connecting dialog (runTransmission).
// Every failure is a CRegException with id 219 (regexchange.h); a cancel is id 245.
//
// Threads: the worker runs sendToServer and writes the process-wide connection settings and
// the stored failure; the user-interface thread reads the failure only after joining the
// worker. A cancel raises the transmission's CRegCancel, which ends the worker's socket waits
// at once, and the user-interface thread joins the worker before it goes on, so the worker
// never outlives what it uses.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "regexcept.h"
#include "regsock.h"

inline constexpr char kGatewayPath[] = "/scripts/mwisapi.dll/Service.Gateway.DoGet?";
inline constexpr char kRequestTrailer[] = " HTTP/1.0 \r\n\r\n";
inline constexpr char kSocksUserId[] = "DIZUde";
inline constexpr int kMaxRedirections = 7;  // requests in all: the first and six that follow

// End codes of the connecting dialog.
inline constexpr int kConnectCancelled = 2330;
inline constexpr int kConnectEnded = 2331;

// Host, port text and path prefix of a server text "host[:port][/path]".
struct CRegTarget {
  std::string host;
  std::string port = "80";
  std::string pathPrefix;
};

CRegTarget regParseTarget(const std::string& serverText);
// "GET ", for a proxy "http://" and the host (with ":port" unless the port is 80), the path
// prefix, the gateway path, the query and kRequestTrailer; no header lines.
std::string regRequestText(int connectionType, const CRegTarget& target,
                           const std::string& gatewayPath, const std::string& query);

enum class RegReply { Redirected, Succeeded, NotPosted, BadRedirection };
// Reads a reply: a "Location:" header, then an HREF whose quoted address holds the gateway
// path, redirect (target takes the new host, port and path prefix; an address without a host
// keeps the current one); else the success marker; else not posted.
RegReply regEvaluateReply(const std::string& reply, const std::string& gatewayPath,
                          CRegTarget& target);

class CRegConnection;

// The modal connecting dialog as a transmission sees it.
class CRegConnectingView {
 public:
  virtual ~CRegConnectingView() = default;
  // User-interface thread: shows the dialog modally and returns its end code, kConnectEnded or
  // kConnectCancelled (the user's Cancel). When connection.finished() is already true as the
  // dialog starts, it ends itself with kConnectEnded.
  virtual int runModal(const CRegConnection& connection) = 0;
  // Any thread: ends the dialog with code while it runs; nothing when it does not.
  virtual void endModal(int code) = 0;
};

class CRegConnection {
 public:
  CRegConnection() = default;
  virtual ~CRegConnection();
  CRegConnection(const CRegConnection&) = delete;
  CRegConnection& operator=(const CRegConnection&) = delete;

  void setQuery(const std::string& query) { m_query = query; }
  // User-interface thread: sends the query on a worker beside the dialog; returns on success,
  // throws CRegException on a failure (id 219) or the user's cancel (id 245).
  void runTransmission(CRegConnectingView& dialog);
  // True once the worker has ended its work and asked the dialog to end.
  bool finished() const { return m_finished.load(); }

  // Sends to the server that the connect switch chooses; 1 on success, else throws.
  int sendToServer(const std::string& query);
  // The whole exchange with the server text "host[:port][/path]"; 1 when the reply held the
  // success marker, else throws. replyP, when given, receives the last reply.
  int sendRegistration(const std::string& query, int timeout, const std::string& serverText,
                       const std::string& gatewayPath, std::string* replyP);

 private:
  void transmissionThread(CRegConnectingView& dialog);
  // One request on a new socket; the reply.
  std::string attempt(int type, const CRegTarget& target, std::uint32_t serverIp,
                      std::uint16_t serverPort, const std::string& request, int timeout);
  void socksConnect(CRegSocket& socket, std::uint32_t targetIp, std::uint16_t targetPort,
                    int timeout);

  std::uint32_t m_ip = 0;  // the last address resolved
  std::string m_query;
  std::optional<CRegException> m_exception;  // the worker's failure; read after the join
  std::thread m_thread;
  CRegConnectingView* m_connectDialog = nullptr;  // set while the dialog runs
  std::unique_ptr<CRegCancel> m_cancel;           // one per transmission
  std::atomic<bool> m_finished{false};
};
