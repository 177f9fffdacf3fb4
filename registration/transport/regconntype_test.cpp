// The connection type from the browser's settings and from a proxy script.
#include "regconntype.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "regdiag.h"
#include "regexcept.h"
#include "regloopback_testutil.h"
#include "regnetscape.h"
#include "root.h"

namespace {

struct Settings {
  int type;
  std::string proxy, proxyPort, socks, socksPort;
};

Settings current() {
  return {g_connectionType, g_proxyServer, g_proxyPort, g_socksServer, g_socksPort};
}

std::string describe(const Settings& s) {
  return std::to_string(s.type) + " proxy=" + s.proxy + ":" + s.proxyPort + " socks=" + s.socks +
         ":" + s.socksPort;
}

class ConnectionType : public ::testing::Test {
 protected:
  void SetUp() override {
    regResetConnectionSettings();
    regForgetNetscapeProfile();
    regSetDiag(&m_log);
  }
  void TearDown() override { regSetDiag(nullptr); }
  zkroot::ScopedRoot m_root;
  std::ostringstream m_log;
};

TEST(ConnectionTypeText, PrefsValueAndHttpPrefix) {
  EXPECT_EQ("proxy.example", readPrefsValue("user_pref(\"network.proxy.http\", \"proxy.example\");",
                                            "network.proxy.http"));
  EXPECT_EQ("1", readPrefsValue("user_pref(\"network.proxy.type\", 1);", "NETWORK.PROXY.TYPE"));
  EXPECT_EQ(
      "p.example/x.pac",
      readPrefsValue("user_pref(\"network.proxy.autoconfig_url\", \"http://p.example/x.pac\");\r",
                     "network.proxy.autoconfig_url"));
  EXPECT_EQ("", readPrefsValue("user_pref(\"network.proxy.ftp\", \"f\");", "network.proxy.http"));
  EXPECT_EQ("host", stripHttpPrefix("HtTp://host"));
  EXPECT_EQ("host", stripHttpPrefix("http:\\\\host"));
  EXPECT_EQ("ftp://host", stripHttpPrefix("ftp://host"));
}

TEST_F(ConnectionType, ExplorerSettings) {
  struct Case {
    int enable;  // -1: no ProxyEnable value
    const char* server;
    const char* autoConfig;
    Settings want;
  };
  const Case cases[] = {
      {1, "proxy.example:8080", "", {4, "proxy.example", "8080", "", ""}},
      {1, "http://proxy.example", "", {4, "proxy.example", "80", "", ""}},
      {1, "ftp=f:21;http=h:3128;socks=s", "", {4, "h", "3128", "s", "1080"}},
      {1, "ftp=f:21;socks=s:1081", "", {3, "", "", "s", "1081"}},
      {0, "", "http://pac.example/p.pac", {2, "", "", "", ""}},
      {1, "", "http://pac.example/p.pac", {1, "", "", "", ""}},
      {0, "", "", {1, "", "", "", ""}},
      {-1, "proxy.example:8080", "", {1, "", "", "", ""}},
  };
  for (const Case& c : cases) {
    zkroot::ScopedRoot root;
    regResetConnectionSettings();
    if (c.enable >= 0) {
      regtest::setRegDword(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyEnable", c.enable);
    }
    regtest::setRegString(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyServer", c.server);
    regtest::setRegString(HKEY_CURRENT_USER, kExplorerSettingsKey, "AutoConfigURL", c.autoConfig);
    readExplorerSettings();
    EXPECT_EQ(describe(c.want), describe(current())) << c.server << " / " << c.enable;
  }
}

// A Navigator 4 profile whose prefs.js holds the given lines.
class NetscapeProfile : public ConnectionType {
 protected:
  void writePrefs(const std::string& lines) {
    std::filesystem::path dir = m_root.path() / "profile";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "prefs.js") << lines;
    const char* users = "SOFTWARE\\Netscape\\Netscape Navigator\\Users";
    regtest::setRegString(HKEY_LOCAL_MACHINE, users, "CurrentUser", "ada");
    regtest::setRegString(HKEY_LOCAL_MACHINE, std::string(users) + "\\ada", "DirRoot",
                          dir.string());
  }
  static std::string pref(const std::string& key, const std::string& value) {
    return "user_pref(\"" + key + "\", " + value + ");\n";
  }
};

TEST_F(NetscapeProfile, PreferencesGiveTheType) {
  struct Case {
    std::string prefs;
    Settings want;
  };
  const Case cases[] = {
      {pref("network.proxy.type", "1") + pref("network.hosts.socks_server", "\"s.example\""),
       {3, "", "", "s.example", "1080"}},
      {pref("network.proxy.type", "1") + pref("network.proxy.http", "\"p.example\""),
       {4, "p.example", "", "", ""}},  // no port line: the port stays empty
      {pref("network.proxy.http", "\"p.example\"") + pref("network.proxy.http_port", "3128"),
       {4, "p.example", "3128", "", ""}},
      {pref("network.proxy.type", "2") + pref("network.proxy.autoconfig_url", "\"http://a/p\""),
       {2, "", "", "", ""}},
      {pref("network.proxy.type", "3") + pref("network.proxy.http", "\"p.example\""),
       {1, "p.example", "", "", ""}},
  };
  for (const Case& c : cases) {
    regResetConnectionSettings();
    regForgetNetscapeProfile();
    writePrefs(c.prefs);
    readNetscapeSettings();
    EXPECT_EQ(describe(c.want), describe(current())) << c.prefs;
  }
}

TEST_F(ConnectionType, NetscapeWithoutProfileFails) {
  try {
    readNetscapeSettings();
    FAIL() << "no exception";
  } catch (const CRegException& e) {
    EXPECT_EQ(219, e.id());
    EXPECT_EQ("Netscape's network settings could not be found. ", e.text());
  }
}

TEST_F(NetscapeProfile, ProfileFolderIsCachedAndFoundThroughOlderInstallations) {
  // Older installations: <install>/Users/<user>/, beside the Communicator folder.
  std::filesystem::path install = m_root.path() / "Netscape" / "Communicator";
  std::filesystem::create_directories(m_root.path() / "Netscape" / "Users" / "bo");
  std::ofstream(m_root.path() / "Netscape" / "Users" / "bo" / "bookmark.htm") << "x";
  regtest::setRegString(HKEY_CURRENT_USER, "Software\\Netscape\\Netscape Navigator\\biff",
                        "CurrentUser", "bo");
  regtest::setRegString(HKEY_LOCAL_MACHINE, "Software\\Netscape\\Netscape Navigator",
                        "CurrentVersion", "4.7");
  regtest::setRegString(HKEY_LOCAL_MACHINE, "Software\\Netscape\\Netscape Navigator\\4.7\\Main",
                        "Install Directory", install.string());
  std::string found = findNetscapeFile("bookmark.htm");
  EXPECT_EQ((m_root.path() / "Netscape" / "Users" / "bo" / "bookmark.htm").string(), found);
  // The second file comes from the cached folder, though the registry no longer names it.
  std::ofstream(m_root.path() / "Netscape" / "Users" / "bo" / "prefs.js") << "";
  regtest::setRegString(HKEY_LOCAL_MACHINE, "Software\\Netscape\\Netscape Navigator",
                        "CurrentVersion", "");
  EXPECT_EQ((m_root.path() / "Netscape" / "Users" / "bo" / "prefs.js").string(),
            findNetscapeFile("prefs.js"));
  EXPECT_EQ("", findNetscapeFile("missing.js"));
}

TEST(ProxyScript, ReturnValuesGiveTheType) {
  struct Case {
    const char* script;
    Settings want;
  };
  const Case cases[] = {
      {"function F(u,h) { if (h) return \"DIRECT\"; return \"PROXY p.example:8080; DIRECT\"; }",
       {4, "p.example", "8080;DIRECT", "", ""}},
      {"function F(u,h) { return 'DIRECT'; }", {1, "", "", "", ""}},
      {"function F(u,h) { return \"SOCKS s.example\"; }", {3, "", "", "s.example", "1080"}},
      {"function F(u,h) { RETURN \"PROXY http://p.example\"; }", {4, "p.example", "80", "", ""}},
      {"function F(u,h) { return \"PROXY\"; }", {5, "", "", "", ""}},  // no blank: skipped
      {"function F(u,h) { }", {5, "", "", "", ""}},
  };
  for (const Case& c : cases) {
    regResetConnectionSettings();
    g_connectionType = parseAutoProxyScript(c.script);
    EXPECT_EQ(describe(c.want), describe(current())) << c.script;
  }
  EXPECT_EQ("DIRECT|PROXY a:1", autoProxyReturns("return \"DIRECT\"; return \"PROXY a:1\""));
}

// The server answers only once the request's headers have ended, as most servers do.
TEST_F(ConnectionType, ScriptIsFetchedWithAVersionAndAHostLine) {
  regtest::Origin origin({regtest::replyOf("function F(u,h) { return \"PROXY 127.0.0.1:3128\"; }")},
                         12, regtest::RequestEnd::Headers);
  g_autoConfigUrl = "http://" + origin.address() + "/proxy.pac";
  EXPECT_EQ(kConnectionProxy, fetchAutoProxyScript(5));
  EXPECT_EQ("127.0.0.1", g_proxyServer);
  EXPECT_EQ("3128", g_proxyPort);
  ASSERT_EQ(1u, origin.requests().size());
  EXPECT_EQ("GET /proxy.pac HTTP/1.0\r\nHost: " + origin.address() + "\r\n\r\n",
            origin.requests()[0]);
}

}  // namespace
