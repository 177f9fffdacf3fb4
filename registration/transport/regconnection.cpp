#include "regconnection.h"

#include <cstdlib>
#include <cstring>
#include <system_error>

#include "regconfig.h"
#include "regconntype.h"
#include "regconst.h"
#include "regdiag.h"
#include "regexchange.h"
#include "regres.h"
#include "regstate.h"
#include "regswitch.h"
#include "regsysinfo.h"
#include "regtextutil.h"

namespace {

constexpr char kSuccessMarker[] = "RESULT1=SUCCESS";
constexpr char kLocationMarker[] = "LOCATION:";
constexpr char kHrefMarker[] = "HREF";
constexpr char kHttpPrefix[] = "HTTP://";
constexpr char kNetscapeClass[] = "NetscapeMarkup";
constexpr int kWebAddressString = 307;
constexpr int kPauseMs = 1000;  // the dialog stays this long after the worker's end
constexpr int kSocksReplySize = 8;
constexpr unsigned char kSocksGranted = 0x5A;

void splitPort(std::string& host, std::string& port) {
  std::size_t colon = host.find(':');
  if (colon == std::string::npos) return;
  port = host.substr(colon + 1);
  host.erase(colon);
}

// An address up to the gateway path ("http://host:port/prefix", "/prefix", "host/prefix")
// into target; an address without a host keeps the current host and port.
void followAddress(const std::string& address, CRegTarget& target) {
  std::string rest = address;
  std::size_t scheme = regUpper(rest).find(kHttpPrefix);
  if (scheme != std::string::npos) rest.erase(0, scheme + 7);
  std::size_t slash = rest.find('/');
  std::string host = rest.substr(0, slash);
  target.pathPrefix = slash == std::string::npos ? "" : rest.substr(slash);
  if (target.pathPrefix == "/") target.pathPrefix.clear();
  if (host.empty()) return;
  splitPort(host, target.port);
  if (target.port.empty()) target.port = "80";
  target.host = host;
}

// text's part before the gateway path (any case); false when it does not hold the path.
bool beforeGateway(const std::string& text, const std::string& gatewayPath, std::string& address) {
  std::size_t at = regUpper(text).find(regUpper(gatewayPath));
  if (at == std::string::npos) return false;
  address = text.substr(0, at);
  return true;
}

// The Location header's own line, without the blanks around its value.
std::string locationValue(const std::string& reply, std::size_t marker) {
  std::size_t start = marker + std::string(kLocationMarker).size();
  std::size_t end = reply.find_first_of("\r\n", start);
  std::string value = reply.substr(start, end == std::string::npos ? end : end - start);
  std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

// The first HREF's quoted address that holds the gateway path, up to that path.
bool hrefAddress(const std::string& reply, const std::string& upper, const std::string& gatewayPath,
                 std::string& address) {
  std::size_t href = upper.find(kHrefMarker);
  while (href != std::string::npos) {
    std::size_t open = reply.find('"', href + 4);
    if (open == std::string::npos) return false;
    std::size_t close = reply.find('"', open + 1);
    if (close == std::string::npos) return false;
    if (beforeGateway(reply.substr(open + 1, close - open - 1), gatewayPath, address)) return true;
    href = upper.find(kHrefMarker, close + 1);
  }
  return false;
}

RegReply redirectTo(bool found, const std::string& address, CRegTarget& target) {
  if (!found) return RegReply::BadRedirection;
  followAddress(address, target);
  return RegReply::Redirected;
}

void logOperatingSystem() {
  if (regSwitchIs(kSwitchRegressionTest, "yes")) {
    regDiag() << "OS: Windows Regression OS\nVersion: Windows Regression Version\n";
    return;
  }
  regDiag() << "OS: " << getOsName() << "\nVersion: " << getOsVersion() << '\n';
}

void readBrowserSettings() {
  std::string browser = regQueryString(HKEY_CLASSES_ROOT, ".htm", "");
  if (browser.empty()) regThrowMessage(kMsgNoBrowser);
  if (regEqualNoCase(browser, kNetscapeClass)) {
    readNetscapeSettings();
    return;
  }
  readExplorerSettings();
}

void logConnectionType() {
  switch (g_connectionType) {
    case kConnectionDirect:
      regDiag() << "Connection type: Direct\n";
      break;
    case kConnectionSocks:
      regDiag() << "Connection type: Socks\nSocks server: " << g_socksServer << ":" << g_socksPort
                << '\n';
      break;
    case kConnectionProxy:
      regDiag() << "Connection type: Proxy\nProxy server: " << g_proxyServer << ":" << g_proxyPort
                << '\n';
      break;
    default:
      break;
  }
}

// The port text in use; an empty one (a Netscape proxy named without a port) is 80.
std::string portOrDefault(const std::string& port) {
  return port.empty() ? "80" : port;
}

std::string webAddress() {
  std::string address = regSetting(RegSetting::WebAddress);
  return address.empty() ? regLoadString(kWebAddressString) : address;
}

}  // namespace

CRegTarget regParseTarget(const std::string& serverText) {
  CRegTarget target;
  std::size_t slash = serverText.find('/');
  target.host = serverText.substr(0, slash);
  if (slash != std::string::npos) target.pathPrefix = serverText.substr(slash);
  splitPort(target.host, target.port);
  return target;
}

std::string regRequestText(int connectionType, const CRegTarget& target,
                           const std::string& gatewayPath, const std::string& query) {
  std::string text = "GET ";
  if (connectionType == kConnectionProxy) {
    text += "http://" + target.host;
    int port = std::atoi(target.port.c_str());
    if (port != 80) text += ":" + std::to_string(port);
  }
  return text + target.pathPrefix + gatewayPath + query + kRequestTrailer;
}

RegReply regEvaluateReply(const std::string& reply, const std::string& gatewayPath,
                          CRegTarget& target) {
  std::string upper = regUpper(reply);
  std::string address;
  std::size_t location = upper.find(kLocationMarker);
  if (location != std::string::npos) {
    bool found = beforeGateway(locationValue(reply, location), gatewayPath, address);
    return redirectTo(found, address, target);
  }
  if (upper.find(kHrefMarker) != std::string::npos) {
    return redirectTo(hrefAddress(reply, upper, gatewayPath, address), address, target);
  }
  return upper.find(kSuccessMarker) != std::string::npos ? RegReply::Succeeded
                                                         : RegReply::NotPosted;
}

CRegConnection::~CRegConnection() {
  if (m_cancel) m_cancel->raise();
  if (m_thread.joinable()) m_thread.join();
}

void CRegConnection::runTransmission(CRegConnectingView& dialog) {
  m_exception.reset();
  m_finished.store(false);
  m_cancel = std::make_unique<CRegCancel>();
  m_connectDialog = &dialog;
  try {
    m_thread = std::thread([this] { transmissionThread(*m_connectDialog); });
  } catch (const std::system_error&) {
    regDiag() << "Creating second thread for connecting failed! \n";
    std::exit(100);
  }
  int rc = dialog.runModal(*this);
  if (rc == kConnectCancelled) m_cancel->raise();
  m_thread.join();
  m_connectDialog = nullptr;
  if (rc == kConnectCancelled) m_exception = CRegException(kMsgCancelled, 0);
  if (m_exception) throw *m_exception;
}

void CRegConnection::transmissionThread(CRegConnectingView& dialog) {
  try {
    sendToServer(m_query);
  } catch (const CRegException& e) {
    m_exception = e;
  } catch (const std::exception&) {
    m_exception =
        CRegException(kMsgTransportFailure, RegTextFirst{regLoadString(kMsgNotPosted)}, 0);
  }
  m_cancel->wait(kPauseMs);
  // Recorded first: a dialog that starts only after this ends itself.
  m_finished.store(true);
  dialog.endModal(kConnectEnded);
}

int CRegConnection::sendToServer(const std::string& query) {
  std::string server;
  if (regSwitchIs(kSwitchConnect, "direct")) {
    server = regSetting(RegSetting::ServerHost);
  } else if (regSwitchIs(kSwitchConnect, "directip")) {
    server = regSetting(RegSetting::ServerAddress);
  } else {
    server = webAddress();
  }
  int timeout = std::atoi(regSwitch(kSwitchTimeout).c_str());
  return sendRegistration(query, timeout, server, kGatewayPath, nullptr);
}

int CRegConnection::sendRegistration(const std::string& query, int timeout,
                                     const std::string& serverText, const std::string& gatewayPath,
                                     std::string* replyP) {
  logOperatingSystem();
  readBrowserSettings();
  if (g_connectionType == kConnectionAutoConfig) {
    regDiag() << "Connection type: Autoconfig URL\nAutoconfig URL: " << g_autoConfigUrl << '\n';
    g_connectionType = fetchAutoProxyScript(timeout, m_cancel.get());
  }
  if (g_connectionType == kConnectionUnknown) {
    regDiag() << "Connection type could not be determined.\n";
    regThrowMessage(kMsgNoConnectionType);
  }
  int type = g_connectionType;
  logConnectionType();
  CRegTarget target = regParseTarget(serverText);
  regDiag() << target.host << ":" << target.port << target.pathPrefix << '\n'
            << gatewayPath << query << '\n'
            << getVersionBanner() << '\n';
  std::uint32_t serverIp = 0;
  std::uint16_t serverPort = 0;
  const std::string& server = type == kConnectionSocks ? g_socksServer : g_proxyServer;
  if (type != kConnectionDirect && !server.empty()) {
    serverIp = regResolveOrThrow(server);
    serverPort = regPortOf(portOrDefault(type == kConnectionSocks ? g_socksPort : g_proxyPort));
  }
  int redirections = 0;
  bool redirected = true;
  while (redirected && redirections < kMaxRedirections) {
    redirected = false;
    std::string request = regRequestText(type, target, gatewayPath, query);
    std::string reply = attempt(type, target, serverIp, serverPort, request, timeout);
    if (replyP != nullptr) *replyP = reply;
    switch (regEvaluateReply(reply, gatewayPath, target)) {
      case RegReply::Redirected:
        redirected = true;
        ++redirections;
        break;
      case RegReply::Succeeded:
        return 1;
      case RegReply::NotPosted:
        regThrowMessage(kMsgNotPosted);
      case RegReply::BadRedirection:
        regThrowMessage(kMsgBadRedirection);
    }
  }
  regThrowMessage(kMsgTooManyRedirections);
}

std::string CRegConnection::attempt(int type, const CRegTarget& target, std::uint32_t serverIp,
                                    std::uint16_t serverPort, const std::string& request,
                                    int timeout) {
  CRegSocket socket(m_cancel.get());
  // A proxy resolves the target itself: the name may be one that only it can resolve.
  if (type != kConnectionProxy) m_ip = regResolveOrThrow(target.host);
  std::uint32_t ip = type == kConnectionDirect ? m_ip : serverIp;
  std::uint16_t port = type == kConnectionDirect ? regPortOf(target.port) : serverPort;
  regDiag() << target.host << ":" << target.port << target.pathPrefix << '\n';
  regConnectOrThrow(socket, ip, port, timeout);
  if (type == kConnectionSocks) socksConnect(socket, m_ip, regPortOf(target.port), timeout);
  long sent = socket.send(request.data(), request.size());
  regDiag() << request << "Length: " << request.size() << '\n';
  regDiag() << "Sending the data request returned " << sent << '\n';
  return regReadReply(socket, timeout);
}

// The SOCKS 4 request for the target, the user id, and the 8-byte reply, read whole.
void CRegConnection::socksConnect(CRegSocket& socket, std::uint32_t targetIp,
                                  std::uint16_t targetPort, int timeout) {
  unsigned char request[8] = {4, 1};
  std::memcpy(request + 2, &targetPort, 2);
  std::memcpy(request + 4, &targetIp, 4);
  regDiag() << "Sending request to socks server returned " << socket.send(request, sizeof request)
            << '\n';
  for (const char& c : std::string(kSocksUserId, sizeof kSocksUserId)) {
    regDiag() << "Sending char of userid returned " << socket.send(&c, 1) << '\n';
  }
  unsigned char reply[kSocksReplySize] = {};
  long got = 0;
  while (got < kSocksReplySize) {
    regWaitOrThrow(socket, timeout, kMsgSocks);
    long n = socket.recv(reply + got, sizeof reply - got);
    regDiag() << "Receiving reply from socks returned " << n << '\n';
    if (n < 0) reportSocketError(socket.lastError(), kMsgSocks);
    if (n == 0) break;
    got += n;
  }
  if (got == kSocksReplySize && reply[1] == kSocksGranted) return;
  regDiag() << (got < kSocksReplySize ? "The Socks server's reply was short."
                                      : regconst::kSocksRefused)
            << '\n';
  regThrowMessage(kMsgSocks);
}
