#include "regloopback_testutil.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "winreg.h"

namespace regtest {

namespace {

constexpr int kReadWaitMs = 5000;
constexpr int kQuietSpellMs = 30000;  // the server ends when no connection came this long
constexpr int kChunkPauseMs = 30;

int connectLoopback(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  ::close(fd);
  return -1;
}

}  // namespace

Reply replyOf(const std::string& text) {
  return Reply{{text}, false};
}

Reply silence() {
  return Reply{{}, true};
}

int listenLoopback(int backlog, int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, backlog);
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return fd;
}

LoopbackServer::LoopbackServer(int maxConnections) : m_maxConnections(maxConnections) {
  m_listen = listenLoopback(8, m_port);
}

std::vector<std::string> LoopbackServer::requests() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

void LoopbackServer::record(const std::string& request) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_requests.push_back(request);
}

LoopbackServer::~LoopbackServer() {
  ::close(m_listen);
}

void LoopbackServer::start() {
  m_thread = std::thread([this] { run(); });
}

void LoopbackServer::stop() {
  m_stop.store(true);
  if (m_thread.joinable()) m_thread.join();
}

std::string LoopbackServer::address() const {
  return "127.0.0.1:" + std::to_string(m_port);
}

void LoopbackServer::run() {
  auto last = std::chrono::steady_clock::now();
  while (!stopping() && m_connections.load() < m_maxConnections) {
    pollfd fd{m_listen, POLLIN, 0};
    if (::poll(&fd, 1, 50) <= 0) {
      if (std::chrono::steady_clock::now() - last > std::chrono::milliseconds(kQuietSpellMs)) {
        return;
      }
      continue;
    }
    int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    ++m_connections;
    serve(client);
    ::close(client);
    last = std::chrono::steady_clock::now();
  }
}

bool LoopbackServer::readSome(int fd, std::string& into) {
  for (int waited = 0; waited < kReadWaitMs && !stopping(); waited += 50) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) == 0) continue;
    char buffer[4096];
    ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    into.append(buffer, static_cast<size_t>(got));
    return true;
  }
  return false;
}

std::string LoopbackServer::readRequest(int fd, RequestEnd end) {
  std::string request;
  while (readSome(fd, request)) {
    if (request.find("\r\n\r\n") != std::string::npos) break;
    if (end == RequestEnd::Headers) continue;
    if (!request.empty() && request.back() == '\n' && request.find("HTTP/") == std::string::npos) {
      break;
    }
  }
  return request;
}

void LoopbackServer::holdUntilClosed(int fd) {
  std::string ignored;
  while (!stopping()) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) == 0) continue;
    char buffer[256];
    if (::recv(fd, buffer, sizeof buffer, 0) <= 0) return;
  }
}

void LoopbackServer::sendAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return;
    done += static_cast<size_t>(sent);
  }
}

void LoopbackServer::relay(int client, int port, const std::string& request) {
  int origin = connectLoopback(port);
  if (origin < 0) return;
  sendAll(origin, request);
  std::string reply;
  while (readSome(origin, reply)) {
  }
  ::close(origin);
  sendAll(client, reply);
}

Origin::Origin(std::vector<Reply> replies, int maxConnections, RequestEnd end)
    : LoopbackServer(maxConnections), m_replies(std::move(replies)), m_end(end) {
  start();
}

Origin::~Origin() {
  stop();
}

void Origin::serve(int fd) {
  record(readRequest(fd, m_end));
  size_t index = static_cast<size_t>(connections() - 1);
  const Reply& reply = m_replies[std::min(index, m_replies.size() - 1)];
  if (reply.silent) {
    holdUntilClosed(fd);
    return;
  }
  for (const std::string& chunk : reply.chunks) {
    sendAll(fd, chunk);
    std::this_thread::sleep_for(std::chrono::milliseconds(kChunkPauseMs));
  }
}

HttpProxy::HttpProxy() : LoopbackServer(12) {
  start();
}

HttpProxy::~HttpProxy() {
  stop();
}

void HttpProxy::serve(int fd) {
  std::string request = readRequest(fd);
  record(request);
  const std::string prefix = "GET http://";
  size_t slash = request.find('/', prefix.size());
  if (request.compare(0, prefix.size(), prefix) != 0 || slash == std::string::npos) {
    sendAll(fd, "HTTP/1.0 400 Bad Request\r\n\r\n");
    return;
  }
  std::string authority = request.substr(prefix.size(), slash - prefix.size());
  size_t colon = authority.find(':');
  std::string host = authority.substr(0, colon);
  int port = colon == std::string::npos ? 80 : std::atoi(authority.c_str() + colon + 1);
  if (host != "127.0.0.1" && host != "localhost") {
    sendAll(fd, "HTTP/1.0 502 Bad Gateway\r\n\r\n");
    return;
  }
  relay(fd, port, "GET " + request.substr(slash));
}

SocksServer::SocksServer(Mode mode) : LoopbackServer(12), m_mode(mode) {
  start();
}

SocksServer::~SocksServer() {
  stop();
}

void SocksServer::serve(int fd) {
  std::string head;
  while (head.size() < 9 || head.find('\0', 8) == std::string::npos) {
    if (head.size() > 64 || !readSome(fd, head)) return;
  }
  size_t end = head.find('\0', 8);
  int port = static_cast<unsigned char>(head[2]) << 8 | static_cast<unsigned char>(head[3]);
  bool ok = head[0] == 4 && head[1] == 1 && head.compare(4, 4, "\x7f\0\0\x01", 4) == 0 &&
            head.substr(8, end - 8) == "DIZUde" && end + 1 == head.size();
  record(ok ? "ok " + std::to_string(port) : "bad");
  switch (m_mode) {
    case Mode::Silent:
      holdUntilClosed(fd);
      return;
    case Mode::Short:
      sendAll(fd, std::string("\0\x5a\0\0", 4));
      return;
    case Mode::Refuse:
      sendAll(fd, std::string("\0\x5b\0\0\0\0\0\0", 8));
      return;
    case Mode::Grant:
      break;
  }
  if (!ok) return;
  sendAll(fd, std::string("\0\x5a\0\0\0\0\0\0", 8));
  relay(fd, port, readRequest(fd));
}

void setRegString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value) {
  HKEY handle = nullptr;
  RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
}

void setRegDword(HKEY root, const std::string& key, const std::string& name, std::uint32_t value) {
  HKEY handle = nullptr;
  RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                   static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  RegSetValueExA(handle, name.c_str(), 0, REG_DWORD, bytes, 4);
  RegCloseKey(handle);
}

}  // namespace regtest
