#include "regexchange.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdlib>

#include "regdiag.h"
#include "regexcept.h"
#include "regres.h"
#include "regtextchk.h"

namespace {

// How the socket error table shows a code: its own message (fixed), or the step's message
// while its own goes only to the debug log.
struct SocketErrorRow {
  int code;
  bool fixed;
  int messageId;
};

constexpr SocketErrorRow kSocketErrors[] = {
    {10004, false, 1538}, {10013, false, 1546}, {10014, false, 1531}, {10022, false, 1542},
    {10024, true, 1524},  {10035, false, 1545}, {10036, true, 1523},  {10037, false, 1539},
    {10038, false, 1544}, {10041, false, 1535}, {10043, false, 1534}, {10044, false, 1536},
    {10047, false, 1533}, {10048, false, 1537}, {10049, true, 1527},  {10050, true, 1525},
    {10051, true, 1529},  {10055, true, 1526},  {10056, false, 1543}, {10060, true, 1530},
    {10061, true, 1528},  {10067, true, 1524},  {10091, true, 1521},  {10092, true, 1522},
    {10093, false, 1532},
};

// What a failed look-up logs, and whether it is worth a retry.
struct DnsRow {
  int code;
  const char* text;
  bool retry;
};

constexpr DnsRow kDnsErrors[] = {
    {11001, "DNS failed: Authoritative host not found", false},
    {11002, "DNS failed: Host not found, try again", true},
    {11003, "DNS failed: Non-recoverable error", false},
    {11004, "DNS failed: Valid name, no data", false},
    {10093, "DNS failed: Sockets not initialised", false},
    {10004, "DNS failed: Call canceled", true},
    {10014, "DNS failed: Server name not valid part of address space", false},
    {10036, "DNS failed: Blocking socket call in progress", true},
    {10050, "DNS failed: Network subsystem has failed", false},
};

const SocketErrorRow* socketErrorRow(int code) {
  for (const SocketErrorRow& row : kSocketErrors) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

const DnsRow* dnsRow(int code) {
  for (const DnsRow& row : kDnsErrors) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

void regThrowTransport(const std::string& text) {
  throw CRegException(kMsgTransportFailure, RegTextFirst{text}, 0);
}

void regThrowMessage(int id) {
  regThrowTransport(regLoadString(id));
}

std::string regSocketErrorText(int code, int stepId) {
  const SocketErrorRow* row = socketErrorRow(code);
  if (row == nullptr) return regLoadString(stepId) + " " + std::to_string(code);
  return regLoadString(row->fixed ? row->messageId : stepId);
}

void reportSocketError(int code, int stepId) {
  const SocketErrorRow* row = socketErrorRow(code);
  std::string shown = regSocketErrorText(code, stepId);
  regDiag() << (row == nullptr ? shown : regLoadString(row->messageId)) << '\n';
  regThrowTransport(shown);
}

int resolveHost(const std::string& name, std::uint32_t& ip) {
  if (!hasLetter(name)) {
    in_addr_t address = inet_addr(name.c_str());
    if (address == INADDR_NONE) {
      regDiag() << "DNS failed: Could not convert IP address\n";
      return -1;
    }
    ip = address;
    return 0;
  }
  int rc = regLookUpHost(name, ip);
  if (rc == 0) return 0;
  regDiag() << "DNS failed resolving: " << name << '\n';
  const DnsRow* row = dnsRow(rc);
  regDiag() << (row != nullptr ? row->text : "DNS failed: Unrecognized error code") << '\n';
  if (row != nullptr && row->retry) return -2;
  regThrowMessage(kMsgDns);
}

std::uint32_t regResolveOrThrow(const std::string& name) {
  std::uint32_t ip = 0;
  int rc = resolveHost(name, ip);
  if (rc == -2) rc = resolveHost(name, ip);
  if (rc != 0) regThrowMessage(kMsgDns);
  return ip;
}

void regConnectOrThrow(CRegSocket& socket, std::uint32_t ip, std::uint16_t port, int timeout) {
  if (socket.open() != 0) reportSocketError(socket.lastError(), kMsgSocket);
  int rc = socket.connect(ip, port, timeout);
  regDiag() << "Connecting returned " << rc << '\n';
  if (rc != 0) reportSocketError(socket.lastError(), kMsgConnect);
}

void regWaitOrThrow(CRegSocket& socket, int timeout, int stepId) {
  int ready = socket.waitReadable(timeout);
  if (ready < 0) reportSocketError(socket.lastError(), stepId);
  if (ready > 0) return;
  regDiag() << regLoadString(kMsgTimedOut) << '\n';
  regThrowMessage(kMsgTimedOut);
}

std::string regReadReply(CRegSocket& socket, int timeout) {
  std::string reply;
  char chunk[kReceiveChunk];
  regWaitOrThrow(socket, timeout, kMsgReceive);
  long got = socket.recv(chunk, sizeof chunk);
  while (got > 0) {
    regDiag() << "Receiving data returned " << got << '\n';
    regDiag().write(chunk, got) << '\n';
    reply.append(chunk, static_cast<std::size_t>(got));
    regWaitOrThrow(socket, timeout, kMsgReceive);
    got = socket.recv(chunk, sizeof chunk);
  }
  int error = socket.lastError();
  socket.close();
  if (got < 0) reportSocketError(error, kMsgReceive);
  regDiag() << "Last value returned by recv: " << got << '\n';
  regDiag() << "Last error value: " << error << '\n';
  return reply;
}

std::uint16_t regPortOf(const std::string& portText) {
  return htons(static_cast<std::uint16_t>(std::atoi(portText.c_str())));
}
