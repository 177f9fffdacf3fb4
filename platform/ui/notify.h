// Control notifications: what a control tells its owner when the user acts on it, in one
// record, in place of the system's notification messages. A Dialog receives those of its
// controls in onNotify (dialog.h); a window that is no dialog (a view with a tree) binds its
// control itself with bindNotifications. User-interface thread only.
//
// Kinds, and the controls that send them:
//   EditChanged    edit: the user changed its text (typing, pasting); not setItemText
//   EditLeft       edit: the focus left it (Tab, a click elsewhere)
//   ComboChanged   combo box: the user chose an entry (row = its index)
//   Click          tree, list view: left button released over it (item/row and hit below)
//   RightClick     tree, list view: right button released over it
//   DoubleClick    tree, list view, list box: double click (no Click for its second press)
//   ItemExpanding  tree: an item is about to expand (expand true) or collapse; onNotify
//                  returning true vetoes it
//   SelChanged     tree, list view, list box: the selection moved to item/row
//   SpinStep       spin (spin.h): an arrow stepped it; step is +1 or -1, the position has moved
//   DateTimeChanged date or time picker (datetime.h): the user changed its value
// Each gesture sends each of its kinds once. Buttons, check boxes and radio buttons keep
// Dialog::onCommand.
#pragma once

#include <wx/treebase.h>
#include <wx/window.h>

#include <functional>

namespace zkui {

enum class NotifyKind {
  EditChanged,
  EditLeft,
  ComboChanged,
  Click,
  RightClick,
  DoubleClick,
  ItemExpanding,
  SelChanged,
  SpinStep,
  DateTimeChanged,
};

// What lies under the pointer of a tree or list-view click.
enum class HitPart {
  Nowhere,  // below the last item, or no item
  Picture,  // the item's picture (a tree's check picture, a list row's picture)
  Label,    // the item's text
  Button,   // a tree item's expand button
  Row,      // elsewhere on the item's row (indent, right of the text, other columns)
};

struct Notification {
  int id = 0;
  NotifyKind kind = NotifyKind::Click;
  wxWindow* controlP = nullptr;
  wxTreeItemId item;  // tree: the item concerned
  long row = -1;      // list view, list box, combo box: the row concerned, -1 for none
  HitPart hit = HitPart::Nowhere;
  int step = 0;         // SpinStep: +1 or -1
  bool expand = false;  // ItemExpanding: true when expanding
};

// The receiver returns true to veto (ItemExpanding only); the value is ignored otherwise.
using NotifySink = std::function<bool(const Notification&)>;

// Sends the notifications of `controlP` (of a kind above) to `sink` as long as the control
// lives. Other kinds of window get nothing. A control is bound once.
void bindNotifications(wxWindow* controlP, NotifySink sink);

// The name of a kind ("EditChanged", ...), for messages of tests and traces.
const char* notifyKindName(NotifyKind kind);

// The layer's own controls (spin.h, datetime.h) keep the sink they were bound to.
class Notifier {
 public:
  virtual ~Notifier() = default;
  void setNotifySink(NotifySink sink) { m_sink = std::move(sink); }

 protected:
  bool notify(const Notification& n) const { return m_sink ? m_sink(n) : false; }

 private:
  NotifySink m_sink;
};

// Where a list view row's picture begins, from the left of its first column.
constexpr int kListPictureMargin = 5;

// Context help of a window that is no dialog (a tree view): F1 while it has the focus and a
// right click on it ask help() (help.h) for the topic `contextId` of the program's help file
// (HelpCommand::Context).
void bindContextHelp(wxWindow* windowP, unsigned long contextId);

// The window of a list view's rows, which gets the mouse and keys aimed at its rows; the list
// view itself for other windows.
wxWindow* rowWindow(wxWindow* listP);

// What lies at a point (client coordinates of the tree, or of a list view's row area).
HitPart treeHit(wxWindow* treeP, const wxPoint& pt, wxTreeItemId* itemP = nullptr);
HitPart listHit(wxWindow* listP, const wxPoint& pt, long* rowP = nullptr);

}  // namespace zkui
