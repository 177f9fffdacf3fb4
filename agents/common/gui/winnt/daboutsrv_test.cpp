#include "daboutsrv.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "agtrc.h"
#include "frame.h"
#include "nlstest.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

const char kCatalogue[] = R"cat(164 Z - uint,uint,uint "api %u.%u.%u"
165 Z - uint,uint,uint,uint "server %u.%u.%u.%u"
166 Z - - "(none)"
5200 Z - - "on"
5201 Z - - "off"
5202 Z - - "client"
)cat";

const char kBundle[] = R"(
dialog 506 0 0 420 300 "Storage Server" resizable
  edit 2018 150 10 260 24 "" readonly
  edit 2028 150 36 260 24 "" readonly
  edit 2030 150 62 260 24 "" readonly
  edit 2031 150 88 260 24 "" readonly
  edit 2032 150 114 260 24 "" readonly
  edit 2029 150 140 260 24 "" readonly
  edit 2033 150 166 260 24 "" readonly
  edit 2034 150 192 260 24 "" readonly
  edit 2035 150 218 260 24 "" readonly
  edit 2036 150 244 260 24 "" readonly
  button 2015 326 270 84 26 "Close" default
end
)";

// What the fake server query answers, and what it was asked.
struct FakeServer {
  pelkSessInfo info{};
  pelkApiVersion api{8, 1, 4};
  int rc = 0;
  std::string text;
  int calls = 0;
  std::string node, password, optFile;
  bool newPasswordNull = false;
  pelkPasswordCallback callback = nullptr;
};
FakeServer gServer;
std::vector<std::string> gErrors;

int fakeQuery(pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP, const pelkApiLogonInfo* logonP,
              char* msgBufferP) {
  gServer.calls++;
  gServer.node = logonP->nodeNameP;
  gServer.password = logonP->passwordP;
  gServer.optFile = logonP->optFileP;
  gServer.newPasswordNull = logonP->newPasswordP == nullptr;
  gServer.callback = logonP->pwCallbackP;
  if (gServer.rc != RC_OK) {
    snprintf(msgBufferP, DABOUTSRV_MSG_BUFFER_SIZE, "%s", gServer.text.c_str());
    return gServer.rc;
  }
  *sessInfoP = gServer.info;
  *apiVersionP = gServer.api;
  return 0;
}

int answerCallback(int, int, const char*, const char*, char*, int, const char*) {
  return PELK_PW_CANCELLED;
}

void recordError(const char* textP) {
  gErrors.push_back(textP);
}

void fill(char* fieldP, size_t size, const char* textP) {
  snprintf(fieldP, size, "%s", textP);
}

class AboutServer : public nlstest::NlsFixture {
 protected:
  void SetUp() override {
    if (!zkui::uiTestHaveDisplay()) GTEST_SKIP() << "no display";
    NlsFixture::SetUp();
    ASSERT_EQ(initRepository(kCatalogue), 0);
    gServer = FakeServer();
    gErrors.clear();
    pelkSessInfo& s = gServer.info;
    fill(s.id, sizeof s.id, "NODE1");
    fill(s.serverHost, sizeof s.serverHost, "store.example");
    fill(s.moxtarServerName, sizeof s.moxtarServerName, "HUBLOR1");
    fill(s.serverType, sizeof s.serverType, "Linux");
    s.serverVer = 5;
    s.serverRel = 3;
    s.serverLev = 2;
    s.serverSubLev = 1;
    s.compression = PELK_COMPRESSION_ON;
    fill(s.domainName, sizeof s.domainName, "STANDARD");
    fill(s.dfltMCName, sizeof s.dfltMCName, "DISKCLASS");
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    zkui::setScreenArea({});
    NlsFixture::TearDown();
  }
  DServerQuery query() { return {fakeQuery, "pw", "/opt/client.opt", answerCallback, recordError}; }
};

TEST_F(AboutServer, EachFieldShowsItsFactAndAnEmptyOneTheNotAvailableText) {
  struct Case {
    uint8_t compression;
    const char* shown;
  };
  const Case cases[] = {{0, "client"}, {1, "on"}, {2, "off"}, {9, "client"}};
  for (const Case& c : cases) {
    gServer.info.compression = c.compression;
    std::vector<DServerInfoRow> rows = serverInfoRows(gServer.info, gServer.api);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[6].controlId, IDC_ABOUTSRV_COMPRESSION);
    EXPECT_EQ(rows[6].text, c.shown) << int(c.compression);
  }
  // An empty server name shows the placeholder even with a host; so does an empty policy set.
  gServer.info.moxtarServerName[0] = '\0';
  gServer.info.compression = 0;
  zkui::TempBundle bundle(kBundle);
  DAboutMoxtarServerDlg dialog(nullptr, query());
  std::vector<std::pair<int, std::string>> shown;
  zkui::drive::whenModal([&](wxDialog& d) {
    for (int id : {IDC_ABOUTSRV_NODE, IDC_ABOUTSRV_HOST, IDC_ABOUTSRV_NAME, IDC_ABOUTSRV_TYPE,
                   IDC_ABOUTSRV_VERSION, IDC_ABOUTSRV_API_VERSION, IDC_ABOUTSRV_COMPRESSION,
                   IDC_ABOUTSRV_DOMAIN, IDC_ABOUTSRV_POLICY_SET, IDC_ABOUTSRV_MGMT_CLASS}) {
      shown.emplace_back(id, zkui::drive::text(zkui::drive::find(id, &d)));
    }
    zkui::drive::click(IDC_ABOUTSRV_CLOSE, &d);
  });
  EXPECT_EQ(dialog.runDialog(), zkui::kIdOk);
  const std::vector<std::pair<int, std::string>> expected = {
      {IDC_ABOUTSRV_NODE, "NODE1"},
      {IDC_ABOUTSRV_HOST, "store.example"},
      {IDC_ABOUTSRV_NAME, "(none)"},
      {IDC_ABOUTSRV_TYPE, "Linux"},
      {IDC_ABOUTSRV_VERSION, "server 5.3.2.1"},
      {IDC_ABOUTSRV_API_VERSION, "api 8.1.4"},
      {IDC_ABOUTSRV_COMPRESSION, "client"},
      {IDC_ABOUTSRV_DOMAIN, "STANDARD"},
      {IDC_ABOUTSRV_POLICY_SET, "(none)"},
      {IDC_ABOUTSRV_MGMT_CLASS, "DISKCLASS"}};
  EXPECT_EQ(shown, expected);
  // The logon: no node name, the known password, no new one, the option file, the callback.
  EXPECT_EQ(gServer.node, "");
  EXPECT_EQ(gServer.password, "pw");
  EXPECT_TRUE(gServer.newPasswordNull);
  EXPECT_EQ(gServer.optFile, "/opt/client.opt");
  EXPECT_EQ(gServer.callback, &answerCallback);
  EXPECT_TRUE(gErrors.empty());
}

TEST_F(AboutServer, AFailedQueryEndsItWithItsCodeAndOnlyACancelIsSilent) {
  struct Case {
    int rc;
    const char* text;
    size_t errors;
  };
  const Case cases[] = {{415, "", 0}, {418, "The storage server cannot be reached.", 1}};
  zkui::TempBundle bundle(kBundle);
  for (const Case& c : cases) {
    gErrors.clear();
    gServer.rc = c.rc;
    gServer.text = c.text;
    DAboutMoxtarServerDlg dialog(nullptr, query());
    EXPECT_EQ(dialog.runDialog(), int(c.rc));
    EXPECT_EQ(dialog.window(), nullptr);
    ASSERT_EQ(gErrors.size(), c.errors) << c.rc;
    if (c.errors == 1) {
      EXPECT_EQ(gErrors[0], c.text);
    }
  }
}

TEST_F(AboutServer, OnAShortScreenItIsAsHighAsTheScreenLessFiveAndOnlyItsWidthChanges) {
  zkui::TempBundle bundle(kBundle);
  for (int screenHeight : {768, 200}) {
    zkui::setScreenArea({0, 0, 1024, screenHeight});
    DAboutMoxtarServerDlg dialog(nullptr, query());
    int height = 0, fieldRight = 0, clientRight = 0;
    zkui::drive::whenModal([&](wxDialog& d) {
      height = d.GetSize().GetHeight();
      d.SetSize(d.GetSize().GetWidth() + 120, height + 80);
      zkui::drive::pump(100);
      EXPECT_EQ(d.GetSize().GetHeight(), height);
      fieldRight = zkui::drive::find(IDC_ABOUTSRV_DOMAIN, &d)->GetRect().GetRight() + 1;
      clientRight = d.GetClientSize().GetWidth();
      zkui::drive::click(IDC_ABOUTSRV_CLOSE, &d);
    });
    EXPECT_EQ(dialog.runDialog(), zkui::kIdOk);
    EXPECT_EQ(dialog.fixedHeight(), height);
    if (screenHeight == 200) {
      EXPECT_EQ(height, 195);
    } else {
      EXPECT_GE(height, 300);
    }
    EXPECT_EQ(fieldRight, clientRight - 7);
  }
}

}  // namespace
