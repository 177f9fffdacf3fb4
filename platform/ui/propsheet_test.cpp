#include "propsheet.h"

#include <wx/button.h>

#include <thread>

#include "ddx.h"
#include "filechooser.h"
#include "msgbox.h"
#include "tabstrip.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace zkui {
namespace {

const char kBundle[] = R"(
dialog 400 0 0 300 120 "General" child
  static -1 7 10 80 17 "Node:"
  edit 1401 90 7 150 22 ""
end
dialog 401 0 0 320 150 "Log" child
  static -1 7 10 80 17 "Days:"
  edit 1411 90 7 60 22 "" number
end
)";

// Records what the sheet asks of it; a change of its edit marks it modified.
class Page : public PropertyPage {
 public:
  Page(int templateId, int editId, std::vector<std::string>& log)
      : PropertyPage(templateId), m_editId(editId), m_log(log) {}
  std::string m_value = "x";
  bool m_refuseApply = false;

 protected:
  void doDataExchange(DataExchange& dx) override { dx.text(m_editId, m_value); }
  bool onNotify(const Notification& n) override {
    if (n.kind == NotifyKind::EditChanged) setModified();
    return false;
  }
  bool onSetActive() override { return record("active"), true; }
  bool onApply() override {
    record("apply");
    return !m_refuseApply;
  }
  void onReset() override { record("reset"); }

 private:
  void record(const std::string& what) {
    m_log.push_back(std::to_string(templateId()) + " " + what);
  }
  int m_editId;
  std::vector<std::string>& m_log;
};

using Log = std::vector<std::string>;
using SheetWindow = UiTest;

bool applyEnabled(wxDialog& d) {
  return drive::find(kIdApply, &d)->IsEnabled();
}

TEST_F(SheetWindow, ApplyIsEnabledByAChangeAndAppliesEachModifiedPageOnce) {
  TempBundle bundle(kBundle);
  Log log;
  Page general(400, 1401, log), logPage(401, 1411, log);
  PropertySheet sheet("Preferences", nullptr);
  sheet.addPage(&general);
  sheet.addPage(&logPage);
  drive::whenModal([&](wxDialog& d) {
    EXPECT_EQ("Preferences", d.GetTitle().utf8_string());
    EXPECT_EQ(2, sheet.tabs()->itemCount());
    EXPECT_EQ("Log", sheet.tabs()->itemText(1));
    EXPECT_FALSE(applyEnabled(d));
    EXPECT_EQ(nullptr, logPage.window());  // made when its tab first comes to the front
    drive::type(1401, "node7", &d);
    EXPECT_TRUE(applyEnabled(d));
    EXPECT_TRUE(sheet.tabs()->clickTab(1));
    EXPECT_TRUE(logPage.window()->IsShown());
    EXPECT_FALSE(general.window()->IsShown());
    drive::type(1411, "30", &d);
    log.clear();
    drive::click(kIdApply, &d);
    EXPECT_EQ((Log{"400 apply", "401 apply"}), log);
    EXPECT_FALSE(applyEnabled(d));
    EXPECT_EQ("node7", general.m_value);
    log.clear();
    drive::click(kIdApply, &d);  // disabled: nothing
    drive::type(1411, "31", &d);
    drive::click(kIdOk, &d);  // OK applies what is modified, then closes
    EXPECT_EQ((Log{"401 apply"}), log);
  });
  EXPECT_EQ(kIdOk, sheet.doModal());
  EXPECT_EQ("31", logPage.m_value);
}

TEST_F(SheetWindow, CancelAppliesNothingAndARefusedApplyKeepsTheSheet) {
  TempBundle bundle(kBundle);
  Log log;
  Page general(400, 1401, log), logPage(401, 1411, log);
  PropertySheet sheet("Preferences", nullptr, 1);
  sheet.addPage(&general);
  sheet.addPage(&logPage);
  drive::whenModal([&](wxDialog& d) {
    EXPECT_EQ(1, sheet.activeIndex());  // the start page
    EXPECT_EQ(nullptr, general.window());
    drive::type(1411, "12", &d);
    logPage.m_refuseApply = true;
    log.clear();
    drive::click(kIdOk, &d);
    EXPECT_EQ((Log{"401 apply"}), log);
    EXPECT_TRUE(d.IsModal());  // still up
    EXPECT_TRUE(applyEnabled(d));
    log.clear();
    drive::key(WXK_ESCAPE, 0, drive::find(1411, &d));
  });
  EXPECT_EQ(kIdCancel, sheet.doModal());
  EXPECT_EQ((Log{"401 reset"}), log);  // only the page that was made; nothing applied

  // The close box is Cancel too, and a missing template fails the sheet.
  drive::whenModal([](wxDialog& d) { drive::close(&d); });
  EXPECT_EQ(kIdCancel, sheet.doModal());
  Page missing(499, 1, log);
  PropertySheet broken("Broken", nullptr);
  broken.addPage(&missing);
  EXPECT_EQ(kDialogFailed, broken.doModal());
}

TEST(FileChooser, FiltersAndDefaultExtensions) {
  EXPECT_EQ("Logs (*.log)|*.log|All (*.*)|*.*",
            toolkitFilter("Logs (*.log)|*.log|All (*.*)|*.*||"));
  struct Case {
    const char* path;
    const char* extension;
    const char* expected;
  };
  const Case cases[] = {{"/tmp/a", "log", "/tmp/a.log"},
                        {"/tmp/a.txt", "log", "/tmp/a.txt"},
                        {"/tmp.d/a", "log", "/tmp.d/a.log"},
                        {"/tmp/a", "", "/tmp/a"},
                        {"", "log", ""}};
  for (const Case& c : cases) EXPECT_EQ(c.expected, withDefaultExtension(c.path, c.extension));
}

TEST(FileChooser, TheHookAnswersForTheUserOnAnyThread) {
  std::vector<FileChooserRequest> seen;
  FileChooserHook previous = setFileChooserHook([&](const FileChooserRequest& r, std::string& p) {
    seen.push_back(r);
    if (r.title == "No") return kIdBoxCancel;
    p = "/var/backups/sales";
    return kIdBoxOk;
  });
  FileChooserRequest save;
  save.save = true;
  save.title = "Save list";
  save.defaultExtension = "txt";
  std::string path = "unchanged";
  int answer = 0;
  std::thread worker([&] { answer = chooseFile(save, path); });
  worker.join();
  EXPECT_EQ(kIdBoxOk, answer);
  EXPECT_EQ("/var/backups/sales.txt", path);
  FileChooserRequest refused;
  refused.title = "No";
  path = "unchanged";
  EXPECT_EQ(kIdBoxCancel, chooseFile(refused, path));
  EXPECT_EQ("unchanged", path);
  ASSERT_EQ(2u, seen.size());
  EXPECT_TRUE(seen[0].save);
  setFileChooserHook(previous);
}

}  // namespace
}  // namespace zkui
