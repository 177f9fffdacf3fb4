// The windows of the wizard's pages on the windowing layer: the controls of a dialog as the
// pages' logic sees them (CDialogControls), the contact information page (CContactInfoDlg,
// template 2403), the system information page (CSystemInfoDlg, template 2100) and the run of
// the pages from the contact page on. User-interface thread only.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

#include "dialog.h"
#include "regcontact.h"
#include "regcontrols.h"
#include "regsyspage.h"

class wxPaintEvent;

// CRegControls over the controls of a dialog's window; ids it lacks are ignored.
class CDialogControls : public CRegControls {
 public:
  explicit CDialogControls(zkui::Dialog& dialog) : m_dialog(dialog) {}

  bool has(int id) const override { return m_dialog.control(id) != nullptr; }
  void show(int id, bool shown) override;
  bool shown(int id) const override;
  void enable(int id, bool enabled) override;
  bool enabled(int id) const override;
  std::string text(int id) const override;
  void setText(int id, const std::string& text) override;
  void limitText(int id, int maxChars) override;
  void focus(int id) override;
  // The control the last focus() went to since the last call; 0 when none.
  int takeFocusRequest() { return std::exchange(m_focusRequest, 0); }
  int checked(int id) const override;
  void setChecked(int id, int state) override;
  void postClick(int id) override;
  void clearItems(int id) override;
  void insertItem(int id, int index, const std::string& text, long data) override;
  int itemCount(int id) const override;
  std::string itemText(int id, int index) const override;
  long itemData(int id, int index) const override;
  int selection(int id) const override;
  void select(int id, int index) override;
  int right(int id) const override;
  void setRight(int id, int right) override;
  void setBold(int id) override;

 private:
  zkui::Dialog& m_dialog;
  int m_focusRequest = 0;
};

// What the pages share: the title string 313, the pictures along the bottom (and near the top
// right), Escape swallowed, the exit confirmation on Exit and on closing the window, the
// page as the application's main window, and the checks of a field the focus leaves.
class CRegPageDlg : public zkui::Dialog {
 public:
  // topRightBitmap: the picture near the top right corner; 0 for none.
  CRegPageDlg(int templateId, wxWindow* parentP, int topRightBitmap);

 protected:
  void onInitDialog() override;
  // Escape does not close a page; Enter runs the default button (Next).
  void onCancel() override {}
  void onOK() override {}
  // Asks the exit confirmation; true when the user confirmed, or when there was none to ask
  // (the page then ends).
  bool confirmExit();
  bool onClose() override;
  bool onNotify(const zkui::Notification& n) override;
  void onTimer(int id) override;
  // The focus left edit id; the user chose an entry of combo box id.
  virtual void fieldLeft(int /*id*/) {}
  virtual void comboChosen(int /*id*/) {}

  CDialogControls m_controls;

 private:
  void onPaint(wxPaintEvent& event);

  int m_topRightBitmap;
  bool m_checking = false;  // a field's check runs
  int m_refused = 0;        // the field a check refused and gave the focus back to
  std::chrono::steady_clock::time_point m_quietUntil;  // leaves before it are not checked
};

inline constexpr int kPageExited = 2242;  // a page's end code when the user confirmed Exit

class CContactInfoDlg : public CRegPageDlg {
 public:
  explicit CContactInfoDlg(wxWindow* parentP);
  CContactInfoPage& page() { return *m_page; }

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  void fieldLeft(int id) override;
  void comboChosen(int id) override;

 private:
  std::unique_ptr<CContactInfoPage> m_page;  // made with the window, for the registrant's state
};

class CSystemInfoDlg : public CRegPageDlg {
 public:
  explicit CSystemInfoDlg(wxWindow* parentP);
  CSystemInfoPage& page() { return m_page; }

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;

 private:
  CSystemInfoPage m_page;
};

// The pages of the wizard's run, in their order.
enum class RegPage { Contact, System, Additional, ThankYou, None };
// A page that a later part of the wizard provides: runs it and answers the page to go to next
// (None ends the run).
using RegPageStep = std::function<RegPage()>;
// Replaces the Additional Information page (none set: the page of regaddwin.h).
void regSetAdditionalPage(RegPageStep step);
// The privacy statement the contact page's privacy button shows (none set: nothing).
void regSetPrivacyPage(std::function<void()> show);
// Runs the pages from `first` on, each modally after the one before has ended, so the stack
// stays as deep as one page however often the user goes back and forth: Contact's Next leads
// to System (to Additional when System cannot be made), System's Back to Contact and its Next
// to Additional; Additional's Back to System (to Contact when System cannot be made), its
// Submit to the thank-you page; an exit, the thank-you page's end or a closed page ends it.
void regRunPages(RegPage first);
