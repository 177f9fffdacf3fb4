#include "dwxlist.h"

#include <algorithm>

namespace {

constexpr int kTextPadding = 16;     // the cell's margins around a text
constexpr int kPicturePadding = 22;  // the picture and its gap in the first column

wxListColumnFormat formatOf(DListAlign align) {
  switch (align) {
    case DListAlign::Right:
      return wxLIST_FORMAT_RIGHT;
    case DListAlign::Centre:
      return wxLIST_FORMAT_CENTRE;
    case DListAlign::Left:
      break;
  }
  return wxLIST_FORMAT_LEFT;
}

}  // namespace

DWxListCtrl::DWxListCtrl(wxListCtrl* listP)
    : m_listP(listP), m_cell(std::make_shared<DWxListCtrl*>(this)) {
  auto cell = m_cell;
  m_listP->Bind(wxEVT_DESTROY, [cell](wxWindowDestroyEvent& e) {
    e.Skip();
    if (*cell != nullptr && e.GetEventObject() == (*cell)->m_listP) (*cell)->m_listP = nullptr;
  });
}

DWxListCtrl::~DWxListCtrl() {
  *m_cell = nullptr;
}

int DWxListCtrl::columnCount() const {
  return m_listP != nullptr ? m_listP->GetColumnCount() : 0;
}

bool DWxListCtrl::insertColumn(int column, const std::string& header, DListAlign align, int width) {
  if (m_listP == nullptr || column < 0) return false;
  column = std::min(column, columnCount());
  return m_listP->InsertColumn(column, wxString::FromUTF8(header), formatOf(align), width) >= 0;
}

bool DWxListCtrl::deleteColumn(int column) {
  if (column < 0 || column >= columnCount()) return false;
  return m_listP->DeleteColumn(column);
}

std::string DWxListCtrl::columnHeader(int column) const {
  if (column < 0 || column >= columnCount()) return std::string();
  wxListItem item;
  item.SetMask(wxLIST_MASK_TEXT);
  m_listP->GetColumn(column, item);
  return item.GetText().utf8_string();
}

int DWxListCtrl::columnWidth(int column) const {
  if (column < 0 || column >= columnCount()) return 0;
  return m_listP->GetColumnWidth(column);
}

DListAlign DWxListCtrl::columnAlign(int column) const {
  if (column < 0 || column >= columnCount()) return DListAlign::Left;
  wxListItem item;
  item.SetMask(wxLIST_MASK_FORMAT);
  m_listP->GetColumn(column, item);
  switch (item.GetAlign()) {
    case wxLIST_FORMAT_RIGHT:
      return DListAlign::Right;
    case wxLIST_FORMAT_CENTRE:
      return DListAlign::Centre;
    default:
      return DListAlign::Left;
  }
}

int DWxListCtrl::textWidth(const std::string& text) const {
  return m_listP != nullptr ? m_listP->GetTextExtent(wxString::FromUTF8(text)).x : 0;
}

int DWxListCtrl::itemCount() const {
  return m_listP != nullptr ? m_listP->GetItemCount() : 0;
}

void DWxListCtrl::fitColumn(int column, const wxString& text) {
  int wanted = m_listP->GetTextExtent(text).x + kTextPadding + (column == 0 ? kPicturePadding : 0);
  if (wanted > m_listP->GetColumnWidth(column)) m_listP->SetColumnWidth(column, wanted);
}

bool DWxListCtrl::deleteAllItems() {
  return m_listP != nullptr && m_listP->DeleteAllItems();
}

int DWxListCtrl::insertItem(int row, const std::string& text, int stateImage, void* param) {
  if (m_listP == nullptr || row < 0) return -1;
  wxString shown = wxString::FromUTF8(text);
  long at =
      m_listP->InsertItem(std::min(row, itemCount()), shown, stateImage > 0 ? stateImage - 1 : -1);
  if (at < 0) return -1;
  if (columnCount() > 0) fitColumn(0, shown);
  m_listP->SetItemPtrData(at, reinterpret_cast<wxUIntPtr>(param));
  return static_cast<int>(at);
}

bool DWxListCtrl::setItemText(int row, int column, const std::string& text) {
  if (!validRow(row) || column < 0 || column >= columnCount()) return false;
  wxString shown = wxString::FromUTF8(text);
  fitColumn(column, shown);
  return m_listP->SetItem(row, column, shown);
}

std::string DWxListCtrl::itemText(int row, int column) const {
  if (!validRow(row) || column < 0 || column >= columnCount()) return std::string();
  return m_listP->GetItemText(row, column).utf8_string();
}

void* DWxListCtrl::itemParam(int row) const {
  if (!validRow(row)) return nullptr;
  return reinterpret_cast<void*>(m_listP->GetItemData(row));
}

int DWxListCtrl::stateImage(int row) const {
  if (!validRow(row)) return 0;
  wxListItem item;
  item.SetId(row);
  item.SetMask(wxLIST_MASK_IMAGE);
  if (!m_listP->GetItem(item)) return 0;
  return item.GetImage() + 1;
}

bool DWxListCtrl::setStateImage(int row, int state) {
  if (!validRow(row)) return false;
  return m_listP->SetItemImage(row, state > 0 ? state - 1 : -1);
}

void DWxListCtrl::repaint() {
  if (m_listP == nullptr) return;
  m_listP->Refresh();
  m_listP->Update();
}
