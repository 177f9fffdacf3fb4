// A property sheet: pages made from child templates on a tab strip, with OK, Cancel and Apply
// below them, run modally.
//
// Pages are PropertyPage objects the caller owns and adds in tab order; the tab shows the page
// template's caption. A page's window is made the first time its tab comes to the front (the
// start page at once) and lives until the sheet ends. A page calls setModified() when the user
// changed something; Apply is enabled exactly while some page is modified.
//   - Changing tabs: the page in front is asked onKillActive() (default: updateData(true));
//     false keeps it in front. The new page then gets onSetActive().
//   - Apply: onKillActive() of the page in front, then onApply() of each modified page once, in
//     tab order; a page whose onApply() returns true is no longer modified. A false from either
//     stops there (that page comes to the front) and the sheet stays.
//   - OK: as Apply, then the sheet ends with kIdOk. Enter in a page is OK.
//   - Cancel, Escape and the close box: onReset() of each page made, nothing is applied, the
//     sheet ends with kIdCancel.
// User-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "dialog.h"

namespace zkui {

class PropertySheet;
class TabStrip;

enum : int { kIdApply = 0x3021 };

class PropertyPage : public Dialog {
 public:
  explicit PropertyPage(int templateId) : Dialog(templateId, nullptr) {}

  void setModified(bool modified = true);
  bool isModified() const { return m_modified; }
  PropertySheet* sheet() const { return m_sheetP; }

 protected:
  virtual bool onSetActive() { return true; }
  virtual bool onKillActive() { return updateData(true); }
  virtual bool onApply() { return true; }
  virtual void onReset() {}
  // Enter and Escape in a page are the sheet's OK and Cancel.
  void onOK() override;
  void onCancel() override;

 private:
  friend class PropertySheet;
  PropertySheet* m_sheetP = nullptr;
  bool m_modified = false;
};

class PropertySheet {
 public:
  PropertySheet(const std::string& caption, wxWindow* parentP, int startPage = 0);
  ~PropertySheet();
  PropertySheet(const PropertySheet&) = delete;
  PropertySheet& operator=(const PropertySheet&) = delete;

  // Not owned; before doModal.
  void addPage(PropertyPage* pageP);
  // kIdOk or kIdCancel; kDialogFailed when a page's template is missing or not a child one.
  int doModal();

  int pageCount() const { return static_cast<int>(m_pages.size()); }
  PropertyPage* page(int index) const;
  int activeIndex() const { return m_active; }
  // Brings the page to the front as a click on its tab would; false when vetoed or no page.
  bool setActivePage(int index);
  // What the buttons do; apply() is true when everything modified was applied.
  bool apply();
  void pressOk();
  void pressCancel();
  wxDialog* window() const { return m_windowP; }
  TabStrip* tabs() const { return m_tabsP; }

 private:
  friend class PropertyPage;
  bool showPage(int index);
  void updateApply();

  std::string m_caption;
  wxWindow* m_parentP;
  int m_startPage;
  std::vector<PropertyPage*> m_pages;
  wxDialog* m_windowP = nullptr;
  TabStrip* m_tabsP = nullptr;
  wxPoint m_pageOrigin;
  int m_active = -1;
};

}  // namespace zkui
