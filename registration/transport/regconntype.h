// How this computer reaches the web, read from the user's default browser before every
// transmission: Internet Explorer's settings in the registry, Netscape's preferences file, and
// an automatic proxy configuration script fetched over HTTP and read for its return values.
//
// The process-wide connection settings below are written by the transmission worker only,
// while a transmission runs, and read by it; they are not reset between two transmissions:
// a value found by an earlier reading stays unless a later one overwrites it.
#pragma once

#include <string>

class CRegCancel;

enum RegConnectionType {
  kConnectionDirect = 1,
  kConnectionAutoConfig = 2,  // resolved into one of the others before connecting
  kConnectionSocks = 3,       // a SOCKS version 4 server
  kConnectionProxy = 4,       // an HTTP proxy
  kConnectionUnknown = 5,
};

extern int g_connectionType;
extern std::string g_proxyServer;
extern std::string g_proxyPort;
extern std::string g_socksServer;
extern std::string g_socksPort;
extern std::string g_autoConfigUrl;
extern std::string g_netscapeProxyType;

// Back to the start of the process (a test's start).
void regResetConnectionSettings();

// The key of Internet Explorer's settings under HKEY_CURRENT_USER.
inline constexpr char kExplorerSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Internet Explorer's settings; unreadable values are no error.
void readExplorerSettings();
// Netscape's settings from the user's prefs.js; throws CRegException (1502 when the file is
// not found, the file library's text when it cannot be read).
void readNetscapeSettings();
// The value of a prefs.js line that names key (any case): the text from its first "," with
// every ",", double quote, ")", ";" and blank removed, less an "http://" prefix; else "".
std::string readPrefsValue(const std::string& line, const std::string& key);
// text less a leading "HTTP://" or "HTTP:\\" (any case).
std::string stripHttpPrefix(const std::string& text);

// Fetches the script that g_autoConfigUrl names, each wait bounded by timeout seconds, and
// returns the connection type its return values give (parseAutoProxyScript). Network failures
// throw as the registration request's do.
int fetchAutoProxyScript(int timeout, const CRegCancel* cancelP = nullptr);
// The quoted strings of the script's return statements, joined by "|".
std::string autoProxyReturns(const std::string& script);
// The connection type of the script's return values (1, 3, 4 or 5), setting the proxy or SOCKS
// server and port it names.
int parseAutoProxyScript(const std::string& script);
