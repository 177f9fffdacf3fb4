// The registration request against servers of the test on 127.0.0.1.
#include "regconnection.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "regconntype.h"
#include "regdiag.h"
#include "regexchange.h"
#include "regloopback_testutil.h"
#include "regswitch.h"
#include "root.h"

namespace {

using regtest::Origin;
using regtest::Reply;
using regtest::replyOf;

constexpr char kQuery[] = "fname=Ada&lname=Lovelace";
constexpr char kOk[] = "HTTP/1.0 200 OK\r\n\r\nresult1=Success\r\n";

std::string gatewayRequest(const std::string& prefix = "") {
  return "GET " + prefix + kGatewayPath + kQuery + " HTTP/1.0 \r\n\r\n";
}

std::string location(const std::string& address) {
  return "HTTP/1.0 302 Moved\r\nLocation: " + address + "\r\nContent-Type: text/html\r\n\r\n";
}

TEST(RegistrationReply, EvaluationAndTarget) {
  struct Case {
    std::string reply;
    RegReply want;
    const char* target;  // host:port prefix after the reply
  };
  const std::string gw = kGatewayPath;
  const Case cases[] = {
      {"RESULT1=SUCCESS", RegReply::Succeeded, "h.example:8080/reg"},
      {"<html>Result1=success</html>", RegReply::Succeeded, "h.example:8080/reg"},
      {"result1=failure", RegReply::NotPosted, "h.example:8080/reg"},
      {location("http://other.example/x" + gw + "own=1") + "RESULT1=SUCCESS", RegReply::Redirected,
       "other.example:8080/x"},
      {location("HTTP://other.example:81" + gw), RegReply::Redirected, "other.example:81"},
      {location("http://other.example:" + gw), RegReply::Redirected, "other.example:80"},
      // A relative location keeps the host; only the header's own line counts.
      {location("/y" + gw) + "<a href=\"http://z.example" + gw + "\">", RegReply::Redirected,
       "h.example:8080/y"},
      {location("http://other.example/nothing") + gw, RegReply::BadRedirection,
       "h.example:8080/reg"},
      {"<a HREF=\"http://no.example/\">x</a> <A href=\"http://z.example:90/p" + gw + "q\">",
       RegReply::Redirected, "z.example:90/p"},
      {"<a href=\"http://no.example/\">x</a>", RegReply::BadRedirection, "h.example:8080/reg"},
  };
  for (const Case& c : cases) {
    CRegTarget target = regParseTarget("h.example:8080/reg");
    EXPECT_EQ(c.want, regEvaluateReply(c.reply, gw, target)) << c.reply;
    EXPECT_EQ(c.target, target.host + ":" + target.port + target.pathPrefix) << c.reply;
  }
}

TEST(RegistrationReply, RequestLine) {
  CRegTarget target = regParseTarget("h.example/reg");
  EXPECT_EQ("h.example", target.host);
  EXPECT_EQ("80", target.port);
  EXPECT_EQ("GET /reg/g?q HTTP/1.0 \r\n\r\n",
            regRequestText(kConnectionDirect, target, "/g?", "q"));
  EXPECT_EQ("GET http://h.example/reg/g?q HTTP/1.0 \r\n\r\n",
            regRequestText(kConnectionProxy, target, "/g?", "q"));
  target = regParseTarget("h.example:8080");
  EXPECT_EQ("GET http://h.example:8080/g?q HTTP/1.0 \r\n\r\n",
            regRequestText(kConnectionProxy, target, "/g?", "q"));
}

TEST(RegistrationReply, SocketErrorTexts) {
  EXPECT_EQ("The connection was refused.", regSocketErrorText(10061, 1507));
  EXPECT_EQ("Connecting to the server failed with error code: ",
            regSocketErrorText(10004, 1507));  // step kind: the step's message
  EXPECT_EQ("Receiving data failed with error code:  10054", regSocketErrorText(10054, 1510));
  EXPECT_EQ("Receiving data failed with error code:  5", regSocketErrorText(5, 1510));
}

// The registry of a fresh root says: Internet Explorer, direct unless a test says otherwise.
class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    regResetSwitches();
    regResetConnectionSettings();
    regSetDiag(&m_log);
    regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "htmlfile");
  }
  void TearDown() override { regSetDiag(nullptr); }

  void explorer(int enable, const std::string& server, const std::string& autoConfig = "") {
    regtest::setRegDword(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyEnable", enable);
    regtest::setRegString(HKEY_CURRENT_USER, kExplorerSettingsKey, "ProxyServer", server);
    regtest::setRegString(HKEY_CURRENT_USER, kExplorerSettingsKey, "AutoConfigURL", autoConfig);
  }

  // sendRegistration's result, or the failure's id and text.
  std::string send(const std::string& server, int timeout = 5) {
    CRegConnection connection;
    try {
      return std::to_string(
          connection.sendRegistration(kQuery, timeout, server, kGatewayPath, &m_reply));
    } catch (const CRegException& e) {
      return std::to_string(e.id()) + " " + e.text();
    }
  }

  zkroot::ScopedRoot m_root;
  std::ostringstream m_log;
  std::string m_reply;
};

TEST_F(Registration, DirectRequestIsTheExactLine) {
  Origin origin({replyOf(kOk)});
  EXPECT_EQ("1", send(origin.address()));
  ASSERT_EQ(1u, origin.requests().size());
  EXPECT_EQ(gatewayRequest(), origin.requests()[0]);
  EXPECT_NE(std::string::npos, m_log.str().find("Connection type: Direct"));
}

TEST_F(Registration, RepliesDecideTheOutcome) {
  std::string big(10000, 'x');
  struct Case {
    std::vector<Reply> replies;
    std::string want;
  };
  const Case cases[] = {
      {{replyOf("HTTP/1.0 200 OK\r\n\r\nsorry")}, "219 Posting the data was not successful. "},
      {{replyOf("")}, "219 Posting the data was not successful. "},  // closed without data
      {{Reply{{"HTTP/1.0 200 OK\r\n\r\n", big, std::string("\0", 1), big, "RESULT1=SUCCESS"}}},
       "1"},
      {{replyOf(location("http://127.0.0.1/elsewhere"))},
       "219 Bad redirection data was received. "},
      {{replyOf("<a href=\"/nowhere\">")}, "219 Bad redirection data was received. "},
  };
  for (const Case& c : cases) {
    Origin origin(c.replies);
    EXPECT_EQ(c.want, send(origin.address())) << c.replies[0].chunks.size();
    if (c.want == "1") {
      EXPECT_EQ(2 * big.size() + 1 + 34, m_reply.size());
    }
  }
}

TEST_F(Registration, RedirectionsAreFollowedUpToSix) {
  Origin second({replyOf(kOk)});
  std::string toSecond = "http://" + second.address() + "/x" + kGatewayPath + "own=query";
  Origin first({replyOf(location(toSecond))});
  EXPECT_EQ("1", send(first.address()));
  ASSERT_EQ(1u, second.requests().size());
  EXPECT_EQ(gatewayRequest("/x"), second.requests()[0]);

  Origin hrefPage({replyOf("<a href=\"http://" + second.address() + kGatewayPath + "\">go</a>")});
  EXPECT_EQ("1", send(hrefPage.address()));

  std::string again = location(std::string("/loop") + kGatewayPath);
  std::vector<Reply> six(6, replyOf(again));
  six.push_back(replyOf(kOk));
  Origin sixTimes(six);
  EXPECT_EQ("1", send(sixTimes.address()));
  ASSERT_EQ(7u, sixTimes.requests().size());
  EXPECT_EQ(gatewayRequest("/loop"), sixTimes.requests()[6]);

  Origin sevenTimes({replyOf(again)});
  EXPECT_EQ("219 Aborting post -- too many levels of redirection. ", send(sevenTimes.address()));
  EXPECT_EQ(7u, sevenTimes.requests().size());
}

TEST_F(Registration, SilenceTimesOut) {
  Origin origin({regtest::silence()});
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("219 The request timed out. ", send(origin.address(), 1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

TEST_F(Registration, ConnectIsBoundedByTheTimeOut) {
  // A listener that never accepts, its queue filled by a first connection: the next connect
  // waits for an answer that does not come.
  int port = 0;
  int listener = regtest::listenLoopback(0, port);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int first = ::socket(AF_INET, SOCK_STREAM, 0);
  ::connect(first, reinterpret_cast<sockaddr*>(&address), sizeof address);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("219 The request timed out. ", send("127.0.0.1:" + std::to_string(port), 1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  ::close(first);
  ::close(listener);
}

TEST_F(Registration, NamesAddressesAndRefusals) {
  Origin origin({replyOf(kOk)});
  EXPECT_EQ("1", send("localhost:" + std::to_string(origin.port())));
  EXPECT_EQ("219 DNS resolution failed. ",
            send("no-such-host.invalid:" + std::to_string(origin.port())));
  EXPECT_EQ("219 DNS resolution failed. ", send("127.0.0.300:" + std::to_string(origin.port())));
  EXPECT_EQ(1, origin.connections());
  // A port nobody listens on: bound, then closed again.
  int port = 0;
  ::close(regtest::listenLoopback(1, port));
  EXPECT_EQ("219 The connection was refused. ", send("127.0.0.1:" + std::to_string(port)));
}

TEST_F(Registration, UnknownBrowserOrConnectionTypeFails) {
  regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "");
  EXPECT_EQ("219 Your default Internet browser could not be determined. ", send("127.0.0.1:1"));
  regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "htmlfile");
  Origin script({replyOf("function F(u,h) { }")});
  explorer(0, "", "http://" + script.address() + "/p.pac");
  EXPECT_EQ("219 Your Internet connection method could not be determined. ", send("127.0.0.1:1"));
}

TEST_F(Registration, ThroughAnHttpProxy) {
  Origin origin({replyOf(kOk)});
  regtest::HttpProxy proxy;
  // The target's name is left to the proxy: only it needs to resolve it.
  std::string target = "localhost:" + std::to_string(origin.port());
  for (const std::string& setting :
       {proxy.address(), "ftp=f:21;http=" + proxy.address() + ";socks=127.0.0.1:1"}) {
    explorer(1, setting);
    EXPECT_EQ("1", send(target)) << setting;
  }
  ASSERT_EQ(2u, proxy.requests().size());
  EXPECT_EQ("GET http://" + target + kGatewayPath + kQuery + " HTTP/1.0 \r\n\r\n",
            proxy.requests()[1]);
  EXPECT_EQ(gatewayRequest(), origin.requests()[1]);
}

TEST_F(Registration, ThroughASocksServer) {
  Origin origin({replyOf(kOk)});
  struct Case {
    regtest::SocksServer::Mode mode;
    std::string want;
  };
  const Case cases[] = {
      {regtest::SocksServer::Mode::Grant, "1"},
      {regtest::SocksServer::Mode::Refuse, "219 Error connecting to the Socks server. "},
      {regtest::SocksServer::Mode::Short, "219 Error connecting to the Socks server. "},
      {regtest::SocksServer::Mode::Silent, "219 The request timed out. "},
  };
  for (const Case& c : cases) {
    regtest::SocksServer socks(c.mode);
    explorer(1, "socks=" + socks.address());
    EXPECT_EQ(c.want, send(origin.address(), 1));
    ASSERT_EQ(1u, socks.requests().size());
    EXPECT_EQ("ok " + std::to_string(origin.port()), socks.requests()[0]);
  }
  EXPECT_EQ(1u, origin.requests().size());
}

TEST_F(Registration, ThroughAProxyScript) {
  Origin origin({replyOf(kOk)});
  regtest::HttpProxy proxy;
  regtest::SocksServer socks(regtest::SocksServer::Mode::Grant);
  const std::string scripts[] = {
      "function F(u,h) { return \"PROXY " + proxy.address() + "\"; }",
      "function F(u,h) { return \"SOCKS " + socks.address() + "\"; }",
      "function F(u,h) { return 'DIRECT'; }",
  };
  for (const std::string& script : scripts) {
    Origin pac({replyOf(script)});
    explorer(0, "", "http://" + pac.address() + "/proxy.pac");
    EXPECT_EQ("1", send(origin.address())) << script;
  }
  EXPECT_EQ(1u, proxy.requests().size());
  EXPECT_EQ(1u, socks.requests().size());
  EXPECT_EQ(3u, origin.requests().size());
}

TEST_F(Registration, ThroughTheNetscapeProfile) {
  Origin origin({replyOf(kOk)});
  regtest::HttpProxy proxy;
  std::filesystem::path dir = m_root.path() / "profile";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "prefs.js") << "user_pref(\"network.proxy.type\", 1);\n"
                                  << "user_pref(\"network.proxy.http\", \"127.0.0.1\");\n"
                                  << "user_pref(\"network.proxy.http_port\", " << proxy.port()
                                  << ");\n";
  regtest::setRegString(HKEY_CLASSES_ROOT, ".htm", "", "NetscapeMarkup");
  const char* users = "SOFTWARE\\Netscape\\Netscape Navigator\\Users";
  regtest::setRegString(HKEY_LOCAL_MACHINE, users, "CurrentUser", "ada");
  regtest::setRegString(HKEY_LOCAL_MACHINE, std::string(users) + "\\ada", "DirRoot", dir.string());
  EXPECT_EQ("1", send(origin.address()));
  EXPECT_EQ(1u, proxy.requests().size());
}

// The connecting dialog of a test: it starts after startDelayMs (an end asked for before is
// lost, as with a window not yet shown) and, when cancelAfterMs >= 0, the user cancels then.
class TestDialog : public CRegConnectingView {
 public:
  TestDialog(int startDelayMs, int cancelAfterMs)
      : m_startDelayMs(startDelayMs), m_cancelAfterMs(cancelAfterMs) {}
  int runModal(const CRegConnection& connection) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(m_startDelayMs));
    std::unique_lock<std::mutex> lock(m_mutex);
    m_running = true;
    if (connection.finished()) return kConnectEnded;
    auto limit = std::chrono::milliseconds(m_cancelAfterMs >= 0 ? m_cancelAfterMs : 20000);
    bool ended = m_ended.wait_for(lock, limit, [this] { return m_code != 0; });
    m_running = false;
    return ended ? m_code : kConnectCancelled;
  }
  void endModal(int code) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_running) return;
    m_code = code;
    m_ended.notify_all();
  }

 private:
  int m_startDelayMs;
  int m_cancelAfterMs;
  std::mutex m_mutex;
  std::condition_variable m_ended;
  bool m_running = false;  // guarded by m_mutex
  int m_code = 0;          // guarded by m_mutex
};

class Transmission : public Registration {
 protected:
  void SetUp() override {
    Registration::SetUp();
    CRegCommandLineInfo().ParseParam("connect=Direct", true, true);
  }
  void TearDown() override {
    unsetenv("TAMREL_SERVER_HOST");
    Registration::TearDown();
  }
  std::string run(TestDialog& dialog) {
    CRegConnection connection;
    connection.setQuery(kQuery);
    try {
      connection.runTransmission(dialog);
      return "ok";
    } catch (const CRegException& e) {
      return std::to_string(e.id()) + " " + e.text();
    }
  }
};

TEST_F(Transmission, SucceedsAndFailsBesideTheDialog) {
  Origin origin({replyOf(kOk), replyOf("no")});
  setenv("TAMREL_SERVER_HOST", origin.address().c_str(), 1);
  TestDialog dialog(0, -1);
  EXPECT_EQ("ok", run(dialog));
  EXPECT_EQ(gatewayRequest(), origin.requests()[0]);
  TestDialog again(0, -1);
  EXPECT_EQ("219 Posting the data was not successful. ", run(again));
}

TEST_F(Transmission, ADialogThatStartsLateEndsItself) {
  Origin origin({replyOf(kOk)});
  setenv("TAMREL_SERVER_HOST", origin.address().c_str(), 1);
  TestDialog late(1500, -1);
  EXPECT_EQ("ok", run(late));
}

TEST_F(Transmission, CancelWhileTheServerIsSilent) {
  Origin origin({regtest::silence()});
  setenv("TAMREL_SERVER_HOST", origin.address().c_str(), 1);
  TestDialog dialog(0, 300);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("245 Your registration has been canceled. ", run(dialog));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(1u, origin.requests().size());
}

}  // namespace
