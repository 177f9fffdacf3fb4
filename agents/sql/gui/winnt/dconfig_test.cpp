// The configuration sheet, the storage-server information dialog and the about box of zarnaksql,
// run from its main window on a simulated machine. With ZARNAK_SCREENSHOTS set, the sheet's
// pages and the dialogs are written there as PNG files.
#include "dconfig.h"

#include <wx/image.h>

#include <fstream>
#include <string>
#include <vector>

#include "agtlog.h"
#include "agtrc.h"
#include "daboutdlg.h"
#include "daboutsrv.h"
#include "dmainfrm.h"
#include "dpasswd.h"
#include "dsqlguiapp_testutil.h"
#include "filechooser.h"
#include "tabstrip.h"

namespace {

using guitest::pump;
using guitest::pumpUntil;
using zkui::drive::click;
using zkui::drive::find;
using zkui::drive::text;
using zkui::drive::type;

class ZarnaksqlDialogs : public guitest::ZarnaksqlStart {
 protected:
  void SetUp() override {
    ZarnaksqlStart::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(start({})) << (m_boxes.empty() ? "" : m_boxes[0]);
    m_frameP = m_app.mainFrame();
    ASSERT_NE(m_frameP, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return m_frameP->IsShownOnScreen(); }));
    m_boxes.clear();
  }
  void TearDown() override {
    if (m_frameP != nullptr) {
      m_frameP->Close();
      pumpUntil([] { return !anyTopLevelWindow(); }, 3000);
      m_app.exitInstance();
    }
    zkui::setFileChooserHook(nullptr);
    ZarnaksqlStart::TearDown();
  }
  std::string config() {
    std::ifstream in(agentDir() + "zarnaksql.cfg");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool hasLine(const std::string& line) {
    return ("\n" + config()).find("\n" + line + "\n") != std::string::npos;
  }
  // Runs the configuration command with `script` acting in the sheet.
  void configure(const std::function<void(wxDialog&)>& script) {
    zkui::drive::whenModal(script);
    m_frameP->onConfiguration();
  }

  DMainFrame* m_frameP = nullptr;
};

bool enabled(int id, wxWindow* withinP) {
  wxWindow* controlP = find(id, withinP);
  return controlP != nullptr && controlP->IsEnabled();
}

zkui::TabStrip* tabsOf(wxDialog& sheet) {
  for (wxWindow* childP : sheet.GetChildren()) {
    if (auto* tabsP = dynamic_cast<zkui::TabStrip*>(childP)) return tabsP;
  }
  return nullptr;
}

TEST_F(ZarnaksqlDialogs, TheSheetChecksStoresOnApplyAndOnOkAndKeepsItsRowsInOrder) {
  zkui::FileChooserRequest asked;
  zkui::setFileChooserHook([&](const zkui::FileChooserRequest& r, std::string& path) {
    asked = r;
    path = agentDir() + "chosen";
    return zkui::kIdBoxOk;
  });
  std::string before = config();  // the start-up's pruning date
  configure([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle().utf8_string(), "Configuration - zarnaksql.cfg");
    EXPECT_EQ(text(find(IDC_CONFIG_FROM, &d)), "");
    zkui::TabStrip* tabsP = tabsOf(d);
    ASSERT_NE(tabsP, nullptr);
    EXPECT_EQ(tabsP->itemText(0), "General");
    EXPECT_EQ(tabsP->itemText(3), "Regional Settings");
    EXPECT_EQ(text(find(IDC_CONFIG_SERVER_LABEL, &d)), "SQL Server:");
    EXPECT_EQ(text(find(IDC_CONFIG_ESTIMATE, &d)), "20");
    EXPECT_FALSE(enabled(zkui::kIdApply, &d));
    shoot(&d, "zarnaksql-config-general.png");

    // A buffer count of 1 is refused and nothing is stored; the page stays in front.
    ASSERT_TRUE(tabsP->clickTab(1));
    EXPECT_EQ(text(find(IDC_CONFIG_BUFFERS_LABEL, &d)), "Number of data buffers:");
    type(IDC_CONFIG_BUFFERS, "1", &d);
    EXPECT_TRUE(enabled(zkui::kIdApply, &d));
    click(zkui::kIdApply, &d);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], "Please enter a whole number from 2 to 8.");
    EXPECT_EQ(config(), before);
    EXPECT_FALSE(tabsP->clickTab(2));
    type(IDC_CONFIG_BUFFERS, "4", &d);
    shoot(&d, "zarnaksql-config-performance.png");

    // The first date radio is format 1.
    ASSERT_TRUE(tabsP->clickTab(3));
    click(IDC_CONFIG_DATE_FIRST + 2, &d);
    click(IDC_CONFIG_DATE_FIRST, &d);
    shoot(&d, "zarnaksql-config-regional.png");

    // Pruning off sets the days back to 60 and disables them and the pruning at once.
    ASSERT_TRUE(tabsP->clickTab(2));
    EXPECT_EQ(text(find(IDC_CONFIG_PRUNE, &d)), "Prune the activity log");
    EXPECT_TRUE(enabled(IDC_CONFIG_PRUNE_NOW, &d));
    type(IDC_CONFIG_DAYS, "15", &d);
    click(IDC_CONFIG_PRUNE, &d);
    EXPECT_EQ(text(find(IDC_CONFIG_DAYS, &d)), "60");
    EXPECT_FALSE(enabled(IDC_CONFIG_DAYS, &d));
    EXPECT_FALSE(enabled(IDC_CONFIG_DAYS_SPIN, &d));
    EXPECT_FALSE(enabled(IDC_CONFIG_PRUNE_NOW, &d));

    // Browse asks where to save, starting in the log's folder, and shows the chosen path.
    click(IDC_CONFIG_BROWSE, &d);
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "Choose a Log File");
    EXPECT_EQ(asked.defaultExtension, "log");
    EXPECT_TRUE(asked.mustExist);
    EXPECT_EQ(asked.directory + "/", agentDir());
    EXPECT_EQ(text(find(IDC_CONFIG_LOGFILE, &d)), agentDir() + "chosen.log");
    shoot(&d, "zarnaksql-config-log.png");

    click(zkui::kIdApply, &d);
    EXPECT_FALSE(enabled(zkui::kIdApply, &d));
    EXPECT_TRUE(find(IDC_CONFIG_LOGFILE, &d)->IsShownOnScreen());

    // A log file that cannot be written is refused by its row's name and the edit emptied.
    m_boxes.clear();
    type(IDC_CONFIG_LOGFILE, "/no/such/folder/x.log", &d);
    click(zkui::kIdApply, &d);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find("ZUD5715E"), std::string::npos) << m_boxes[0];
    EXPECT_NE(m_boxes[0].find("logfile"), std::string::npos) << m_boxes[0];
    EXPECT_EQ(text(find(IDC_CONFIG_LOGFILE, &d)), "");
    type(IDC_CONFIG_LOGFILE, agentDir() + "chosen.log", &d);

    // OK stores again, with what the pages show now.
    ASSERT_TRUE(tabsP->clickTab(1));
    type(IDC_CONFIG_STRIPES, "3", &d);
    click(zkui::kIdOk, &d);
  });
  EXPECT_TRUE(hasLine("SQLSERVer      " + guitest::computerName())) << config();
  EXPECT_EQ(config().find("FROMSQLserver"), std::string::npos) << config();
  EXPECT_TRUE(hasLine("BUFFers      4")) << config();
  EXPECT_TRUE(hasLine("STRIPes      3")) << config();
  EXPECT_TRUE(hasLine("DATEformat      1")) << config();
  EXPECT_TRUE(hasLine("LOGPrune      No")) << config();
  EXPECT_TRUE(hasLine("LOGFile      " + agentDir() + "chosen.log")) << config();
  EXPECT_TRUE(hasLine("LastPruneDate      00/00/0000 00:00:00")) << config();
  EXPECT_EQ(guiOptions().nBuffers, 4);
  EXPECT_EQ(guiOptions().nStripes, 3);
  EXPECT_EQ(guiOptions().nLogPrune, -1);
  EXPECT_EQ(std::string(gLogP->GetLogName()), agentDir() + "chosen.log");
  // The rows in their order (LastPruneDate keeps the place the start-up's pruning gave it).
  std::vector<std::string> order = {
      "SQLSERVer",  "SQLAUTHentication", "MOUNTWaitfordata", "DIFFESTimate",  "BUFFers",
      "BUFFERSIze", "STRIPes",           "SQLBUFFers",       "SQLBUFFERSIze", "LOGFile",
      "LOGPrune",   "DATEformat",        "TIMEformat",       "NUMBERformat"};
  size_t at = 0;
  for (const std::string& keyword : order) {
    size_t next = ("\n" + config()).find("\n" + keyword + " ");
    ASSERT_NE(next, std::string::npos) << keyword;
    EXPECT_GE(next, at) << keyword;
    at = next;
  }
}

TEST_F(ZarnaksqlDialogs, PruneNowPrunesAtOnceAndKeepsTheDate) {
  std::string logPath = agentDir() + "zarnaksql.log";
  std::ofstream(logPath, std::ios::app) << "01/02/2020 10:00:00 an old line\n";
  configure([&](wxDialog& d) {
    tabsOf(d)->clickTab(2);
    click(IDC_CONFIG_PRUNE, &d);  // off
    click(IDC_CONFIG_PRUNE, &d);  // on again
    EXPECT_TRUE(enabled(IDC_CONFIG_PRUNE_NOW, &d));
    type(IDC_CONFIG_DAYS, "0", &d);
    click(IDC_CONFIG_PRUNE_NOW, &d);
    click(zkui::kIdCancel, &d);
  });
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], "ZUD5057I The activity log " + logPath + " has been pruned.\n");
  std::ifstream in(logPath);
  std::string log((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(log.find("an old line"), std::string::npos) << log;
  EXPECT_NE(config().find("LastPruneDate "), std::string::npos) << config();
  EXPECT_EQ(config().find("LOGPrune"), std::string::npos) << config();  // cancelled
}

TEST_F(ZarnaksqlDialogs, TheStorageServerDialogShowsTheServerAndACancelledPromptClosesIt) {
  // No password yet: the user cancels the prompt, and the dialog ends with 415 without a word.
  bool prompted = false;
  zkui::drive::whenModal([&](wxDialog& prompt) {
    prompted = find(IDC_PWPROMPT_PASSWORD, &prompt) != nullptr;
    click(zkui::kIdCancel, &prompt);
  });
  EXPECT_EQ(m_frameP->onAboutStorageServer(), RC_CANCELED_BY_USER);
  EXPECT_TRUE(prompted);
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
  EXPECT_EQ(zkui::drive::activeModal(), nullptr);

  snprintf(guiOptions().szHublorPassword, sizeof guiOptions().szHublorPassword, "%s", "secret");
  for (int screenHeight : {768, 300}) {
    zkui::setScreenArea({0, 0, 1024, screenHeight});
    std::vector<std::string> shown;
    int height = 0;
    zkui::drive::whenModal([&](wxDialog& d) {
      for (int id : {IDC_ABOUTSRV_NODE, IDC_ABOUTSRV_API_VERSION, IDC_ABOUTSRV_COMPRESSION,
                     IDC_ABOUTSRV_POLICY_SET}) {
        shown.push_back(text(find(id, &d)));
      }
      height = d.GetSize().GetHeight();
      shoot(&d, "zarnaksql-storage-server-" + std::to_string(screenHeight) + ".png");
      click(IDC_ABOUTSRV_CLOSE, &d);
    });
    EXPECT_EQ(m_frameP->onAboutStorageServer(), zkui::kIdOk);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], "NODE1");
    EXPECT_EQ(shown[1].find('.') != std::string::npos, true) << shown[1];
    EXPECT_FALSE(shown[2].empty());
    EXPECT_FALSE(shown[3].empty());
    if (screenHeight == 300) {
      EXPECT_EQ(height, 295);
    }
  }
  EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
}

// The pixels of the picture's rectangle (0, y0) to its right edge, y0 + rows.
std::string pixels(const wxBitmap& bitmap, int y0, int rows) {
  wxImage image = bitmap.ConvertToImage();
  const unsigned char* dataP = image.GetData();
  size_t rowBytes = size_t(image.GetWidth()) * 3;
  return std::string(reinterpret_cast<const char*>(dataP) + y0 * rowBytes, rows * rowBytes);
}

TEST_F(ZarnaksqlDialogs, TheAboutBoxDrawsItsLinesOntoItsPictureAndAClickClosesIt) {
  // Centred on a 1024x768 screen; at the top of a screen lower than the picture.
  struct Screen {
    int height;
    wxPoint at;
  };
  for (const Screen& screen : {Screen{768, wxPoint(302, 234)}, Screen{240, wxPoint(302, 0)}}) {
    zkui::setScreenArea({0, 0, 1024, screen.height});
    bool shown = false;
    zkui::drive::whenModal([&](wxDialog& d) {
      EXPECT_EQ(d.GetClientSize(), wxSize(420, 300));
      EXPECT_EQ(d.GetPosition(), screen.at) << screen.height;
      shoot(&d, "zarnaksql-about.png");
      zkui::drive::mouseAt(&d, wxPoint(20, 20), zkui::drive::Mouse::Left);
      shown = true;
    });
    m_frameP->onAbout();
    EXPECT_TRUE(shown);
  }

  // The version line changes the picture where it is drawn; no first line means no text at all.
  struct Case {
    const char* line1;
    const char* line2;
    bool changed;
  };
  const Case cases[] = {{"(1.2.2.0)", "", true}, {"", "second line", false}};
  for (const Case& c : cases) {
    DAboutDlg about;
    about.setBitmapId(DABOUT_BITMAP_ID);
    about.setLine1Text(c.line1);
    about.setLine2Text(c.line2);
    about.setLine1Pos(115, 252);
    about.setLine2Pos(70, 270);
    bool composedChanged = !c.changed;
    zkui::drive::whenModal([&](wxDialog& d) {
      composedChanged = pixels(about.composedBitmap(), 230, 60) != pixels(about.bitmap(), 230, 60);
      zkui::drive::mouseAt(&d, wxPoint(20, 20), zkui::drive::Mouse::Left);
    });
    EXPECT_EQ(about.doModal(), zkui::kIdOk) << c.line1;
    EXPECT_EQ(composedChanged, c.changed) << c.line1;
  }
  // With a time set, the box closes by itself.
  DAboutDlg timed;
  timed.setBitmapId(DABOUT_BITMAP_ID);
  timed.setTimeout(50);
  EXPECT_EQ(timed.doModal(), zkui::kIdOk);
}

}  // namespace
