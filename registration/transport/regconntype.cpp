#include "regconntype.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "regdiag.h"
#include "regexcept.h"
#include "regexchange.h"
#include "regnetscape.h"
#include "regstate.h"
#include "regtextutil.h"

int g_connectionType = kConnectionUnknown;
std::string g_proxyServer;
std::string g_proxyPort;
std::string g_socksServer;
std::string g_socksPort;
std::string g_autoConfigUrl;
std::string g_netscapeProxyType;

namespace {

constexpr char kHttpPort[] = "80";
constexpr char kSocksPort[] = "1080";

// prefs.js keys and the setting each fills, a longer key before its prefix.
struct PrefsKey {
  const char* key;
  std::string* setting;
};

const PrefsKey kPrefsKeys[] = {
    {"network.proxy.type", &g_netscapeProxyType},
    {"network.proxy.http_port", &g_proxyPort},
    {"network.proxy.http", &g_proxyServer},
    {"network.hosts.socks_serverport", &g_socksPort},
    {"network.hosts.socks_server", &g_socksServer},
    {"network.proxy.autoconfig_url", &g_autoConfigUrl},
};

// host:port into the two settings; without ":" the port is defaultPort.
void splitHostPort(std::string text, std::string& host, std::string& port,
                   const char* defaultPort) {
  std::size_t colon = text.find(':');
  host = text.substr(0, colon);
  port = colon == std::string::npos ? defaultPort : text.substr(colon + 1);
}

// The entry "PROTOCOL=host:port" of a per-protocol list, less its prefix, cut at ";".
bool listEntry(const std::string& list, const char* protocol, std::string& entry) {
  std::size_t at = regUpper(list).find(protocol);
  if (at == std::string::npos) return false;
  entry = stripHttpPrefix(list.substr(at + std::strlen(protocol)));
  entry = entry.substr(0, entry.find(';'));
  return true;
}

void readProxyServer(const std::string& server) {
  std::string entry;
  if (server.find('=') == std::string::npos) {
    splitHostPort(stripHttpPrefix(server), g_proxyServer, g_proxyPort, kHttpPort);
    return;
  }
  if (listEntry(server, "HTTP=", entry))
    splitHostPort(entry, g_proxyServer, g_proxyPort, kHttpPort);
  if (listEntry(server, "SOCKS=", entry)) {
    splitHostPort(entry, g_socksServer, g_socksPort, kSocksPort);
  }
}

// A proxy wins over a SOCKS server; neither: direct.
int proxyOrSocks() {
  if (!g_proxyServer.empty()) {
    if (g_proxyPort.empty()) g_proxyPort = kHttpPort;
    return kConnectionProxy;
  }
  if (g_socksServer.empty()) return kConnectionDirect;
  if (g_socksPort.empty()) g_socksPort = kSocksPort;
  return kConnectionSocks;
}

[[noreturn]] void throwFileError(int step, int err) {
  std::string text = std::strerror(err);
  regDiag() << "ProductRegistration CException (" << step << ") for doPost:" << text << '\n';
  regThrowTransport(text.substr(0, 1024));
}

void readPrefsLine(const std::string& line) {
  for (const PrefsKey& row : kPrefsKeys) {
    std::string value = readPrefsValue(line, row.key);
    if (value.empty()) continue;
    *row.setting = value;
    return;
  }
}

int netscapeType() {
  if (g_netscapeProxyType == "2") return kConnectionAutoConfig;
  if (!g_netscapeProxyType.empty() && g_netscapeProxyType != "1") return kConnectionDirect;
  // A proxy named without a port keeps its port empty here; the connection then uses 80.
  if (!g_proxyServer.empty()) return kConnectionProxy;
  return proxyOrSocks();
}

// The position after the next "return" (or "RETURN") from `from`; npos when there is none.
std::size_t afterReturn(const std::string& script, std::size_t from) {
  std::size_t at = script.find("return", from);
  if (at == std::string::npos) at = script.find("RETURN", from);
  return at == std::string::npos ? at : at + 6;
}

void applyScriptEntry(const std::string& entry, int& result) {
  if (regEqualNoCase(entry, "direct")) {
    if (result == 0) result = kConnectionDirect;
    return;
  }
  std::size_t blank = entry.find(' ');
  if (blank == std::string::npos) return;
  std::string rest;
  for (char c : entry.substr(blank + 1)) {
    if (c != ' ') rest += c;
  }
  rest = stripHttpPrefix(rest);
  if (regEqualNoCase(entry.substr(0, blank), "socks")) {
    result = kConnectionSocks;
    splitHostPort(rest, g_socksServer, g_socksPort, kSocksPort);
    if (g_socksPort.empty()) g_socksPort = kSocksPort;
    return;
  }
  result = kConnectionProxy;
  splitHostPort(rest, g_proxyServer, g_proxyPort, kHttpPort);
  if (g_proxyPort.empty()) g_proxyPort = kHttpPort;
}

// The script's address as host, port and request path ("/" when the address names none).
void scriptAddress(std::string& host, std::string& port, std::string& path) {
  std::string url = stripHttpPrefix(g_autoConfigUrl);
  std::size_t slash = url.find('/');
  host = url.substr(0, slash);
  path = slash == std::string::npos ? "/" : url.substr(slash);
  splitHostPort(host, host, port, kHttpPort);
  if (port.empty()) port = kHttpPort;
}

// An HTTP/1.0 request with its Host line: servers that wait for the end of the headers, and
// those that refuse a request line without a version, answer it too.
std::string scriptRequest(const std::string& host, const std::string& port,
                          const std::string& path) {
  std::string authority = port == kHttpPort ? host : host + ":" + port;
  return "GET " + path + " HTTP/1.0\r\nHost: " + authority + "\r\n\r\n";
}

}  // namespace

void regResetConnectionSettings() {
  g_connectionType = kConnectionUnknown;
  for (std::string* text : {&g_proxyServer, &g_proxyPort, &g_socksServer, &g_socksPort,
                            &g_autoConfigUrl, &g_netscapeProxyType}) {
    text->clear();
  }
}

std::string stripHttpPrefix(const std::string& text) {
  std::string head = regUpper(text.substr(0, 7));
  return head == "HTTP://" || head == "HTTP:\\\\" ? text.substr(7) : text;
}

void readExplorerSettings() {
  regDiag() << "Default browser: Internet Explorer\n";
  g_connectionType = kConnectionDirect;
  int enable = regQueryInt(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyEnable");
  if (enable == -1) return;
  regQueryInt(HKEY_CURRENT_USER, kExplorerSettingsKey, "EnableAutodial");
  g_autoConfigUrl = regQueryString(HKEY_CURRENT_USER, kExplorerSettingsKey, "AutoConfigURL");
  std::string server = regQueryString(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyServer");
  if (!server.empty()) readProxyServer(server);
  if (enable == 0) {
    g_connectionType = g_autoConfigUrl.empty() ? kConnectionDirect : kConnectionAutoConfig;
    return;
  }
  g_connectionType = proxyOrSocks();
}

std::string readPrefsValue(const std::string& line, const std::string& key) {
  if (regUpper(line).find(regUpper(key)) == std::string::npos) return "";
  std::size_t comma = line.find(',');
  if (comma == std::string::npos) return "";
  std::string value;
  for (char c : line.substr(comma)) {
    if (std::strchr(",\"); ", c) == nullptr && c != '\r' && c != '\n') value += c;
  }
  return stripHttpPrefix(value);
}

void readNetscapeSettings() {
  regDiag() << "Default browser: Netscape\n";
  g_connectionType = kConnectionDirect;
  std::string path = findNetscapeFile("prefs.js");
  regDiag() << "Returned prefs.js path: " << path << '\n';
  if (path.empty()) regThrowMessage(kMsgNoNetscapeSettings);
  regDiag() << "Opening file: " << path << '\n';
  std::ifstream file(path);
  if (!file) throwFileError(1, errno);
  regDiag() << "Parsing prefs.js\n";
  std::string line;
  while (std::getline(file, line)) readPrefsLine(line);
  if (file.bad()) throwFileError(2, errno);
  regDiag() << "Determining connection type\n";
  g_connectionType = netscapeType();
}

std::string autoProxyReturns(const std::string& script) {
  std::string entries;
  std::size_t pos = afterReturn(script, 0);
  while (pos != std::string::npos) {
    char quote = '"';
    std::size_t open = script.find(quote, pos);
    if (open == std::string::npos) {
      quote = '\'';
      open = script.find(quote, pos);
    }
    if (open == std::string::npos) break;
    std::size_t close = script.find(quote, open + 1);
    if (close == std::string::npos) break;
    if (!entries.empty()) entries += '|';
    entries += script.substr(open + 1, close - open - 1);
    pos = afterReturn(script, close + 1);
  }
  return entries;
}

int parseAutoProxyScript(const std::string& script) {
  std::string entries = autoProxyReturns(script);
  int result = 0;
  std::size_t start = 0;
  while (!entries.empty() && start <= entries.size()) {
    std::size_t bar = entries.find('|', start);
    applyScriptEntry(entries.substr(start, bar == std::string::npos ? bar : bar - start), result);
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return result == 0 ? kConnectionUnknown : result;
}

int fetchAutoProxyScript(int timeout, const CRegCancel* cancelP) {
  std::string host, port, path;
  scriptAddress(host, port, path);
  regDiag() << host << ":" << port << path << '\n';
  CRegSocket socket(cancelP);
  std::uint32_t ip = regResolveOrThrow(host);
  regConnectOrThrow(socket, ip, regPortOf(port), timeout);
  std::string request = scriptRequest(host, port, path);
  long sent = socket.send(request.data(), request.size());
  regDiag() << request << "Length: " << request.size() << '\n';
  regDiag() << "Sending the data request returned " << sent << '\n';
  return parseAutoProxyScript(regReadReply(socket, timeout));
}
