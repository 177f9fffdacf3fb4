// The point-in-time dialog: the conversions between the pickers' texts and the options record's
// "YYYYMMDD HH:MM:SS", and the dialog on a display over the emulated SQL Server, which tells
// it whether marks exist (not on version 7).
#include "dsqlpit.h"

#include <wx/dialog.h>
#include <wx/radiobut.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "dsqlaccess.h"
#include "msgbox.h"
#include "nlstestenv.h"
#include "optinfo.h"
#include "resbundle.h"
#include "sqlapi_testenv.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

using zkui::drive::click;
using zkui::drive::find;

TEST(PitConversion, PickerTextsBecomeTheStoredForm) {
  struct Case {
    const char* date;
    const char* time;
    const char* stored;
  };
  const Case cases[] = {
      {"03/07/2001", "14:05:09", "20010307 14:05:09"},
      {"3/7/01", "2:05:09 PM", "20010307 14:05:09"},
      {"03/07/2001", "12:00:00 AM", "20010307 00:00:00"},
      {"03/07/2001", "12:30:00 PM", "20010307 12:30:00"},
      {"12/31/1999", "11:59:59 pm", "19991231 23:59:59"},
      {"03/07/2001", "9:05:09 AM", "20010307 09:05:09"},
      // A date without its year leaves the date out; the time still goes in.
      {"03/07", "14:05:09", " 14:05:09"},
  };
  for (const Case& c : cases) {
    char stored[OPT_DATE_TEXT_SIZE] = "unchanged";
    convertPickerDateToOptions(c.date, c.time, stored, sizeof stored);
    EXPECT_STREQ(stored, c.stored) << c.date << " " << c.time;
  }
  // A time without seconds leaves the result as it was.
  char stored[OPT_DATE_TEXT_SIZE] = "unchanged";
  convertPickerDateToOptions("03/07/2001", "14:05", stored, sizeof stored);
  EXPECT_STREQ(stored, "unchanged");
}

TEST(PitConversion, TheStoredFormReadsBackWhateverTheUsersTimeFormat) {
  struct Case {
    const char* stored;
    int expected[6];
  };
  const Case cases[] = {
      {"20010307 14:05:09", {2001, 3, 7, 14, 5, 9}},
      {"19991231 00:00:00", {1999, 12, 31, 0, 0, 0}},
      // A time of another form keeps the caller's values (here -1); the date still reads.
      {"20010307 2:05:09 PM", {2001, 3, 7, -1, -1, -1}},
      {"20010307 25:00:00", {2001, 3, 7, -1, -1, -1}},
      {"20010307", {2001, 3, 7, -1, -1, -1}},
      {"2001x307 14:05:09", {-1, -1, -1, 14, 5, 9}},
  };
  // The user's time formats: HH:MM:SS, HH,MM,SS, HH.MM.SS, HH:MM:SS PM.
  for (int timeFormat = 1; timeFormat <= 4; ++timeFormat) {
    nlsTestTable(1, timeFormat);
    for (const Case& c : cases) {
      int v[6] = {-1, -1, -1, -1, -1, -1};
      convertOptionsDatetoDP(c.stored, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
      EXPECT_EQ(std::vector<int>(v, v + 6), std::vector<int>(c.expected, c.expected + 6))
          << c.stored << " time format " << timeFormat;
    }
  }
  nlsTestTable();
  int v[6] = {-1, -1, -1, -1, -1, -1};
  convertOptionsDatetoDP(nullptr, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
  EXPECT_EQ(v[0], -1);

  // What the pickers give back for a stored text is that text again.
  char again[OPT_DATE_TEXT_SIZE] = "";
  convertOptionsDatetoDP("20010307 14:05:09", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
  char date[16], time[16];
  std::snprintf(date, sizeof date, "%d/%d/%d", v[1], v[2], v[0]);
  std::snprintf(time, sizeof time, "%d:%d:%d", v[3], v[4], v[5]);
  convertPickerDateToOptions(date, time, again, sizeof again);
  EXPECT_STREQ(again, "20010307 14:05:09");
}

class PitDialog : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    if (!zkui::uiTestHaveDisplay()) GTEST_SKIP() << "no display";
    SqlApiObjectFixture::SetUp();
    gSqlApiP = m_Api.get();
    std::string why;
    ASSERT_EQ(zkui::ResourceBundle::load(ZK_GUI_BUNDLE, m_bundle, &why), 0) << why;
    m_previous = zkui::setCurrentResources(m_bundle);
    ASSERT_EQ(zkui::setPickerLocale("C"), 0);
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_boxes.push_back(r.text);
      return zkui::kIdBoxOk;
    });
    initializeOptions(&m_options);
  }
  void TearDown() override {
    if (!zkui::uiTestHaveDisplay()) return;
    zkui::setMessageBoxHook(nullptr);
    zkui::setCurrentResources(m_previous);
    gSqlApiP = nullptr;
    SqlApiObjectFixture::TearDown();
  }

  // Runs the dialog with the script acting in it; the dialog's end code.
  int run(const std::function<void(wxDialog&)>& script) {
    DSqlPitDlg dialog(nullptr, &m_options);
    zkui::drive::whenModal(script);
    int rc = dialog.doModal();
    m_choice = dialog.choice();
    return rc;
  }
  static zkui::DateTime value(wxDialog& d, int id) {
    auto* pickerP = dynamic_cast<zkui::DateTimePicker*>(find(id, &d));
    return pickerP != nullptr ? pickerP->value() : zkui::DateTime{};
  }
  static void setValue(wxDialog& d, int id, const zkui::DateTime& v) {
    if (auto* pickerP = dynamic_cast<zkui::DateTimePicker*>(find(id, &d))) pickerP->setValue(v);
  }
  static bool enabled(wxDialog& d, int id) {
    wxWindow* controlP = find(id, &d);
    return controlP != nullptr && controlP->IsEnabled();
  }
  // A PNG of the dialog in $ZARNAK_SCREENSHOTS, when that is set.
  static void shoot(wxDialog& d, const std::string& name) {
    const char* dirP = std::getenv("ZARNAK_SCREENSHOTS");
    if (dirP == nullptr) return;
    std::filesystem::create_directories(dirP);
    zkui::drive::pump(300);
    EXPECT_EQ(zkui::drive::screenshot(&d, std::string(dirP) + "/" + name), 0);
  }
  void storeStopAtMark(const char* mark, const char* after) {
    m_options.bStopAtMark = 1;
    std::snprintf(m_options.szMarkName, sizeof m_options.szMarkName, "%s", mark);
    m_options.bAfter = after != nullptr ? 1 : 0;
    std::snprintf(m_options.szAfter, sizeof m_options.szAfter, "%s", after ? after : "");
  }
  std::string pointInTime() const {
    const OptionsInfo& o = m_options;
    return std::to_string(o.bStopAt) + std::to_string(o.bStopAtMark) +
           std::to_string(o.bStopBeforeMark) + std::to_string(o.bAfter) + "|" + o.szStopAt + "|" +
           o.szMarkName + "|" + o.szAfter;
  }

  OptionsInfo m_options;
  std::shared_ptr<const zkui::ResourceBundle> m_bundle;
  std::shared_ptr<const zkui::ResourceBundle> m_previous;
  std::vector<std::string> m_boxes;
  int m_choice = -1;
};

TEST_F(PitDialog, AStoredStopAtOpensOnItsPickersAndComesBackUnchanged) {
  m_options.bStopAt = 1;
  std::snprintf(m_options.szStopAt, sizeof m_options.szStopAt, "20010307 14:05:09");
  zkui::DateTime shown;
  std::string texts;
  bool markEnabled = true, stopAtEnabled = false;
  ASSERT_EQ(run([&](wxDialog& d) {
              // The pickers' own format, not the locale's ("C" would show 03/07/01).
              texts = zkui::drive::text(find(IDC_PIT_STOPAT_DATE, &d)) + " " +
                      zkui::drive::text(find(IDC_PIT_STOPAT_TIME, &d));
              shown = value(d, IDC_PIT_STOPAT_DATE);
              shown.hour = value(d, IDC_PIT_STOPAT_TIME).hour;
              stopAtEnabled = enabled(d, IDC_PIT_STOPAT_TIME);
              markEnabled = enabled(d, IDC_PIT_ATMARK_NAME) || enabled(d, IDC_PIT_BEFOREMARK_NAME);
              click(zkui::kIdOk, &d);
            }),
            zkui::kIdOk);
  EXPECT_EQ(m_choice, PIT_STOP_AT);
  EXPECT_EQ(texts, "03/07/2001 14:05:09");
  EXPECT_EQ(shown.year, 2001);
  EXPECT_EQ(shown.month, 3);
  EXPECT_EQ(shown.day, 7);
  EXPECT_EQ(shown.hour, 14);
  EXPECT_TRUE(stopAtEnabled);
  EXPECT_FALSE(markEnabled);
  EXPECT_EQ(pointInTime(), "1000|20010307 14:05:09||");
}

TEST_F(PitDialog, AMarkWithAnAfterDateIsWrittenAndClearsTheStopAt) {
  m_options.bStopAt = 1;
  std::snprintf(m_options.szStopAt, sizeof m_options.szStopAt, "20010307 14:05:09");
  bool afterEnabledBefore = true, afterEnabledAfter = false;
  ASSERT_EQ(run([&](wxDialog& d) {
              click(IDC_PIT_BEFOREMARK, &d);
              zkui::drive::type(IDC_PIT_BEFOREMARK_NAME, "upgrade", &d);
              afterEnabledBefore = enabled(d, IDC_PIT_BEFOREMARK_DATE);
              click(IDC_PIT_BEFOREMARK_AFTER, &d);
              afterEnabledAfter = enabled(d, IDC_PIT_BEFOREMARK_DATE);
              setValue(d, IDC_PIT_BEFOREMARK_DATE, {2002, 11, 30, 0, 0, 0});
              setValue(d, IDC_PIT_BEFOREMARK_TIME, {2002, 11, 30, 23, 0, 1});
              shoot(d, "zarnaksql-pit.png");
              click(zkui::kIdOk, &d);
            }),
            zkui::kIdOk);
  EXPECT_FALSE(afterEnabledBefore);
  EXPECT_TRUE(afterEnabledAfter);
  EXPECT_EQ(pointInTime(), "0011||upgrade|20021130 23:00:01");
  EXPECT_TRUE(m_boxes.empty());

  // Opened again, the dialog shows that choice; None clears every field.
  bool nameShown = false;
  ASSERT_EQ(run([&](wxDialog& d) {
              nameShown = zkui::drive::text(find(IDC_PIT_BEFOREMARK_NAME, &d)) == "upgrade" &&
                          zkui::drive::checked(find(IDC_PIT_BEFOREMARK_AFTER, &d)) == 1 &&
                          value(d, IDC_PIT_BEFOREMARK_TIME).hour == 23;
              click(IDC_PIT_NONE, &d);
              click(zkui::kIdOk, &d);
            }),
            zkui::kIdOk);
  EXPECT_TRUE(nameShown);
  EXPECT_EQ(pointInTime(), "0000|||");
}

TEST_F(PitDialog, AnEmptyMarkIsRefusedAndCancelKeepsTheRecord) {
  m_options.bStopAt = 1;
  std::snprintf(m_options.szStopAt, sizeof m_options.szStopAt, "20010307 14:05:09");
  std::string before = pointInTime();
  bool stillOpen = false;
  EXPECT_EQ(run([&](wxDialog& d) {
              click(IDC_PIT_ATMARK, &d);
              click(zkui::kIdOk, &d);
              zkui::drive::pump(50);
              stillOpen = zkui::drive::activeModal() == &d && d.IsShown();
              click(zkui::kIdCancel, &d);
            }),
            zkui::kIdCancel);
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0], messageText(5723));
  EXPECT_EQ(pointInTime(), before);
}

TEST_F(PitDialog, SqlServer7HasNoMarks) {
  createServer(7);
  m_Api = makeApi();
  gSqlApiP = m_Api.get();
  storeStopAtMark("upgrade", "20010307 14:05:09");
  std::vector<bool> states;
  ASSERT_EQ(run([&](wxDialog& d) {
              for (int id : {IDC_PIT_ATMARK, IDC_PIT_BEFOREMARK, IDC_PIT_ATMARK_NAME,
                             IDC_PIT_ATMARK_AFTER, IDC_PIT_BEFOREMARK_NAME})
                states.push_back(enabled(d, id));
              states.push_back(enabled(d, IDC_PIT_STOPAT));
              states.push_back(zkui::drive::checked(find(IDC_PIT_NONE, &d)) == 1);
              click(zkui::kIdCancel, &d);
            }),
            zkui::kIdCancel);
  EXPECT_EQ(states, (std::vector<bool>{false, false, false, false, false, true, true}));
  EXPECT_EQ(m_choice, PIT_NONE);
}

}  // namespace
