// Small servers of the tests on 127.0.0.1 only, each on an ephemeral port with a thread of its
// own that takes a bounded number of connections, one at a time, and stops by itself when its
// object goes or after a quiet spell: an origin that records raw requests and plays scripted
// replies (and serves a proxy script), an HTTP proxy that takes the absolute-form request line
// and relays, and a SOCKS 4 server that checks the request and the user id and relays.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "winreg.h"

namespace regtest {

// One scripted reply: its chunks, each sent apart, then the close; or silence until the
// client goes (or the server stops).
struct Reply {
  std::vector<std::string> chunks;
  bool silent = false;
};

// Where a server takes a request to end: at a blank line, or at a line feed when the request
// line names no protocol; or only at the blank line that ends the headers.
enum class RequestEnd { LineOrHeaders, Headers };

Reply replyOf(const std::string& text);
Reply silence();

class LoopbackServer {
 public:
  explicit LoopbackServer(int maxConnections);
  virtual ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return m_port; }
  // "127.0.0.1:<port>".
  std::string address() const;
  int connections() const { return m_connections.load(); }
  // What each connection asked for, as the server recorded it.
  std::vector<std::string> requests() const;

 protected:
  void record(const std::string& request);
  // Subclasses start the thread at the end of their constructor and stop it in their
  // destructor, so serve never runs on a half-made or half-gone object.
  void start();
  void stop();
  virtual void serve(int fd) = 0;
  bool stopping() const { return m_stop.load(); }
  // Waits up to 5 s for the next bytes: false at the close, a failure, the time-out or a stop.
  bool readSome(int fd, std::string& into);
  // Reads until the request's end (see RequestEnd).
  std::string readRequest(int fd, RequestEnd end = RequestEnd::LineOrHeaders);
  // Holds the connection until the client closes it or the server stops.
  void holdUntilClosed(int fd);
  static void sendAll(int fd, const std::string& bytes);
  // Sends request to 127.0.0.1:port and copies the whole reply back to client.
  void relay(int client, int port, const std::string& request);

 private:
  void run();

  int m_listen = -1;
  int m_port = 0;
  int m_maxConnections;
  std::atomic<int> m_connections{0};
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  mutable std::mutex m_mutex;
  std::vector<std::string> m_requests;  // guarded by m_mutex
};

// Plays the replies in order, the last one again for every later connection.
class Origin : public LoopbackServer {
 public:
  explicit Origin(std::vector<Reply> replies, int maxConnections = 12,
                  RequestEnd end = RequestEnd::LineOrHeaders);
  ~Origin() override;

 private:
  void serve(int fd) override;
  std::vector<Reply> m_replies;
  RequestEnd m_end;
};

// Takes "GET http://127.0.0.1[:port]/path HTTP/1.0 ..." and relays "GET /path ..." to the
// origin; any other host gets a 502 reply.
class HttpProxy : public LoopbackServer {
 public:
  HttpProxy();
  ~HttpProxy() override;

 private:
  void serve(int fd) override;
};

class SocksServer : public LoopbackServer {
 public:
  enum class Mode { Grant, Refuse, Silent, Short };
  explicit SocksServer(Mode mode);
  ~SocksServer() override;

 private:
  // Records "ok <port>" when version, command, 127.0.0.1 and user id were right, else "bad".
  void serve(int fd) override;
  Mode m_mode;
};

// A socket listening on 127.0.0.1 at an ephemeral port, with that backlog; port receives it.
int listenLoopback(int backlog, int& port);

// Writes a string or DWORD value, creating the key (the registry of the current root).
void setRegString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value);
void setRegDword(HKEY root, const std::string& key, const std::string& name, std::uint32_t value);

}  // namespace regtest
