#include "dwxtree.h"

#include "dtreeview.h"
#include "notify.h"
#include "uiimage.h"

namespace {

constexpr int kPictureWidth = 16;

// The record pointer an item carries, as the toolkit keeps item data.
class ParamData : public wxTreeItemData {
 public:
  explicit ParamData(void* paramP) : m_paramP(paramP) {}
  void* m_paramP;
};

DTreeHit hitOf(zkui::HitPart part) {
  switch (part) {
    case zkui::HitPart::Picture:
      return DTreeHit::Picture;
    case zkui::HitPart::Label:
      return DTreeHit::Label;
    case zkui::HitPart::Button:
      return DTreeHit::Button;
    case zkui::HitPart::Row:
      return DTreeHit::Row;
    case zkui::HitPart::Nowhere:
      break;
  }
  return DTreeHit::Nowhere;
}

}  // namespace

DWxTreeCtrl::DWxTreeCtrl(wxTreeCtrl* treeP)
    : m_treeP(treeP), m_cell(std::make_shared<DWxTreeCtrl*>(this)) {
  if (!m_treeP->GetRootItem().IsOk()) m_treeP->AddRoot(wxString());
  bindEvents();
}

DWxTreeCtrl::~DWxTreeCtrl() {
  *m_cell = nullptr;
}

void DWxTreeCtrl::bindEvents() {
  auto cell = m_cell;
  zkui::bindNotifications(m_treeP, [cell](const zkui::Notification& n) {
    DWxTreeCtrl* selfP = *cell;
    if (!selfP || !selfP->m_eventsP) return false;
    HTREEITEM item = n.item.IsOk() ? itemOf(n.item) : nullptr;
    switch (n.kind) {
      case zkui::NotifyKind::ItemExpanding:
        return !selfP->m_programExpand && selfP->m_eventsP->treeItemExpanding(item, n.expand);
      case zkui::NotifyKind::Click:
        selfP->m_eventsP->treeLeftClick(item, hitOf(n.hit));
        break;
      case zkui::NotifyKind::SelChanged:
        selfP->m_eventsP->treeSelChanged(item);
        break;
      default:
        break;
    }
    return false;
  });
  m_treeP->Bind(wxEVT_TREE_ITEM_EXPANDED, [cell](wxTreeEvent& e) {
    e.Skip();
    if (*cell) (*cell)->m_expandedOnce.insert(itemOf(e.GetItem()));
  });
  m_treeP->Bind(wxEVT_TREE_DELETE_ITEM, [cell](wxTreeEvent& e) {
    e.Skip();
    if (!*cell) return;
    (*cell)->m_items.erase(itemOf(e.GetItem()));
    (*cell)->m_expandedOnce.erase(itemOf(e.GetItem()));
  });
  m_treeP->Bind(wxEVT_CHAR_HOOK, [cell](wxKeyEvent& e) {
    if (e.GetKeyCode() != WXK_F1 || !*cell || !(*cell)->m_eventsP) return e.Skip();
    (*cell)->m_eventsP->treeHelp();
  });
  m_treeP->Bind(wxEVT_CONTEXT_MENU, [cell](wxContextMenuEvent& e) {
    if (!*cell || !(*cell)->m_eventsP) return e.Skip();
    (*cell)->m_eventsP->treeContextMenu();
  });
  m_treeP->Bind(wxEVT_DESTROY, [cell](wxWindowDestroyEvent& e) {
    e.Skip();
    if (!*cell || e.GetEventObject() != (*cell)->m_treeP) return;
    (*cell)->m_treeP = nullptr;
    (*cell)->m_items.clear();
    (*cell)->m_expandedOnce.clear();
  });
}

bool DWxTreeCtrl::valid(HTREEITEM item) const {
  return m_treeP && m_items.count(item) != 0;
}

HTREEITEM DWxTreeCtrl::insertItem(const DTreeInsert& insert) {
  if (!m_treeP) return nullptr;
  wxTreeItemId parent = insert.parent ? idOf(insert.parent) : m_treeP->GetRootItem();
  if (insert.parent && !valid(insert.parent)) return nullptr;
  wxString text = wxString::FromUTF8(insert.text);
  auto* dataP = new ParamData(insert.param);
  wxTreeItemId id;
  if (insert.insertAfter == TVI_FIRST) {
    id = m_treeP->PrependItem(parent, text, insert.image, insert.selectedImage, dataP);
  } else if (insert.insertAfter == TVI_LAST) {
    id = m_treeP->AppendItem(parent, text, insert.image, insert.selectedImage, dataP);
  } else if (valid(insert.insertAfter) &&
             m_treeP->GetItemParent(idOf(insert.insertAfter)) == parent) {
    id = m_treeP->InsertItem(parent, idOf(insert.insertAfter), text, insert.image,
                             insert.selectedImage, dataP);
  }
  if (!id.IsOk()) {
    delete dataP;
    return nullptr;
  }
  if (insert.stateImage > 0) m_treeP->SetItemState(id, insert.stateImage);
  if (insert.hasChildren) m_treeP->SetItemHasChildren(id, true);
  m_items.insert(itemOf(id));
  return itemOf(id);
}

bool DWxTreeCtrl::deleteAllItems() {
  if (!m_treeP) return false;
  m_treeP->DeleteChildren(m_treeP->GetRootItem());
  m_treeP->Refresh();
  m_treeP->Update();
  return true;
}

bool DWxTreeCtrl::deleteItem(HTREEITEM item) {
  if (!valid(item)) return false;
  m_treeP->Delete(idOf(item));
  return true;
}

HTREEITEM DWxTreeCtrl::getChild(HTREEITEM item) const {
  if (!m_treeP || (item && !valid(item))) return nullptr;
  wxTreeItemIdValue cookie;
  wxTreeItemId child = m_treeP->GetFirstChild(item ? idOf(item) : m_treeP->GetRootItem(), cookie);
  return child.IsOk() ? itemOf(child) : nullptr;
}

HTREEITEM DWxTreeCtrl::getNextSibling(HTREEITEM item) const {
  if (!valid(item)) return nullptr;
  wxTreeItemId next = m_treeP->GetNextSibling(idOf(item));
  return next.IsOk() ? itemOf(next) : nullptr;
}

HTREEITEM DWxTreeCtrl::getPrevSibling(HTREEITEM item) const {
  if (!valid(item)) return nullptr;
  wxTreeItemId previous = m_treeP->GetPrevSibling(idOf(item));
  return previous.IsOk() ? itemOf(previous) : nullptr;
}

HTREEITEM DWxTreeCtrl::getParent(HTREEITEM item) const {
  if (!valid(item)) return nullptr;
  wxTreeItemId parent = m_treeP->GetItemParent(idOf(item));
  if (!parent.IsOk() || parent == m_treeP->GetRootItem()) return nullptr;
  return itemOf(parent);
}

HTREEITEM DWxTreeCtrl::getSelection() const {
  if (!m_treeP) return nullptr;
  wxTreeItemId selection = m_treeP->GetSelection();
  return selection.IsOk() ? itemOf(selection) : nullptr;
}

bool DWxTreeCtrl::selectItem(HTREEITEM item) {
  if (!m_treeP) return false;
  if (!item) {
    m_treeP->UnselectAll();
    return true;
  }
  if (!valid(item)) return false;
  m_treeP->SelectItem(idOf(item));
  return true;
}

int DWxTreeCtrl::getImage(HTREEITEM item) const {
  return valid(item) ? std::max(m_treeP->GetItemImage(idOf(item)), 0) : 0;
}

int DWxTreeCtrl::getSelectedImage(HTREEITEM item) const {
  if (!valid(item)) return 0;
  return std::max(m_treeP->GetItemImage(idOf(item), wxTreeItemIcon_Selected), 0);
}

bool DWxTreeCtrl::setImage(HTREEITEM item, int image, int selectedImage) {
  if (!valid(item)) return false;
  m_treeP->SetItemImage(idOf(item), image, wxTreeItemIcon_Normal);
  m_treeP->SetItemImage(idOf(item), selectedImage, wxTreeItemIcon_Selected);
  return true;
}

int DWxTreeCtrl::getStateImage(HTREEITEM item) const {
  return valid(item) ? std::max(m_treeP->GetItemState(idOf(item)), 0) : 0;
}

bool DWxTreeCtrl::setStateImage(HTREEITEM item, int state) {
  if (!valid(item)) return false;
  m_treeP->SetItemState(idOf(item), state > 0 ? state : wxTREE_ITEMSTATE_NONE);
  return true;
}

std::string DWxTreeCtrl::getText(HTREEITEM item) const {
  return valid(item) ? m_treeP->GetItemText(idOf(item)).utf8_string() : std::string();
}

bool DWxTreeCtrl::setText(HTREEITEM item, const std::string& text) {
  if (!valid(item)) return false;
  m_treeP->SetItemText(idOf(item), wxString::FromUTF8(text));
  return true;
}

void* DWxTreeCtrl::getParam(HTREEITEM item) const {
  if (!valid(item)) return nullptr;
  auto* dataP = static_cast<ParamData*>(m_treeP->GetItemData(idOf(item)));
  return dataP ? dataP->m_paramP : nullptr;
}

bool DWxTreeCtrl::setHasChildren(HTREEITEM item, bool has) {
  if (!valid(item)) return false;
  m_treeP->SetItemHasChildren(idOf(item), has);
  return true;
}

bool DWxTreeCtrl::hasChildren(HTREEITEM item) const {
  return valid(item) && m_treeP->ItemHasChildren(idOf(item));
}

bool DWxTreeCtrl::isExpanded(HTREEITEM item) const {
  return valid(item) && m_treeP->IsExpanded(idOf(item));
}

bool DWxTreeCtrl::expandedOnce(HTREEITEM item) const {
  return valid(item) && m_expandedOnce.count(item) != 0;
}

bool DWxTreeCtrl::expand(HTREEITEM item, int code) {
  if (!valid(item)) return false;
  wxTreeItemId id = idOf(item);
  if (code != TVE_EXPAND && code != TVE_COLLAPSE && code != TVE_TOGGLE) return false;
  bool open = code == TVE_EXPAND || (code == TVE_TOGGLE && !m_treeP->IsExpanded(id));
  if (open && !m_treeP->ItemHasChildren(id)) return false;
  m_programExpand = true;
  if (open) {
    m_treeP->Expand(id);
  } else {
    m_treeP->Collapse(id);
  }
  m_programExpand = false;
  return m_treeP->IsExpanded(id) == open;
}

COLORREF DWxTreeCtrl::setTextColor(COLORREF color) {
  COLORREF previous = m_textColor;
  if (!m_treeP) return previous;
  m_textColor = color;
  if (color == CLR_DEFAULT) {
    m_treeP->SetForegroundColour(wxNullColour);
  } else {
    m_treeP->SetForegroundColour(wxColour(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  }
  m_treeP->Refresh();
  return previous;
}

int DWxTreeCtrl::installImageLists(int normalBitmapId, int stateBitmapId) {
  if (!m_treeP) return 1;
  std::unique_ptr<wxImageList> normal = zkui::resImageList(normalBitmapId, kPictureWidth);
  if (!normal) return 1;
  std::unique_ptr<wxImageList> state = zkui::resImageList(stateBitmapId, kPictureWidth);
  if (!state) return 2;
  m_treeP->AssignImageList(normal.release());
  m_treeP->AssignStateImageList(state.release());
  return 0;
}

void DWxTreeCtrl::show(bool shown) {
  if (m_treeP) m_treeP->Show(shown);
}

void DWxTreeCtrl::raise() {
  if (m_treeP) m_treeP->Raise();
}

wxTreeCtrl* dtvCreateWindow(DTreeView& view, wxWindow* parentP, const wxPoint& pos,
                            const wxSize& size, long styles) {
  long style = wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN;
  if (styles & DTV_HASBUTTONS) style |= wxTR_HAS_BUTTONS;
  if (!(styles & DTV_HASLINES)) style |= wxTR_NO_LINES;
  if (styles & DTV_LINESATROOT) style |= wxTR_LINES_AT_ROOT;
  auto* treeP = new wxTreeCtrl(parentP, wxID_ANY, pos, size, style);
  view.attachTreeCtrl(std::make_unique<DWxTreeCtrl>(treeP));
  return treeP;
}
