#include "datetime.h"

#include <wx/textctrl.h>

#include "ddx.h"
#include "dialog.h"
#include "msgbox.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace zkui {
namespace {

TEST(PickerFormats, FollowTheLocaleTheTestFixes) {
  ASSERT_EQ(0, setPickerLocale("C"));
  EXPECT_EQ(kResNotFound, setPickerLocale("xx_NOWHERE.UTF-8"));  // the previous one stays
  DateTime v{2026, 12, 11, 13, 5, 9};
  EXPECT_EQ("12/11/26", formatDate(v));
  EXPECT_EQ("13:05:09", formatTime(v));

  struct Case {
    const char* text;
    bool date;
    bool read;
    DateTime expected;  // from v when read
  };
  const Case cases[] = {
      {"02/29/24", true, true, {2024, 2, 29, 13, 5, 9}},
      {"1/2/27", true, true, {2027, 1, 2, 13, 5, 9}},
      {"02/30/24", true, false, {}},  // no such day
      {"13/01/24", true, false, {}},
      {"12/11", true, false, {}},
      {"12/11/26x", true, false, {}},
      {"", true, false, {}},
      {"23:59:00", false, true, {2026, 12, 11, 23, 59, 0}},
      {"7:5:3", false, true, {2026, 12, 11, 7, 5, 3}},
      {"24:00:00", false, false, {}},
      {"12:60:00", false, false, {}},
  };
  for (const Case& c : cases) {
    DateTime read = v;
    EXPECT_EQ(c.read, c.date ? parseDate(c.text, read) : parseTime(c.text, read)) << c.text;
    EXPECT_EQ(c.read ? c.expected : v, read) << c.text;
  }
}

const char kBundle[] = R"(
dialog 310 0 0 300 120 "When"
  date 1010 10 10 120 22 ""
  time 1011 140 10 120 22 ""
  button 1 120 80 80 28 "OK" default
  button 2 210 80 80 28 "Cancel"
end
)";

class When : public Dialog {
 public:
  When() : Dialog(310, nullptr) {}
  DateTime m_date{2024, 1, 31, 0, 0, 0};
  DateTime m_time{2000, 1, 1, 23, 59, 59};
  int m_changes = 0;
  DateTimePicker* picker(int id) const { return static_cast<DateTimePicker*>(control(id)); }

 protected:
  void doDataExchange(DataExchange& dx) override {
    dx.dateTime(1010, m_date);
    dx.dateTime(1011, m_time);
  }
  bool onNotify(const Notification& n) override {
    if (n.kind == NotifyKind::DateTimeChanged) ++m_changes;
    return false;
  }
};

using PickerWindow = UiTest;

TEST_F(PickerWindow, ArrowsStepTheFieldOfTheCaretAndCarry) {
  ASSERT_EQ(0, setPickerLocale("C"));
  TempBundle bundle(kBundle);
  struct Case {
    int id;
    long caret;
    int delta;
    const char* shown;
  };
  // Each case steps from what the one before left.
  const Case cases[] = {
      {1010, 0, 1, "02/29/24"},   // a month on from the 31st of January: the month's last day
      {1010, 6, 1, "02/28/25"},   // a year on from the 29th of February
      {1010, 3, 1, "03/01/25"},   // a day on carries into the month
      {1010, 3, -1, "02/28/25"},  // and back
      {1011, 7, 1, "00:00:00"},   // a second on carries into the next day's midnight
      {1011, 0, -1, "23:00:00"},  // an hour back wraps the day
  };
  When dlg;
  drive::whenModal([&](wxDialog& d) {
    EXPECT_EQ("01/31/24", drive::text(dlg.control(1010)));  // loaded by the exchange
    EXPECT_EQ("23:59:59", drive::text(dlg.control(1011)));
    for (const Case& c : cases) {
      dlg.picker(c.id)->edit()->SetInsertionPoint(c.caret);
      EXPECT_TRUE(drive::spin(dlg.control(c.id), c.delta));
      EXPECT_EQ(c.shown, drive::text(dlg.control(c.id))) << c.shown;
    }
    EXPECT_EQ(6, dlg.m_changes);
    drive::click(kIdOk, &d);
  });
  EXPECT_EQ(kIdOk, dlg.doModal());
  EXPECT_EQ((DateTime{2025, 2, 28, 0, 0, 0}), dlg.m_date);  // the date part only
  EXPECT_EQ((DateTime{2000, 1, 1, 23, 0, 0}), dlg.m_time);  // the time part only
}

// A picker given a format of its own shows, steps and reads in it, whatever the locale.
TEST_F(PickerWindow, APickersOwnFormatReplacesTheLocales) {
  ASSERT_EQ(0, setPickerLocale("C"));
  TempBundle bundle(kBundle);
  When dlg;
  drive::whenModal([&](wxDialog& d) {
    dlg.picker(1010)->setFormat("%m/%d/%Y");
    dlg.picker(1011)->setFormat("%I:%M:%S %p");
    EXPECT_EQ("01/31/2024", drive::text(dlg.control(1010)));
    EXPECT_EQ("11:59:59 PM", drive::text(dlg.control(1011)));
    dlg.picker(1010)->edit()->SetInsertionPoint(7);
    EXPECT_TRUE(drive::spin(dlg.control(1010), 1));
    EXPECT_EQ("01/31/2025", drive::text(dlg.control(1010)));
    drive::type(dlg.control(1010), "03/07/2001");
    drive::type(dlg.control(1011), "2:05:09 PM");
    drive::click(kIdOk, &d);
  });
  EXPECT_EQ(kIdOk, dlg.doModal());
  EXPECT_EQ((DateTime{2001, 3, 7, 0, 0, 0}), dlg.m_date);
  EXPECT_EQ((DateTime{2000, 1, 1, 14, 5, 9}), dlg.m_time);
}

TEST_F(PickerWindow, TypingChangesTheValueOnlyWhenItReadsAndOkRefusesTheRest) {
  ASSERT_EQ(0, setPickerLocale("C"));
  TempBundle bundle(kBundle);
  std::vector<std::string> refusals;
  MessageBoxHook previous = setMessageBoxHook([&](const MessageBoxRequest& r) {
    refusals.push_back(r.text);
    return kIdBoxOk;
  });
  When dlg;
  drive::whenModal([&](wxDialog& d) {
    drive::type(dlg.control(1010), "12/25/26");
    EXPECT_EQ(1, dlg.m_changes);
    EXPECT_EQ((DateTime{2026, 12, 25, 0, 0, 0}), dlg.picker(1010)->value());
    drive::type(dlg.control(1010), "12/25");  // not yet a date: the value stays
    EXPECT_EQ(1, dlg.m_changes);
    drive::type(dlg.control(1011), "25:00:00");
    drive::click(kIdOk, &d);  // refused: the date first
    EXPECT_EQ(std::vector<std::string>{"Please enter a date."}, refusals);
    drive::type(dlg.control(1010), "12/25/26");
    drive::click(kIdOk, &d);
    EXPECT_EQ((std::vector<std::string>{"Please enter a date.", "Please enter a time."}), refusals);
    drive::type(dlg.control(1011), "8:30:00");
    drive::click(kIdOk, &d);
  });
  EXPECT_EQ(kIdOk, dlg.doModal());
  setMessageBoxHook(previous);
  EXPECT_EQ((DateTime{2026, 12, 25, 0, 0, 0}), dlg.m_date);
  EXPECT_EQ((DateTime{2000, 1, 1, 8, 30, 0}), dlg.m_time);
}

}  // namespace
}  // namespace zkui
