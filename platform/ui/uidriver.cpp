#include "uidriver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/evtloop.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <set>
#include <thread>

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
