#include "drelocate.h"

#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "ddx.h"
#include "help.h"
#include "resbundle.h"

namespace {

enum : int { MSG_HELP_RELOCATE = 5709 };
constexpr char kHelpFile[] = "zarnaksql.hlp";
constexpr int kPhysicalMinWidth = 305;
constexpr int kLogicalMinWidth = 140;

// The larger of the minimum and five quarters of the header's width.
int columnWidth(wxListCtrl* listP, const std::string& header, int minimum) {
  int text = listP->GetTextExtent(wxString::FromUTF8(header)).GetWidth();
  return std::max(minimum, text * 5 / 4);
}

}  // namespace

wxListCtrl* DRelocate::list() const {
  return dynamic_cast<wxListCtrl*>(control(IDC_RELOCATE_LIST));
}

void DRelocate::setLVHeader() {
  wxListCtrl* listP = list();
  std::string physical = zkui::resString(IDS_RELOCATE_PHYSICAL).value_or("");
  std::string logical = zkui::resString(IDS_RELOCATE_LOGICAL).value_or("");
  // The physical name is the row's label, the one part of a row that can be edited in place.
  listP->InsertColumn(0, wxString::FromUTF8(physical), wxLIST_FORMAT_LEFT,
                      columnWidth(listP, physical, kPhysicalMinWidth));
  listP->InsertColumn(1, wxString::FromUTF8(logical), wxLIST_FORMAT_LEFT,
                      columnWidth(listP, logical, kLogicalMinWidth));
}

void DRelocate::onInitDialog() {
  fixSize();
  DFciDialog::onInitDialog();
  wxListCtrl* listP = list();
  if (listP == nullptr) return;
  setLVHeader();
  m_rows.clear();
  for (DRelocateEntry* entryP = m_firstP;
       entryP != nullptr && m_listP != nullptr && entryP->dbInfoP == m_firstP->dbInfoP;
       entryP = m_listP->getNext(entryP)) {
    long row = static_cast<long>(m_rows.size());
    listP->InsertItem(row, wxString::FromUTF8(entryP->szPhysicalName));
    listP->SetItem(row, 1, wxString::FromUTF8(entryP->szLogicalName));
    m_rows.push_back(entryP);
  }
  listP->Bind(wxEVT_LIST_END_LABEL_EDIT, &DRelocate::onEndLabelEdit, this);
  listP->Bind(wxEVT_LIST_KEY_DOWN, &DRelocate::onListKey, this);
  listP->SetFocus();
  // The first row opens once the dialog shows.
  window()->CallAfter([this] { editRow(0); });
}

void DRelocate::editRow(long row) {
  wxListCtrl* listP = list();
  if (listP == nullptr || row < 0 || row >= listP->GetItemCount() || m_editRow >= 0) return;
  listP->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                      wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  listP->EnsureVisible(row);
  wxTextCtrl* editP = listP->EditLabel(row);
  if (editP == nullptr) return;
  m_editRow = row;
  editP->SetMaxLength(DRELOCATE_MAX_CHARS);
  editP->Bind(wxEVT_CHAR_HOOK, &DRelocate::onEditKey, this);
}

// The label editor ends later: it goes away inside its own key handling otherwise.
void DRelocate::endEdit(bool cancel) {
  window()->CallAfter([this, cancel] {
    if (wxListCtrl* listP = list(); listP != nullptr && m_editRow >= 0) listP->EndEditLabel(cancel);
  });
}

void DRelocate::onEditKey(wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_UP:
    case WXK_DOWN:
      m_lastKey = event.GetKeyCode();
      return endEdit(false);
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      m_lastKey = -1;
      return endEdit(false);
    case WXK_ESCAPE:
      m_lastKey = -1;
      return endEdit(true);
    default:
      event.Skip();
  }
}

void DRelocate::onEndLabelEdit(wxListEvent& event) {
  long row = event.GetIndex();
  m_editRow = -1;
  std::string text = event.GetLabel().utf8_string();
  wxListCtrl* listP = list();
  bool known = listP != nullptr && row >= 0 && row < static_cast<long>(m_rows.size());
  if (known && !event.IsEditCancelled() && text != listP->GetItemText(row).utf8_string()) {
    zkui::DataExchange dx(*this, true);
    dx.maxChars(IDC_RELOCATE_LIST, text, DRELOCATE_MAX_CHARS);
    // An empty or refused text keeps the name.
    if (text.empty() || dx.failed()) {
      event.Veto();
    } else {
      m_rows[row]->changed = 1;
    }
  }
  int key = m_lastKey;
  m_lastKey = -1;
  if (key != WXK_UP && key != WXK_DOWN) return;
  long last = static_cast<long>(m_rows.size()) - 1;
  long next = key == WXK_DOWN ? std::min(row + 1, last) : std::max(row - 1, 0L);
  window()->CallAfter([this, next] { editRow(next); });
}

void DRelocate::onListKey(wxListEvent& event) {
  int key = event.GetKeyCode();
  if (key != WXK_LEFT && key != WXK_RIGHT) return event.Skip();
  wxListCtrl* listP = list();
  editRow(listP->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

bool DRelocate::onNotify(const zkui::Notification& n) {
  if (n.id == IDC_RELOCATE_LIST && n.kind == zkui::NotifyKind::Click && n.row >= 0) {
    editRow(n.row);
  }
  return false;
}

bool DRelocate::onCommand(int id) {
  if (id != IDC_RELOCATE_HELP) return DFciDialog::onCommand(id);
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_RELOCATE)});
  return true;
}

// The labels of the changed entries become their physical names.
void DRelocate::onOK() {
  wxListCtrl* listP = list();
  if (listP != nullptr && m_editRow >= 0) listP->EndEditLabel(false);
  for (long row = 0;
       listP != nullptr && row < static_cast<long>(m_rows.size()) && row < listP->GetItemCount();
       ++row) {
    DRelocateEntry* entryP = m_rows[row];
    if (entryP->changed == 0) continue;
    std::snprintf(entryP->szPhysicalName, sizeof entryP->szPhysicalName, "%s",
                  listP->GetItemText(row).utf8_string().c_str());
  }
  endDialog(zkui::kIdOk);
}
