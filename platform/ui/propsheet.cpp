#include "propsheet.h"

#include <wx/button.h>

#include <algorithm>

#include "tabstrip.h"

namespace zkui {

namespace {
const int kMargin = 7;
const int kButtonWidth = 80;
const int kButtonHeight = 27;
const int kButtonGap = 6;
}  // namespace

void PropertyPage::setModified(bool modified) {
  m_modified = modified;
  if (m_sheetP) m_sheetP->updateApply();
}

void PropertyPage::onOK() {
  if (m_sheetP) m_sheetP->pressOk();
}

void PropertyPage::onCancel() {
  if (m_sheetP) m_sheetP->pressCancel();
}

PropertySheet::PropertySheet(const std::string& caption, wxWindow* parentP, int startPage)
    : m_caption(caption), m_parentP(parentP), m_startPage(startPage) {}

PropertySheet::~PropertySheet() {
  for (PropertyPage* p : m_pages) p->m_sheetP = nullptr;
}

void PropertySheet::addPage(PropertyPage* pageP) {
  pageP->m_sheetP = this;
  m_pages.push_back(pageP);
}

PropertyPage* PropertySheet::page(int index) const {
  return index >= 0 && index < pageCount() ? m_pages[index] : nullptr;
}

int PropertySheet::doModal() {
  std::shared_ptr<const ResourceBundle> bundle = currentResources();
  int width = 0, height = 0;
  std::vector<std::string> captions;
  for (PropertyPage* p : m_pages) {
    const DialogTemplate* t = bundle ? bundle->dialog(p->templateId()) : nullptr;
    if (!t || !(t->style & kDialogChild)) return kDialogFailed;
    width = std::max(width, t->rect.width);
    height = std::max(height, t->rect.height);
    captions.push_back(t->caption);
  }
  if (m_pages.empty()) return kDialogFailed;

  long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | (m_parentP ? 0 : wxDIALOG_NO_PARENT);
  m_windowP = new wxDialog(m_parentP, wxID_ANY, wxString::FromUTF8(m_caption), wxDefaultPosition,
                           wxDefaultSize, style);
  m_tabsP = new TabStrip(m_windowP, wxID_ANY, wxPoint(kMargin, kMargin), wxSize(200, 200));
  for (size_t i = 0; i < captions.size(); ++i) {
    m_tabsP->insertItem(static_cast<int>(i), captions[i]);
  }
  // The strip is as large as the largest page needs: its frame and tabs around the page area.
  Rect area = m_tabsP->displayRect();
  wxSize strip(width + 200 - area.width, height + 200 - area.height);
  m_tabsP->SetSize(strip);
  m_pageOrigin = wxPoint(kMargin + area.x, kMargin + area.y);
  int buttonsY = kMargin + strip.y + kMargin;
  int clientWidth =
      std::max(strip.x + 2 * kMargin, 3 * kButtonWidth + 2 * kButtonGap + 2 * kMargin);
  const int ids[] = {kIdOk, kIdCancel, kIdApply};
  const char* const texts[] = {"OK", "Cancel", "&Apply"};
  for (int i = 0; i < 3; ++i) {
    int x = clientWidth - kMargin - (3 - i) * kButtonWidth - (2 - i) * kButtonGap;
    auto* button = new wxButton(m_windowP, ids[i], texts[i], wxPoint(x, buttonsY),
                                wxSize(kButtonWidth, kButtonHeight));
    if (ids[i] == kIdOk) button->SetDefault();
  }
  m_windowP->SetClientSize(clientWidth, buttonsY + kButtonHeight + kMargin);
  m_windowP->CentreOnParent();

  m_windowP->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
    if (e.GetId() == kIdOk) return pressOk();
    if (e.GetId() == kIdCancel) return pressCancel();
    if (e.GetId() == kIdApply) return (void)apply();
    e.Skip();
  });
  m_windowP->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { pressCancel(); });
  m_windowP->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
    if (e.GetKeyCode() == WXK_ESCAPE) return pressCancel();
    if (e.GetKeyCode() == WXK_RETURN && !dynamic_cast<wxButton*>(wxWindow::FindFocus())) {
      return pressOk();
    }
    e.Skip();
  });
  m_tabsP->onSelChanging = [this](int, int) {
    PropertyPage* front = page(m_active);
    return front && !front->onKillActive();  // true vetoes
  };
  m_tabsP->onSelChanged = [this](int index) { showPage(index); };

  int start = std::clamp(m_startPage, 0, pageCount() - 1);
  m_tabsP->setSelection(start);
  updateApply();
  if (!showPage(start)) {
    m_windowP->Destroy();
    m_windowP = nullptr;
    return kDialogFailed;
  }
  int end = m_windowP->ShowModal();
  for (PropertyPage* p : m_pages) p->destroyWindow();
  delete m_windowP;
  m_windowP = nullptr;
  m_tabsP = nullptr;
  m_active = -1;
  return end;
}

bool PropertySheet::showPage(int index) {
  PropertyPage* next = page(index);
  if (!next) return false;
  if (!next->window()) {
    next->setParentWindow(m_windowP);
    if (next->create() != 0) return false;
    next->window()->Move(m_pageOrigin);
  }
  if (PropertyPage* old = page(m_active); old && old != next && old->window()) {
    old->window()->Hide();
  }
  m_active = index;
  next->window()->Show();
  next->onSetActive();
  return true;
}

bool PropertySheet::setActivePage(int index) {
  if (!m_tabsP || !page(index)) return false;
  if (index == m_active) return true;
  return m_tabsP->clickTab(index);
}

void PropertySheet::updateApply() {
  if (!m_windowP) return;
  bool modified = std::any_of(m_pages.begin(), m_pages.end(),
                              [](const PropertyPage* p) { return p->m_modified; });
  if (wxWindow* apply = m_windowP->FindWindow(kIdApply)) apply->Enable(modified);
}

bool PropertySheet::apply() {
  PropertyPage* front = page(m_active);
  if (front && !front->onKillActive()) return false;
  for (int i = 0; i < pageCount(); ++i) {
    PropertyPage* p = m_pages[i];
    if (!p->m_modified) continue;
    if (!p->onApply()) {
      if (i != m_active) setActivePage(i);
      return false;
    }
    p->m_modified = false;
  }
  updateApply();
  return true;
}

void PropertySheet::pressOk() {
  if (m_windowP && apply()) m_windowP->EndModal(kIdOk);
}

void PropertySheet::pressCancel() {
  if (!m_windowP) return;
  for (PropertyPage* p : m_pages) {
    if (p->window()) p->onReset();
  }
  m_windowP->EndModal(kIdCancel);
}

}  // namespace zkui
