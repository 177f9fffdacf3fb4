#include "dialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "controls.h"
#include "ddx.h"
#include "help.h"
#include "spin.h"

namespace zkui {

// Wires a dialog's window to its Dialog object. The handlers hold a shared cell with the
// object's address, which the object clears when it goes before its window does.
class DialogHost {
 public:
  using Cell = std::shared_ptr<Dialog*>;

  static void bind(Dialog& d, wxWindow* w) {
    Cell cell = std::make_shared<Dialog*>(&d);
    d.m_cell = cell;
    auto command = [cell](wxCommandEvent& e) {
      if (!*cell || !(*cell)->onCommand(e.GetId())) e.Skip();
    };
    w->Bind(wxEVT_BUTTON, command);
    w->Bind(wxEVT_CHECKBOX, command);
    w->Bind(wxEVT_RADIOBUTTON, command);
    w->Bind(wxEVT_CHAR_HOOK, [cell](wxKeyEvent& e) { key(cell, e); });
    w->Bind(wxEVT_CONTEXT_MENU, [cell](wxContextMenuEvent& e) {
      if (!*cell) return e.Skip();
      auto* source = dynamic_cast<wxWindow*>(e.GetEventObject());
      (*cell)->onContextMenu((*cell)->controlIdOf(source), e.GetPosition());
    });
    w->Bind(wxEVT_CLOSE_WINDOW, [cell](wxCloseEvent& e) {
      if (*cell && !(*cell)->onClose() && e.CanVeto()) e.Veto();
    });
    w->Bind(wxEVT_SIZE, [cell, w](wxSizeEvent& e) {
      e.Skip();
      if (*cell && e.GetEventObject() == w) {
        wxSize client = w->GetClientSize();
        (*cell)->onSize(client.x, client.y);
      }
    });
    w->Bind(wxEVT_DESTROY, [cell, w](wxWindowDestroyEvent& e) {
      e.Skip();
      if (*cell && e.GetEventObject() == w) (*cell)->windowGone();
    });
  }

  static void key(const Cell& cell, wxKeyEvent& e) {
    Dialog* d = *cell;
    if (!d) return e.Skip();
    if (e.GetKeyCode() == WXK_ESCAPE) return d->onCancel();
    if (e.GetKeyCode() == WXK_F1) return d->onHelpInfo(d->controlIdOf(wxWindow::FindFocus()));
    bool enter = e.GetKeyCode() == WXK_RETURN || e.GetKeyCode() == WXK_NUMPAD_ENTER;
    wxWindow* focus = wxWindow::FindFocus();
    auto* edit = dynamic_cast<wxTextCtrl*>(focus);
    bool keepsEnter = dynamic_cast<wxButton*>(focus) || (edit && edit->IsMultiLine());
    if (!enter || keepsEnter) return e.Skip();
    d->handleEnter();
  }
};

Dialog::Dialog(int templateId, wxWindow* parentP)
    : m_templateId(templateId), m_parentP(parentP), m_target(CallTarget::make()) {}

Dialog::~Dialog() {
  if (m_cell) *m_cell = nullptr;
  m_timers.clear();
  m_target->close();
  if (m_windowP) {
    wxWindow* w = m_windowP;
    m_windowP = nullptr;
    delete w;
  }
}

int Dialog::makeWindow() {
  m_bundle = currentResources();
  m_templateP = m_bundle ? m_bundle->dialog(m_templateId) : nullptr;
  if (!m_templateP) return kResNotFound;
  if (m_target->closed()) m_target = CallTarget::make();  // a dialog object made again
  const DialogTemplate& t = *m_templateP;
  bool page = (t.style & kDialogChild) && m_parentP && !m_modal;
  if (page) {
    m_windowP = new wxPanel(m_parentP, wxID_ANY, wxPoint(t.rect.x, t.rect.y),
                            wxSize(t.rect.width, t.rect.height), wxTAB_TRAVERSAL);
  } else {
    long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
    if (t.style & kDialogResizable) style |= wxRESIZE_BORDER;
    if (!m_parentP) style |= wxDIALOG_NO_PARENT;
    auto* dlg = new wxDialog(m_parentP, wxID_ANY, wxString::FromUTF8(t.caption), wxDefaultPosition,
                             wxDefaultSize, style);
    dlg->SetClientSize(t.rect.width, t.rect.height);
    dlg->CentreOnParent();
    m_windowP = dlg;
  }
  DialogHost::bind(*this, m_windowP);
  std::shared_ptr<Dialog*> cell = m_cell;
  auto sink = [cell](const Notification& n) { return *cell && (*cell)->onNotify(n); };
  wxWindow* previous = nullptr;
  for (const ControlTemplate& c : t.controls) {
    wxWindow* w = createControl(m_windowP, c, *m_bundle);
    if (!w) continue;
    bindNotifications(w, sink);
    auto* spin = dynamic_cast<SpinButton*>(w);
    if (spin && (c.style & kStyleAutoBuddy)) spin->setBuddy(previous);
    previous = w;
  }
  onInitDialog();
  return 0;
}

int Dialog::doModal() {
  m_modal = true;
  if (makeWindow() != 0) {
    m_modal = false;
    return kDialogFailed;
  }
  auto* dlg = static_cast<wxDialog*>(m_windowP);
  m_endCode = dlg->ShowModal();
  m_modal = false;
  if (m_windowP) {
    // Gone for the object first: its call target closes, so a worker that waits to reach the
    // dialog returns at once, and the destroy event finds nothing left to do.
    windowGone();
    delete dlg;  // a dialog may be deleted at once
  }
  return m_endCode;
}

int Dialog::create() {
  m_modal = false;
  int rc = makeWindow();
  if (rc != 0) return rc;
  if (!(m_templateP->style & kDialogChild) || !m_parentP) m_windowP->Show();
  return 0;
}

void Dialog::endDialog(int code) {
  m_endCode = code;
  if (!m_windowP) return;
  auto* dlg = dynamic_cast<wxDialog*>(m_windowP);
  if (m_modal && dlg && dlg->IsModal()) return dlg->EndModal(code);
  m_windowP->Hide();
}

void Dialog::destroyWindow() {
  if (!m_windowP) return;
  wxWindow* w = m_windowP;
  windowGone();
  w->Destroy();
}

void Dialog::windowGone() {
  if (!m_windowP) return;
  onDestroy();
  m_timers.clear();
  m_target->close();
  m_windowP = nullptr;
}

wxWindow* Dialog::control(int id) const {
  if (!m_windowP || id == wxID_ANY) return nullptr;
  return m_windowP->FindWindow(id);
}

bool Dialog::updateData(bool saveAndValidate) {
  if (!m_windowP) return false;
  DataExchange dx(*this, saveAndValidate);
  doDataExchange(dx);
  return !dx.failed();
}

void Dialog::setTimer(int id, int ms) {
  if (!m_windowP) return;
  auto timer = std::make_unique<wxTimer>();
  std::shared_ptr<Dialog*> cell = m_cell;
  timer->Bind(wxEVT_TIMER, [cell, id](wxTimerEvent&) {
    if (*cell) (*cell)->onTimer(id);
  });
  timer->Start(ms);
  m_timers[id] = std::move(timer);
}

void Dialog::killTimer(int id) {
  m_timers.erase(id);
}

std::string Dialog::itemText(int id) const {
  wxWindow* c = control(id);
  if (!c) return std::string();
  if (auto* edit = dynamic_cast<wxTextCtrl*>(c)) return edit->GetValue().utf8_string();
  return c->GetLabel().utf8_string();
}

void Dialog::setItemText(int id, const std::string& text) {
  wxWindow* c = control(id);
  if (!c) return;
  if (auto* edit = dynamic_cast<wxTextCtrl*>(c)) return edit->ChangeValue(wxString::FromUTF8(text));
  c->SetLabel(wxString::FromUTF8(text));
}

int Dialog::controlIdOf(wxWindow* windowP) const {
  while (windowP && windowP->GetParent() != m_windowP) windowP = windowP->GetParent();
  if (!windowP || windowP == m_windowP || windowP->GetId() < 0) return m_templateId;
  return windowP->GetId();
}

void Dialog::onHelpInfo(int controlId) {
  for (const auto& [id, context] : m_helpTable) {
    if (id == controlId) {
      help(HelpCall{helpFile(), HelpCommand::ContextPopup, context, std::string()});
      return;
    }
  }
}

void Dialog::onContextMenu(int controlId, const wxPoint&) {
  onHelpInfo(controlId);
}

bool Dialog::onNotify(const Notification&) {
  return false;
}

void Dialog::handleEnter() {
  int id = kIdOk;
  for (const ControlTemplate& c : m_templateP->controls) {
    if (c.kind == ControlKind::Button && (c.style & kStyleDefault)) id = c.id;
  }
  onCommand(id);
}

void Dialog::onInitDialog() {
  updateData(false);
}
void Dialog::doDataExchange(DataExchange&) {}

bool Dialog::onCommand(int id) {
  if (id == kIdOk) {
    onOK();
    return true;
  }
  if (id == kIdCancel) {
    onCancel();
    return true;
  }
  return false;
}

void Dialog::onOK() {
  if (updateData(true)) endDialog(kIdOk);
}

void Dialog::onCancel() {
  endDialog(kIdCancel);
}

bool Dialog::onClose() {
  onCancel();
  return true;
}

void Dialog::onTimer(int) {}
void Dialog::onSize(int, int) {}
void Dialog::onDestroy() {}

}  // namespace zkui
