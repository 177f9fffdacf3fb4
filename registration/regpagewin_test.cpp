// The contact and system information pages as windows, driven under a display with the
// program's own resources: the checks on leaving a field and on Next, the country's effects,
// Escape, the run of the pages back and forth, and the printing dialog. Screenshots go to the
// test's temporary folder (regpage-*.png).
#include "regpagewin.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>

#include <fstream>
#include <sstream>

#include "msgbox.h"
#include "regcustom.h"
#include "reglang.h"
#include "regpages_testutil.h"
#include "regprintdlg.h"
#include "regregistrant.h"
#include "regsplash.h"
#include "regsysinfo.h"
#include "regwinapp.h"
#include "root.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

namespace drive = zkui::drive;

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class PageWindows : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    std::string why;
    ASSERT_EQ(zkui::ResourceBundle::load(std::string(TAMREL_RES_DIR) + "/tamrel.zrc", m_own, &why),
              zkui::kResOk)
        << why;
    m_previous = zkui::setCurrentResources(m_own);
    CLanguageRules::load("english");
    CProductCustomization::install(regtest::companyProduct());
    CRegistrant& r = CRegistrant::instance();
    r.release();
    r.name().setPrefix("", -1);
    r.address().setCountry("", -1);
    r.address().setState("", "");
    CSystemInfo::instance().setSendBios(true);
    CSystemInfoPage::presetBiosFacts("Orbenix", "ZX-1 Model 7", "SN123");
    regSetPresenter(&regWindowPresenter());
    regWindowPresenter().m_exitConfirmation = [this] {
      ++m_exitAsked;
      return m_exitAnswer;
    };
    zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& request) {
      m_boxes.push_back(request.text);
      if (m_answers.empty()) return zkui::kIdBoxOk;
      int answer = m_answers.front();
      m_answers.erase(m_answers.begin());
      return answer;
    });
  }
  void TearDown() override {
    if (IsSkipped()) return;
    zkui::setMessageBoxHook(nullptr);
    regWindowPresenter().m_exitConfirmation = nullptr;
    regSetPresenter(nullptr);
    regSetAdditionalPage(nullptr);
    CSystemInfoPage::forgetBiosFacts();
    CProductCustomization::install(nullptr);
    zkui::setCurrentResources(m_previous);
  }

  void shot(wxWindow* w, const std::string& name) {
    drive::pump(150);
    EXPECT_EQ(drive::screenshot(w, testing::TempDir() + "regpage-" + name + ".png"), 0);
  }
  // The focus leaves edit id for the next field, as a click there would.
  static void leave(wxDialog& d, int id, int nextId) {
    ASSERT_TRUE(drive::focus(drive::find(id, &d)));
    ASSERT_TRUE(drive::focus(drive::find(nextId, &d)));
    drive::pump(100);
  }
  static void choose(wxDialog& d, int id, const std::string& text) {
    ASSERT_TRUE(drive::choose(drive::find(id, &d), text)) << text;
    drive::pump(30);
  }
  static void escape(wxDialog& d) {
    drive::key(WXK_ESCAPE, 0, &d);
    drive::pump(50);
  }
  static bool shown(wxDialog& d, int id) {
    wxWindow* w = drive::find(id, &d);
    return w != nullptr && w->IsShown();
  }
  static void fill(wxDialog& d) {
    choose(d, kNamePrefix, "Ms.");
    drive::type(kNameFirst, "Ada", &d);
    drive::type(kNameLast, "Lovelace", &d);
    drive::type(kAddrStreet, "12 King Street", &d);
    drive::type(kAddrCity, "Toronto", &d);
    choose(d, kAddrCountry, "Canada");
    choose(d, kAddrState, "Ontario");
    drive::type(kAddrPostalCode, "M5V 2T6", &d);
    drive::type(kPhoneNumber, "416 555 0199", &d);
    drive::type(kContactEmail, "ada@example.com", &d);
  }
  std::vector<std::string> boxesSince(std::size_t from) const {
    return {m_boxes.begin() + static_cast<long>(from), m_boxes.end()};
  }

  zkroot::ScopedRoot m_root;
  std::shared_ptr<const zkui::ResourceBundle> m_own, m_previous;
  std::vector<std::string> m_boxes;
  std::vector<int> m_answers;
  int m_exitAnswer = 2328;
  int m_exitAsked = 0;
};

TEST_F(PageWindows, ContactPageChecksFieldsCountriesAndIgnoresEscape) {
  std::string pipe = regLoadString(217);
  std::string title;
  bool frenchForCanada = false, frenchForGermany = true, statesForGermany = true;
  bool stillOpenAfterEscape = false;
  int focusAfterLeave = 0, focusAfterNext = 0;
  drive::whenModal([&](wxDialog& d) {
    title = d.GetTitle().utf8_string();
    shot(&d, "contact-empty");
    fill(d);
    drive::type(kContactCompany, "Engines | Co", &d);
    leave(d, kContactCompany, kAddrPoBox);
    wxWindow* focus = wxWindow::FindFocus();
    focusAfterLeave = focus != nullptr ? focus->GetId() : 0;
    drive::click(kContactNext, &d);
    drive::pump(50);
    focus = wxWindow::FindFocus();
    focusAfterNext = focus != nullptr ? focus->GetId() : 0;
    drive::type(kContactCompany, "Analytical Engines", &d);
    frenchForCanada = shown(d, kAddrFrench);
    shot(&d, "contact-canada");
    choose(d, kAddrCountry, "Germany");
    frenchForGermany = shown(d, kAddrFrench);
    statesForGermany = shown(d, kAddrState) || shown(d, kAddrStateLabel);
    shot(&d, "contact-germany");
    escape(d);
    stillOpenAfterEscape = drive::activeModal() == &d && d.IsShown();
    m_exitAnswer = 2329;
    drive::click(kContactExit, &d);  // No: the page stays
    m_exitAnswer = 2329;
    drive::close(&d);  // the close box asks too
    m_exitAnswer = 2328;
    drive::click(kContactExit, &d);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(title, "Veltrona Product Registration");
  EXPECT_EQ(m_boxes, (std::vector<std::string>{pipe, pipe}));
  EXPECT_EQ(focusAfterLeave, kContactCompany);
  EXPECT_EQ(focusAfterNext, kContactCompany);
  EXPECT_TRUE(frenchForCanada);
  EXPECT_FALSE(frenchForGermany);
  EXPECT_FALSE(statesForGermany);
  EXPECT_TRUE(stillOpenAfterEscape);
  EXPECT_EQ(m_exitAsked, 3);
}

TEST_F(PageWindows, TwoRefusedFieldsDoNotPassTheFocusBackAndForth) {
  int focusAfter = 0;
  drive::whenModal([&](wxDialog& d) {
    // Both texts are there before either field has had the focus.
    dynamic_cast<wxTextCtrl*>(drive::find(kContactCompany, &d))->ChangeValue("a|b");
    dynamic_cast<wxTextCtrl*>(drive::find(kAddrPoBox, &d))->ChangeValue("c|d");
    ASSERT_TRUE(drive::focus(drive::find(kContactCompany, &d)));
    drive::pump(200);
    drive::key(WXK_TAB);  // on to the P.O. box
    // The refusal takes the focus back; on a loaded machine that can take a while. Once it is
    // back it stays there: the other refused field never takes it.
    auto focusId = [] {
      wxWindow* focus = wxWindow::FindFocus();
      return focus != nullptr ? focus->GetId() : 0;
    };
    drive::pumpUntil([&] { return focusId() == kContactCompany; });
    drive::pump(300);
    focusAfter = focusId();
    drive::click(kContactExit, &d);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(focusAfter, kContactCompany);
}

TEST_F(PageWindows, AShortPostalCodeKeptAndADeclinedEmailLeadToTheSystemPage) {
  std::vector<std::string> asked;
  bool systemShown = false;
  drive::whenModal([&](wxDialog& d) {
    fill(d);
    drive::type(kAddrPostalCode, "M5V", &d);
    drive::type(kContactEmail, "", &d);
    m_answers = {zkui::kIdNo, zkui::kIdNo};
    drive::whenModal([&](wxDialog& system) {
      systemShown = system.IsShown();
      m_exitAnswer = 2328;
      drive::click(kSystemExit, &system);
    });
    drive::click(kContactNext, &d);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(m_boxes, (std::vector<std::string>{regLoadString(1516), regLoadString(213)}));
  EXPECT_TRUE(systemShown);
  EXPECT_EQ(CRegistrant::instance().get("zip"), "M5V");
  EXPECT_EQ(CRegistrant::instance().get("email"), "");
}

TEST_F(PageWindows, TheSystemPageKeepsItsChoiceAcrossBackAndNext) {
  int additional = 0;
  regSetAdditionalPage([&] {
    ++additional;
    return RegPage::None;
  });
  bool labelsEnabled = false, noChecked = false, escapeKept = false;
  std::string model, os;
  drive::whenModal([&](wxDialog& contact) {
    fill(contact);
    drive::whenModal([&](wxDialog& system) {
      model = drive::text(drive::find(kSystemModel, &system));
      os = drive::text(drive::find(kSystemOs, &system));
      labelsEnabled = drive::find(kSystemSerialLabel, &system)->IsEnabled();
      shot(&system, "system-yes");
      drive::click(kSystemNo, &system);
      drive::whenModal([&](wxDialog& contactAgain) {
        drive::whenModal([&](wxDialog& systemAgain) {
          drive::pump(50);
          noChecked = drive::checked(drive::find(kSystemNo, &systemAgain)) == 1;
          escape(systemAgain);
          escapeKept = drive::activeModal() == &systemAgain;
          shot(&systemAgain, "system-no");
          drive::click(kSystemNext, &systemAgain);
        });
        drive::click(kContactNext, &contactAgain);
      });
      drive::click(kSystemBack, &system);
    });
    drive::click(kContactNext, &contact);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(model, "ZX-1 Model 7");
  EXPECT_EQ(os, getOsName() + " " + getOsVersion());
  EXPECT_TRUE(labelsEnabled);
  EXPECT_TRUE(noChecked);
  EXPECT_TRUE(escapeKept);
  EXPECT_EQ(additional, 1);
  EXPECT_FALSE(CSystemInfo::instance().sendBios());
  EXPECT_EQ(CSystemInfo::instance().get("q2"), "");
  EXPECT_EQ(CSystemInfo::instance().get("q3"), "");
}

TEST_F(PageWindows, WithoutBiosFactsTheLabelsAreDisabled) {
  CSystemInfoPage::presetBiosFacts("", "", "");
  bool anyEnabled = true;
  drive::whenModal([&](wxDialog& d) {
    anyEnabled = false;
    for (int id : {kSystemManufacturerLabel, kSystemModelLabel, kSystemSerialLabel}) {
      anyEnabled = anyEnabled || drive::find(id, &d)->IsEnabled();
    }
    shot(&d, "system-nobios");
    drive::click(kSystemExit, &d);
  });
  regRunPages(RegPage::System);
  EXPECT_FALSE(anyEnabled);
}

TEST_F(PageWindows, JapaneseGivesFreePrefixAndSuffixEdits) {
  std::string text = readFile(std::string(TAMREL_RES_DIR) + "/tamrel.zrc");
  for (const char* id : {"2237", "2238"}) {
    std::string from = std::string("combo ") + id;
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), std::string("edit ") + id);
    text.replace(text.find("\"\" droplist", at), 11, "\"\"");
  }
  std::map<std::string, wxImage> images;
  for (const char* name : {"tamrel-splash.png", "tamrel-icon.png", "tamrel-band.png",
                           "tamrel-mark.png", "tamrel-custom.png"}) {
    images[name] = wxImage(wxString::FromUTF8(std::string(TAMREL_RES_DIR) + "/" + name));
  }
  zkui::TempBundle japanese(text, images);
  regtest::ScopedLanguage language("japanese");
  std::string prefix;
  drive::whenModal([&](wxDialog& d) {
    auto* edit = dynamic_cast<wxTextCtrl*>(drive::find(kNamePrefix, &d));
    ASSERT_NE(edit, nullptr);
    drive::focus(edit);
    for (int i = 0; i < 60; ++i) edit->WriteText("k");  // typing stops at the limit
    prefix = edit->GetValue().utf8_string();
    shot(&d, "contact-japanese");
    drive::click(kContactExit, &d);
  });
  regRunPages(RegPage::Contact);
  EXPECT_EQ(prefix, std::string(50, 'k'));
}

TEST_F(PageWindows, CancellingThePrintingDialogSetsTheFlag) {
  regSetPrintCancelled(0);
  std::string title;
  drive::whenModal([&](wxDialog& d) {
    title = d.GetTitle().utf8_string();
    shot(&d, "printing");
    drive::click(kPrintingCancel, &d);
  });
  CPrintingDlg dialog(nullptr);
  EXPECT_EQ(dialog.doModal(), kPrintingCancel);
  EXPECT_EQ(regPrintCancelled(), 1);
  EXPECT_EQ(title, "Veltrona Product Registration");
}

}  // namespace

namespace {

// Every dialog of the program's own bundle opens with its controls inside its client area.
TEST_F(PageWindows, EveryTemplateOfTheOwnBundleOpensWithItsControlsInside) {
  for (int id :
       {2100, 2400, 2402, 2403, 2404, 2405, 2406, 2407, 2408, 2409, 2410, 2411, 2412, 2500}) {
    SCOPED_TRACE(id);
    const zkui::DialogTemplate* t = m_own->dialog(id);
    ASSERT_NE(t, nullptr);
    for (const zkui::ControlTemplate& c : t->controls) {
      EXPECT_LE(c.rect.right(), t->rect.width) << c.id;
      EXPECT_LE(c.rect.bottom(), t->rect.height) << c.id;
    }
    drive::whenModal([&](wxDialog& d) {
      shot(&d, "template-" + std::to_string(id));
      d.EndModal(2);
    });
    zkui::Dialog dialog(id, nullptr);
    EXPECT_NE(dialog.doModal(), zkui::kDialogFailed);
  }
}

}  // namespace
