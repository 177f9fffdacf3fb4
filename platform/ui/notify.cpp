#include "notify.h"

#include <wx/combobox.h>
#include <wx/imaglist.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <memory>

#include "help.h"

namespace zkui {

namespace {

// Click state of one tree or list view: the release after a double click is no click.
struct Clicks {
  bool afterDouble = false;
};

bool send(const NotifySink& sink, Notification n) {
  return sink ? sink(n) : false;
}

Notification make(wxWindow* controlP, NotifyKind kind) {
  Notification n;
  n.id = controlP->GetId();
  n.kind = kind;
  n.controlP = controlP;
  return n;
}

void bindEdit(wxTextCtrl* edit, const NotifySink& sink) {
  // The text control of a combo box sends its own text events; those are no edit's.
  auto focused = std::make_shared<bool>(false);
  edit->Bind(wxEVT_TEXT, [edit, sink](wxCommandEvent& e) {
    e.Skip();
    if (e.GetEventObject() == edit) send(sink, make(edit, NotifyKind::EditChanged));
  });
  edit->Bind(wxEVT_SET_FOCUS, [focused](wxFocusEvent& e) {
    e.Skip();
    *focused = true;
  });
  // Only a focus that arrived leaves: the display may repeat a focus change the program made.
  edit->Bind(wxEVT_KILL_FOCUS, [edit, sink, focused](wxFocusEvent& e) {
    e.Skip();
    if (!*focused) return;
    *focused = false;
    send(sink, make(edit, NotifyKind::EditLeft));
  });
}

void bindCombo(wxComboBox* combo, const NotifySink& sink) {
  combo->Bind(wxEVT_COMBOBOX, [combo, sink](wxCommandEvent& e) {
    e.Skip();
    Notification n = make(combo, NotifyKind::ComboChanged);
    n.row = e.GetInt();
    send(sink, n);
  });
}

void bindListBox(wxListBox* list, const NotifySink& sink) {
  list->Bind(wxEVT_LISTBOX, [list, sink](wxCommandEvent& e) {
    e.Skip();
    Notification n = make(list, NotifyKind::SelChanged);
    n.row = e.GetInt();
    send(sink, n);
  });
  list->Bind(wxEVT_LISTBOX_DCLICK, [list, sink](wxCommandEvent& e) {
    e.Skip();
    Notification n = make(list, NotifyKind::DoubleClick);
    n.row = e.GetInt();
    send(sink, n);
  });
}

void bindTree(wxTreeCtrl* tree, const NotifySink& sink) {
  auto clicks = std::make_shared<Clicks>();
  auto at = [tree](NotifyKind kind, const wxPoint& pt) {
    Notification n = make(tree, kind);
    n.hit = treeHit(tree, pt, &n.item);
    return n;
  };
  tree->Bind(wxEVT_LEFT_UP, [tree, sink, clicks, at](wxMouseEvent& e) {
    e.Skip();
    if (std::exchange(clicks->afterDouble, false)) return;
    send(sink, at(NotifyKind::Click, e.GetPosition()));
    (void)tree;
  });
  tree->Bind(wxEVT_LEFT_DCLICK, [sink, clicks, at](wxMouseEvent& e) {
    e.Skip();
    clicks->afterDouble = true;
    send(sink, at(NotifyKind::DoubleClick, e.GetPosition()));
  });
  tree->Bind(wxEVT_RIGHT_UP, [sink, at](wxMouseEvent& e) {
    e.Skip();
    send(sink, at(NotifyKind::RightClick, e.GetPosition()));
  });
  auto expanding = [tree, sink](wxTreeEvent& e, bool expand) {
    Notification n = make(tree, NotifyKind::ItemExpanding);
    n.item = e.GetItem();
    n.expand = expand;
    if (send(sink, n)) return e.Veto();
    e.Skip();
  };
  tree->Bind(wxEVT_TREE_ITEM_EXPANDING, [expanding](wxTreeEvent& e) { expanding(e, true); });
  tree->Bind(wxEVT_TREE_ITEM_COLLAPSING, [expanding](wxTreeEvent& e) { expanding(e, false); });
  tree->Bind(wxEVT_TREE_SEL_CHANGED, [tree, sink](wxTreeEvent& e) {
    e.Skip();
    Notification n = make(tree, NotifyKind::SelChanged);
    n.item = e.GetItem();
    send(sink, n);
  });
}

void bindListView(wxListCtrl* list, const NotifySink& sink) {
  auto clicks = std::make_shared<Clicks>();
  wxWindow* rows = rowWindow(list);
  auto at = [list](NotifyKind kind, const wxPoint& pt) {
    Notification n = make(list, kind);
    n.hit = listHit(list, pt, &n.row);
    return n;
  };
  rows->Bind(wxEVT_LEFT_UP, [sink, clicks, at](wxMouseEvent& e) {
    e.Skip();
    if (std::exchange(clicks->afterDouble, false)) return;
    send(sink, at(NotifyKind::Click, e.GetPosition()));
  });
  rows->Bind(wxEVT_LEFT_DCLICK, [sink, clicks, at](wxMouseEvent& e) {
    e.Skip();
    clicks->afterDouble = true;
    send(sink, at(NotifyKind::DoubleClick, e.GetPosition()));
  });
  rows->Bind(wxEVT_RIGHT_UP, [sink, at](wxMouseEvent& e) {
    e.Skip();
    send(sink, at(NotifyKind::RightClick, e.GetPosition()));
  });
  list->Bind(wxEVT_LIST_ITEM_SELECTED, [list, sink](wxListEvent& e) {
    e.Skip();
    Notification n = make(list, NotifyKind::SelChanged);
    n.row = e.GetIndex();
    send(sink, n);
  });
}

}  // namespace

// The toolkit's list view is a header window above a row window; the row window is the taller.
wxWindow* rowWindow(wxWindow* listP) {
  wxWindow* rows = listP;
  for (wxWindow* child : listP->GetChildren()) {
    if (rows == listP || child->GetSize().y > rows->GetSize().y) rows = child;
  }
  return rows;
}

void bindNotifications(wxWindow* controlP, NotifySink sink) {
  if (auto* edit = dynamic_cast<wxTextCtrl*>(controlP)) return bindEdit(edit, sink);
  if (auto* combo = dynamic_cast<wxComboBox*>(controlP)) return bindCombo(combo, sink);
  if (auto* list = dynamic_cast<wxListBox*>(controlP)) return bindListBox(list, sink);
  if (auto* tree = dynamic_cast<wxTreeCtrl*>(controlP)) return bindTree(tree, sink);
  if (auto* view = dynamic_cast<wxListCtrl*>(controlP)) return bindListView(view, sink);
  // The layer's own controls (spin, pickers) send through the sink they keep.
  if (auto* own = dynamic_cast<Notifier*>(controlP)) own->setNotifySink(std::move(sink));
}

void bindContextHelp(wxWindow* windowP, unsigned long contextId) {
  auto ask = [contextId] { help(HelpCall{helpFile(), HelpCommand::Context, contextId, {}}); };
  windowP->Bind(wxEVT_CHAR_HOOK, [ask](wxKeyEvent& e) {
    if (e.GetKeyCode() != WXK_F1) return e.Skip();
    ask();
  });
  windowP->Bind(wxEVT_CONTEXT_MENU, [ask](wxContextMenuEvent&) { ask(); });
}

const char* notifyKindName(NotifyKind kind) {
  static const char* const names[] = {
      "EditChanged", "EditLeft",      "ComboChanged", "Click",    "RightClick",
      "DoubleClick", "ItemExpanding", "SelChanged",   "SpinStep", "DateTimeChanged",
  };
  return names[static_cast<int>(kind)];
}

HitPart treeHit(wxWindow* treeP, const wxPoint& pt, wxTreeItemId* itemP) {
  auto* tree = dynamic_cast<wxTreeCtrl*>(treeP);
  if (!tree) return HitPart::Nowhere;
  int flags = 0;
  wxTreeItemId item = tree->HitTest(pt, flags);
  if (itemP) *itemP = item;
  if (!item.IsOk()) return HitPart::Nowhere;
  if (flags & (wxTREE_HITTEST_ONITEMICON | wxTREE_HITTEST_ONITEMSTATEICON)) return HitPart::Picture;
  if (flags & wxTREE_HITTEST_ONITEMLABEL) return HitPart::Label;
  if (flags & wxTREE_HITTEST_ONITEMBUTTON) return HitPart::Button;
  return HitPart::Row;
}

// The row's picture is drawn at the start of the first column, a small margin in; the toolkit's
// own hit test does not tell it apart in the report view.
HitPart listHit(wxWindow* listP, const wxPoint& pt, long* rowP) {
  auto* list = dynamic_cast<wxListCtrl*>(listP);
  if (rowP) *rowP = -1;
  if (!list) return HitPart::Nowhere;
  int flags = 0;
  long row = list->HitTest(pt, flags);
  if (row < 0) return HitPart::Nowhere;
  if (rowP) *rowP = row;
  wxPoint unscrolled = pt;
  if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(rowWindow(list))) {
    unscrolled = scrolled->CalcUnscrolledPosition(pt);
  }
  int firstWidth = list->GetColumnCount() > 0 ? list->GetColumnWidth(0) : 0;
  wxListItem item;
  item.SetId(row);
  item.SetMask(wxLIST_MASK_IMAGE);
  bool hasPicture = list->GetItem(item) && item.GetImage() >= 0;
  int pictureWidth = 0, pictureHeight = 0;
  if (hasPicture && list->GetImageList(wxIMAGE_LIST_SMALL)) {
    list->GetImageList(wxIMAGE_LIST_SMALL)->GetSize(0, pictureWidth, pictureHeight);
  }
  if (hasPicture && unscrolled.x < kListPictureMargin + pictureWidth + 2) return HitPart::Picture;
  if (unscrolled.x < firstWidth) return HitPart::Label;
  return HitPart::Row;
}

}  // namespace zkui
