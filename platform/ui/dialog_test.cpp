#include "dialog.h"

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <atomic>
#include <thread>

#include "controls.h"
#include "ddx.h"
#include "msgbox.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace zkui {
namespace {

const char kBundle[] = R"(
dialog 100 0 0 320 170 "Settings"
  static -1 10 12 80 20 "Name:"
  edit 1001 100 10 200 24 ""
  static -1 10 42 80 20 "Count:"
  edit 1002 100 40 60 24 "" number
  check 1003 10 70 200 20 "Compress"
  radio 1004 10 95 100 20 "Fast" group
  radio 1005 110 95 100 20 "Small"
  static 1006 10 120 200 20 "idle"
  button 1 130 135 80 28 "OK" default
  button 2 220 135 80 28 "Cancel"
end
)";

class Settings : public Dialog {
 public:
  Settings() : Dialog(100, nullptr) {}
  std::string m_name = "sample";
  int m_count = 8;
  int m_compress = 1;
  int m_speed = 1;
  bool m_allowClose = true;
  std::function<void(Settings&)> m_onInit;

 protected:
  void doDataExchange(DataExchange& dx) override {
    dx.text(1001, m_name);
    dx.maxChars(1001, m_name, 10);
    dx.number(1002, m_count);
    dx.range(1002, m_count, 1, 64);
    dx.check(1003, m_compress);
    dx.radio(1004, m_speed);
  }
  void onInitDialog() override {
    Dialog::onInitDialog();
    if (m_onInit) m_onInit(*this);
  }
  bool onClose() override { return m_allowClose && Dialog::onClose(); }
};

// Records the message boxes asked for and answers OK.
class BoxRecorder {
 public:
  BoxRecorder() {
    m_previous = setMessageBoxHook([this](const MessageBoxRequest& r) {
      m_texts.push_back(r.text);
      return kIdBoxOk;
    });
  }
  ~BoxRecorder() { setMessageBoxHook(m_previous); }
  std::vector<std::string> m_texts;

 private:
  MessageBoxHook m_previous;
};

using DialogWindow = UiTest;

TEST_F(DialogWindow, LoadsByIdAndExchangesEveryKindOfField) {
  TempBundle bundle(kBundle);
  Settings dlg;
  drive::whenModal([](wxDialog& d) {
    EXPECT_EQ("Settings", d.GetTitle().utf8_string());
    EXPECT_EQ("sample", drive::text(drive::find(1001, &d)));  // loaded from the fields
    EXPECT_EQ("8", drive::text(drive::find(1002, &d)));
    EXPECT_EQ(1, drive::checked(drive::find(1003, &d)));
    EXPECT_EQ(1, drive::checked(drive::find(1005, &d)));
    EXPECT_NE(nullptr, dynamic_cast<wxStaticText*>(drive::find(1006, &d)));
    drive::type(1001, "renamed", &d);
    drive::type(1002, " 64 ", &d);
    drive::click(1003, &d);
    drive::click(1004, &d);
    drive::click(kIdOk, &d);
  });
  EXPECT_EQ(kIdOk, dlg.doModal());
  EXPECT_EQ(nullptr, dlg.window());
  EXPECT_EQ("renamed", dlg.m_name);
  EXPECT_EQ(64, dlg.m_count);
  EXPECT_EQ(0, dlg.m_compress);
  EXPECT_EQ(0, dlg.m_speed);
}

TEST_F(DialogWindow, RefusesValuesOutOfBoundsAndStaysOpen) {
  struct Case {
    const char* name;
    const char* count;
    const char* refusal;  // null: accepted
  };
  const Case cases[] = {
      {"0123456789", "1", nullptr},
      {"01234567890", "1", "Please enter no more than 10 characters."},
      {"short", "0", "Please enter a whole number from 1 to 64."},
      {"short", "65", "Please enter a whole number from 1 to 64."},
      {"short", "6x", "Please enter a whole number."},
      {"short", "", "Please enter a whole number."},
  };
  TempBundle bundle(kBundle);
  for (const Case& c : cases) {
    BoxRecorder boxes;
    Settings dlg;
    bool stayed = false;
    dlg.m_onInit = [&](Settings& s) {
      drive::type(s.control(1002), c.count);
      // Loading limited typing to 10 characters; lift the limit to reach the check behind it.
      auto* name = static_cast<wxTextCtrl*>(s.control(1001));
      name->SetMaxLength(0);
      name->ChangeValue(c.name);
      stayed = !s.updateData(true) && s.window();
    };
    drive::whenModal([](wxDialog& d) { drive::click(kIdCancel, &d); });
    dlg.doModal();
    if (!c.refusal) {
      EXPECT_FALSE(stayed) << c.name << " " << c.count;
      EXPECT_TRUE(boxes.m_texts.empty());
      continue;
    }
    EXPECT_TRUE(stayed) << c.name << " " << c.count;
    EXPECT_EQ(std::vector<std::string>{c.refusal}, boxes.m_texts);
  }
}

TEST_F(DialogWindow, EscapeCancelsAndACloseCanBeVetoed) {
  TempBundle bundle(kBundle);
  Settings dlg;
  dlg.m_allowClose = false;
  drive::whenModal([&](wxDialog& d) {
    d.Close();  // vetoed
    EXPECT_TRUE(d.IsModal());
    wxKeyEvent esc(wxEVT_CHAR_HOOK);
    esc.m_keyCode = WXK_ESCAPE;
    esc.SetEventObject(&d);
    d.GetEventHandler()->ProcessEvent(esc);
  });
  EXPECT_EQ(kIdCancel, dlg.doModal());
  EXPECT_EQ("sample", dlg.m_name);  // a cancel saves nothing

  Dialog missing(999, nullptr);
  EXPECT_EQ(kDialogFailed, missing.doModal());
}

// A dialog whose timer 3 counts to three and then ends it.
class Countdown : public Dialog {
 public:
  Countdown() : Dialog(100, nullptr) {}
  int m_ticks = 0;

 protected:
  void onInitDialog() override { setTimer(3, 10); }
  void onTimer(int id) override {
    if (id != 3 || ++m_ticks < 3) return;
    killTimer(3);
    endDialog(kIdOk);
  }
};

TEST_F(DialogWindow, TimersTickUntilKilled) {
  TempBundle bundle(kBundle);
  Countdown dlg;
  EXPECT_EQ(kIdOk, dlg.doModal());
  EXPECT_EQ(3, dlg.m_ticks);
}

TEST_F(DialogWindow, WorkerUpdatesALabelAndACallToAClosedDialogReturnsAtOnce) {
  TempBundle bundle(kBundle);
  Settings dlg;
  ASSERT_EQ(0, dlg.create());
  std::shared_ptr<CallTarget> target = dlg.callTarget();
  std::atomic<bool> done{false};
  std::thread::id ranOn;
  std::thread worker([&] {
    callOnUiThread(target, [&] {
      ranOn = std::this_thread::get_id();
      dlg.setItemText(1006, "copied 42 MB");
    });
    done = true;
  });
  ASSERT_TRUE(drive::pumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(std::this_thread::get_id(), ranOn);
  EXPECT_EQ("copied 42 MB", drive::text(dlg.control(1006)));

  dlg.destroyWindow();
  std::atomic<int> rc{-1};
  bool ran = false;
  std::thread late([&] { rc = callOnUiThread(target, [&] { ran = true; }); });
  late.join();  // nobody serves calls here: only the closed target lets it return
  EXPECT_EQ(kCallTargetGone, rc.load());
  EXPECT_FALSE(ran);

  // Likewise when a modal run has ended: a worker's late call does not wait for it.
  Settings modal;
  drive::whenModal([](wxDialog& d) { drive::click(kIdCancel, &d); });
  EXPECT_EQ(kIdCancel, modal.doModal());
  std::thread afterModal([&] { rc = callOnUiThread(modal.callTarget(), [&] { ran = true; }); });
  afterModal.join();
  EXPECT_EQ(kCallTargetGone, rc.load());
  EXPECT_FALSE(ran);
}

TEST_F(DialogWindow, MessageBoxKindsShowTheirButtonsAndReturnTheChoice) {
  struct Case {
    unsigned style;
    std::vector<int> buttons;
    int press;  // 0: Escape
    int expected;
  };
  const Case cases[] = {
      {kMbOk | kMbIconStop, {kIdBoxOk}, kIdBoxOk, kIdBoxOk},
      {kMbOk | kMbIconInformation, {kIdBoxOk}, 0, kIdBoxOk},
      {kMbRetryCancel | kMbIconQuestion, {kIdRetry, kIdBoxCancel}, kIdRetry, kIdRetry},
      {kMbRetryCancel | kMbIconQuestion, {kIdRetry, kIdBoxCancel}, 0, kIdBoxCancel},
      {kMbYesNo | kMbIconQuestion, {kIdYes, kIdNo}, kIdYes, kIdYes},
      {kMbYesNo | kMbIconQuestion, {kIdYes, kIdNo}, kIdNo, kIdNo},
      {kMbYesNoCancel | kMbIconExclamation, {kIdYes, kIdNo, kIdBoxCancel}, 0, kIdBoxCancel},
  };
  for (const Case& c : cases) {
    drive::whenModal([&](wxDialog& d) {
      for (int id : c.buttons) EXPECT_NE(nullptr, dynamic_cast<wxButton*>(drive::find(id, &d)));
      if (c.press) return (void)drive::click(c.press, &d);
      drive::key(WXK_ESCAPE, 0, &d);
    });
    EXPECT_EQ(c.expected, messageBox(nullptr, "Go on?", "Caption", c.style)) << c.style;
  }
}

TEST_F(DialogWindow, MessageBoxFromAWorkerShowsOnTheUserInterfaceThread) {
  std::atomic<int> answer{-1};
  drive::whenModal([](wxDialog& d) { drive::click(kIdNo, &d); });
  std::thread worker([&] { answer = messageBox(nullptr, "Stop?", "", kMbYesNo); });
  EXPECT_TRUE(drive::pumpUntil([&] { return answer.load() != -1; }));
  worker.join();
  EXPECT_EQ(kIdNo, answer.load());
}

// The least heights resbundle.h names are no less than what the toolkit asks for the text.
// (A push button asks for the height of the toolkit's standard button instead; it shows its
// text whole from kMinButtonHeight, as the demonstration's pictures show.)
TEST_F(DialogWindow, LeastHeightsAreWhatTheToolkitAsksForTheText) {
  TempBundle bundle("string 1 \"heights\"\n");
  auto* frame = new wxFrame(nullptr, wxID_ANY, "heights");  // never shown: asked sizes only
  struct Case {
    ControlKind kind;
    int least;
  };
  const Case cases[] = {
      {ControlKind::Static, kMinStaticHeight}, {ControlKind::Edit, kMinEditHeight},
      {ControlKind::Check, kMinCheckHeight},   {ControlKind::Radio, kMinCheckHeight},
      {ControlKind::Combo, kMinComboHeight},
  };
  for (const Case& c : cases) {
    ControlTemplate t;
    t.id = 10;
    t.kind = c.kind;
    t.rect = Rect{0, 0, -1, -1};  // the toolkit's own size
    t.text = "Agpqy";
    wxWindow* w = createControl(frame, t, *bundle.bundle());
    ASSERT_NE(nullptr, w);
    EXPECT_LE(w->GetBestSize().y, c.least) << static_cast<int>(c.kind);
    w->Destroy();
  }
  frame->Destroy();
}

}  // namespace
}  // namespace zkui
