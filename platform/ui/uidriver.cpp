#include "uidriver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

#include "datetime.h"
#include "menus.h"
#include "spin.h"

namespace zkui::drive {

namespace {

wxWindow* findUnder(wxWindow* w, int id) {
  if (w->GetId() == id) return w;
  for (wxWindow* child : w->GetChildren()) {
    if (wxWindow* found = findUnder(child, id)) return found;
  }
  return nullptr;
}

void send(wxWindow* controlP, wxEventType type, int value) {
  wxCommandEvent e(type, controlP->GetId());
  e.SetEventObject(controlP);
  e.SetInt(value);
  controlP->GetEventHandler()->ProcessEvent(e);
}

// Polls for a modal dialog that was not up when it was made, then runs the script once.
class ModalWatch : public wxTimer {
 public:
  explicit ModalWatch(std::function<void(wxDialog&)> script) : m_script(std::move(script)) {
    for (wxWindow* w : wxTopLevelWindows) m_before.insert(w);
    Start(20);
  }
  void Notify() override {
    wxDialog* d = activeModal();
    if (!d || m_before.count(d) || !d->IsShownOnScreen()) return;
    Stop();
    auto script = std::move(m_script);
    // The watch goes before the script runs: the script may end the loop that owns the timer.
    wxTheApp->CallAfter([this] { delete this; });
    script(*d);
  }

 private:
  std::function<void(wxDialog&)> m_script;
  std::set<wxWindow*> m_before;
};

void sendMouse(wxWindow* w, wxEventType type, const wxPoint& pt) {
  wxMouseEvent e(type);
  e.SetEventObject(w);
  e.SetId(w->GetId());
  e.SetPosition(pt);
  e.m_leftDown = type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK;
  e.m_rightDown = type == wxEVT_RIGHT_DOWN;
  w->GetEventHandler()->ProcessEvent(e);
}

bool sendKey(wxWindow* w, wxEventType type, int keyCode, int modifiers) {
  wxKeyEvent e(type);
  e.SetEventObject(w);
  e.SetId(w->GetId());
  e.m_keyCode = keyCode;
  e.m_uniChar = keyCode < WXK_START ? static_cast<wxChar>(keyCode) : wxChar(WXK_NONE);
  e.m_altDown = (modifiers & kKeyAlt) != 0;
  e.m_controlDown = (modifiers & kKeyCtrl) != 0;
  e.m_shiftDown = (modifiers & kKeyShift) != 0;
  return w->GetEventHandler()->ProcessEvent(e);
}

// The window that gets a control's keys and mouse events: a list view's row window.
wxWindow* inputWindow(wxWindow* w) {
  return dynamic_cast<wxListCtrl*>(w) ? rowWindow(w) : w;
}

// The middle of the run of x positions on a row (y) where `is` holds; false when none.
bool findOnRow(const wxRect& row, const std::function<bool(const wxPoint&)>& is, wxPoint& out) {
  int y = row.y + row.height / 2, first = -1, last = -1;
  for (int x = row.x; x < row.GetRight(); ++x) {
    if (!is(wxPoint(x, y))) {
      if (first >= 0) break;
      continue;
    }
    if (first < 0) first = x;
    last = x;
  }
  if (first < 0) return false;
  out = wxPoint((first + last) / 2, y);
  return true;
}

}  // namespace

wxWindow* find(int id, wxWindow* withinP) {
  if (withinP) return findUnder(withinP, id);
  for (auto it = wxTopLevelWindows.rbegin(); it != wxTopLevelWindows.rend(); ++it) {
    if (!(*it)->IsShown()) continue;
    if (wxWindow* found = findUnder(*it, id)) return found;
  }
  return nullptr;
}

bool click(wxWindow* controlP) {
  if (!controlP || !controlP->IsEnabled()) return false;
  if (dynamic_cast<wxButton*>(controlP)) {
    send(controlP, wxEVT_BUTTON, 0);
    return true;
  }
  if (auto* box = dynamic_cast<wxCheckBox*>(controlP)) {
    box->SetValue(!box->GetValue());
    send(controlP, wxEVT_CHECKBOX, box->GetValue() ? 1 : 0);
    return true;
  }
  if (auto* radio = dynamic_cast<wxRadioButton*>(controlP)) {
    radio->SetValue(true);
    send(controlP, wxEVT_RADIOBUTTON, 1);
    return true;
  }
  return false;
}

bool click(int id, wxWindow* withinP) {
  return click(find(id, withinP));
}

bool type(wxWindow* controlP, const std::string& text) {
  if (auto* picker = dynamic_cast<DateTimePicker*>(controlP)) controlP = picker->edit();
  auto* edit = dynamic_cast<wxTextCtrl*>(controlP);
  if (!edit || !edit->IsEnabled() || !edit->IsEditable()) return false;
  edit->SetFocus();
  edit->SetValue(wxString::FromUTF8(text));  // sends the change event
  return true;
}

bool type(int id, const std::string& text, wxWindow* withinP) {
  return type(find(id, withinP), text);
}

std::string text(wxWindow* controlP) {
  if (!controlP) return std::string();
  if (auto* picker = dynamic_cast<DateTimePicker*>(controlP)) controlP = picker->edit();
  if (auto* edit = dynamic_cast<wxTextCtrl*>(controlP)) return edit->GetValue().utf8_string();
  return controlP->GetLabel().utf8_string();
}

int checked(wxWindow* controlP) {
  if (auto* box = dynamic_cast<wxCheckBox*>(controlP)) {
    return box->Is3State() ? static_cast<int>(box->Get3StateValue()) : box->GetValue();
  }
  if (auto* radio = dynamic_cast<wxRadioButton*>(controlP)) return radio->GetValue() ? 1 : 0;
  return -1;
}

bool key(int keyCode, int modifiers, wxWindow* targetP) {
  wxWindow* target = targetP ? targetP : wxWindow::FindFocus();
  if (!target) target = activeModal();
  if (!target) target = wxTheApp->GetTopWindow();
  if (!target) return false;
  if ((modifiers & kKeyAlt) && keyCode == WXK_F4) return close(target);
  target = inputWindow(target);
  if (sendKey(target, wxEVT_CHAR_HOOK, keyCode, modifiers)) return true;
  if (keyCode == WXK_TAB) {
    wxWindow* from = wxWindow::FindFocus();
    bool back = (modifiers & kKeyShift) != 0;
    target->Navigate(back ? wxNavigationKeyEvent::IsBackward : wxNavigationKeyEvent::IsForward);
    pumpUntil([from] { return wxWindow::FindFocus() != from; }, 1000);
    return true;
  }
  if (!sendKey(target, wxEVT_KEY_DOWN, keyCode, modifiers)) {
    sendKey(target, wxEVT_CHAR, keyCode, modifiers);
  }
  sendKey(target, wxEVT_KEY_UP, keyCode, modifiers);
  return true;
}

// Whether the focus is on the window, inside it, or on the list view it is the row window of.
static bool hasFocus(wxWindow* w) {
  wxWindow* f = wxWindow::FindFocus();
  if (!f) return false;
  return f == w || w->IsDescendant(f) || (dynamic_cast<wxListCtrl*>(f) && f->IsDescendant(w));
}

bool focus(wxWindow* controlP) {
  if (!controlP) return false;
  wxWindow* target = inputWindow(controlP);
  target->SetFocus();
  return pumpUntil([target] { return hasFocus(target); }, 1000);
}

bool close(wxWindow* windowP) {
  if (!windowP) return false;
  wxGetTopLevelParent(windowP)->Close();
  return true;
}

bool menu(wxWindow* windowP, int id) {
  if (!windowP) return false;
  auto* frame = dynamic_cast<wxFrame*>(wxGetTopLevelParent(windowP));
  wxWindow* receiver = windowP;
  if (frame && frame->GetMenuBar()) {
    wxMenuItem* item = frame->GetMenuBar()->FindItem(menuItemId(id));
    if (!item || !item->IsEnabled()) return false;
    if (item->IsCheckable()) item->Check(!item->IsChecked());
    receiver = frame;
  }
  wxCommandEvent e(wxEVT_MENU, menuItemId(id));
  e.SetEventObject(receiver);
  receiver->GetEventHandler()->ProcessEvent(e);
  return true;
}

bool choose(wxWindow* comboP, const std::string& entry) {
  auto* combo = dynamic_cast<wxComboBox*>(comboP);
  if (!combo) return false;
  int index = combo->FindString(wxString::FromUTF8(entry), true);
  return index != wxNOT_FOUND && choose(comboP, index);
}

bool choose(wxWindow* comboP, int index) {
  auto* combo = dynamic_cast<wxComboBox*>(comboP);
  if (!combo || !combo->IsEnabled() || index < 0 || index >= static_cast<int>(combo->GetCount())) {
    return false;
  }
  focus(combo);  // the click that opens the list
  combo->SetSelection(index);
  wxCommandEvent e(wxEVT_COMBOBOX, combo->GetId());
  e.SetEventObject(combo);
  e.SetInt(index);
  e.SetString(combo->GetString(index));
  combo->GetEventHandler()->ProcessEvent(e);
  return true;
}

bool spin(wxWindow* spinP, int delta) {
  if (auto* picker = dynamic_cast<DateTimePicker*>(spinP)) spinP = picker->spin();
  auto* spinner = dynamic_cast<SpinButton*>(spinP);
  if (!spinner || !spinner->IsEnabled()) return false;
  wxSize size = spinner->GetClientSize();
  wxPoint arrow(size.x / 2, delta > 0 ? size.y / 4 : size.y * 3 / 4);
  for (int i = 0; i < std::abs(delta); ++i) mouseAt(spinner, arrow, Mouse::Left);
  return true;
}

void mouseAt(wxWindow* windowP, const wxPoint& pt, Mouse how) {
  // A press gives the window the focus before anything else happens.
  if (windowP->AcceptsFocus() && !hasFocus(windowP)) focus(windowP);
  if (how == Mouse::Right) {
    sendMouse(windowP, wxEVT_RIGHT_DOWN, pt);
    sendMouse(windowP, wxEVT_RIGHT_UP, pt);
    // The display sends the context menu request after the press went unhandled.
    wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, windowP->GetId(), windowP->ClientToScreen(pt));
    menu.SetEventObject(windowP);
    windowP->GetEventHandler()->ProcessEvent(menu);
    return;
  }
  sendMouse(windowP, wxEVT_LEFT_DOWN, pt);
  sendMouse(windowP, wxEVT_LEFT_UP, pt);
  if (how != Mouse::Double) return;
  sendMouse(windowP, wxEVT_LEFT_DCLICK, pt);
  sendMouse(windowP, wxEVT_LEFT_UP, pt);
}

std::vector<std::string> childTexts(wxWindow* treeP, const wxTreeItemId& item) {
  std::vector<std::string> texts;
  auto* tree = dynamic_cast<wxTreeCtrl*>(treeP);
  if (!tree || !item.IsOk()) return texts;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk();
       c = tree->GetNextChild(item, cookie)) {
    texts.push_back(tree->GetItemText(c).utf8_string());
  }
  return texts;
}

wxTreeItemId treeItem(wxWindow* treeP, const std::vector<std::string>& path) {
  auto* tree = dynamic_cast<wxTreeCtrl*>(treeP);
  if (!tree || path.empty() || !tree->GetRootItem().IsOk()) return wxTreeItemId();
  std::vector<wxTreeItemId> level;
  wxTreeItemId root = tree->GetRootItem();
  auto children = [tree](const wxTreeItemId& parent) {
    std::vector<wxTreeItemId> out;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk();
         c = tree->GetNextChild(parent, cookie)) {
      out.push_back(c);
    }
    return out;
  };
  level = tree->HasFlag(wxTR_HIDE_ROOT) ? children(root) : std::vector<wxTreeItemId>{root};
  wxTreeItemId found;
  for (const std::string& text : path) {
    found = wxTreeItemId();
    for (const wxTreeItemId& item : level) {
      if (tree->GetItemText(item).utf8_string() == text) found = item;
    }
    if (!found.IsOk()) return found;
    level = children(found);
  }
  return found;
}

bool clickItem(wxWindow* treeP, const wxTreeItemId& item, HitPart part, Mouse how) {
  auto* tree = dynamic_cast<wxTreeCtrl*>(treeP);
  if (!tree || !item.IsOk()) return false;
  tree->EnsureVisible(item);
  pump(20);  // the tree lays its items out when idle
  wxRect row;
  if (!tree->GetBoundingRect(item, row, false)) return false;
  row.SetLeft(0);
  row.SetRight(tree->GetClientSize().x - 1);
  wxPoint pt;
  auto is = [tree, &item, part](const wxPoint& p) {
    wxTreeItemId at;
    return treeHit(tree, p, &at) == part && at == item;
  };
  if (!findOnRow(row, is, pt)) return false;
  mouseAt(tree, pt, how);
  return true;
}

bool expand(wxWindow* treeP, const wxTreeItemId& item) {
  auto* tree = dynamic_cast<wxTreeCtrl*>(treeP);
  if (!tree || !item.IsOk()) return false;
  if (tree->IsExpanded(item)) return true;
  return clickItem(tree, item, HitPart::Button) && tree->IsExpanded(item);
}

// A list box's row: its selection event, and for a double click its double-click event.
bool clickListBoxRow(wxListBox* box, long row, Mouse how) {
  if (!box->IsEnabled() || row < 0 || row >= static_cast<long>(box->GetCount())) return false;
  bool moved = box->GetSelection() != row;
  box->SetSelection(static_cast<int>(row));
  auto send = [box, row](wxEventType type) {
    wxCommandEvent e(type, box->GetId());
    e.SetEventObject(box);
    e.SetInt(static_cast<int>(row));
    e.SetString(box->GetString(static_cast<unsigned>(row)));
    box->GetEventHandler()->ProcessEvent(e);
  };
  if (moved && how != Mouse::Right) send(wxEVT_LISTBOX);
  if (how == Mouse::Double) send(wxEVT_LISTBOX_DCLICK);
  // The focus comes after the row is chosen: a list box that gets the focus with no row chosen
  // chooses its first one itself.
  focus(box);
  return true;
}

bool clickRow(wxWindow* listP, long row, HitPart part, Mouse how) {
  if (auto* box = dynamic_cast<wxListBox*>(listP)) return clickListBoxRow(box, row, how);
  auto* list = dynamic_cast<wxListCtrl*>(listP);
  if (!list || row < 0 || row >= list->GetItemCount()) return false;
  list->EnsureVisible(row);
  pump(20);
  wxRect rect;
  if (!list->GetItemRect(row, rect, wxLIST_RECT_BOUNDS)) return false;
  wxWindow* rows = inputWindow(list);
  rect.SetPosition(rows->ScreenToClient(list->ClientToScreen(rect.GetPosition())));
  wxPoint pt;
  auto is = [list, row, part](const wxPoint& p) {
    long at = -1;
    return listHit(list, p, &at) == part && at == row;
  };
  if (!findOnRow(rect, is, pt)) return false;
  mouseAt(rows, pt, how);
  return true;
}

void pump(int ms) {
  pumpUntil([] { return false; }, ms);
}

bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_ptr<wxEventLoopBase> ownLoop;
  if (!wxEventLoopBase::GetActive()) ownLoop.reset(wxTheApp->GetTraits()->CreateEventLoop());
  wxEventLoopActivator activate(ownLoop ? ownLoop.get() : wxEventLoopBase::GetActive());
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    while (loop->Pending()) loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

wxDialog* activeModal() {
  wxDialog* found = nullptr;
  for (wxWindow* w : wxTopLevelWindows) {
    auto* d = dynamic_cast<wxDialog*>(w);
    if (d && d->IsModal()) found = d;
  }
  return found;
}

void whenModal(const std::function<void(wxDialog&)>& script) {
  new ModalWatch(script);
}

// The X server's own picture of the screen: reading it back through the toolkit's screen
// device context gives what was painted first, not what is shown now.
int screenshot(wxWindow* windowP, const std::string& pngPath) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  Window root = DefaultRootWindow(display);
  XWindowAttributes rootAttr;
  XGetWindowAttributes(display, root, &rootAttr);
  wxRect area = windowP ? windowP->GetScreenRect() : wxRect(0, 0, rootAttr.width, rootAttr.height);
  area.Intersect(wxRect(0, 0, rootAttr.width, rootAttr.height));
  XImage* shot = area.IsEmpty() ? nullptr
                                : XGetImage(display, root, area.x, area.y, area.width, area.height,
                                            AllPlanes, ZPixmap);
  if (!shot) {
    XCloseDisplay(display);
    return 1;
  }
  wxImage image(area.width, area.height);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      unsigned long p = XGetPixel(shot, x, y);
      image.SetRGB(x, y, (p & shot->red_mask) >> 16, (p & shot->green_mask) >> 8,
                   p & shot->blue_mask);
    }
  }
  XDestroyImage(shot);
  XCloseDisplay(display);
  return image.SaveFile(wxString::FromUTF8(pngPath), wxBITMAP_TYPE_PNG) ? 0 : 1;
}

}  // namespace zkui::drive
