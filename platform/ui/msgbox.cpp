#include "msgbox.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <mutex>
#include <vector>

#include "uiapp.h"

namespace zkui {

namespace {

std::mutex gHookMutex;
MessageBoxHook gHook;  // guarded by gHookMutex

struct ButtonSet {
  unsigned style;
  std::vector<std::pair<int, const char*>> buttons;  // id and label, left to right
  int escapeId;                                      // the answer of Escape and the close box
};
const ButtonSet kButtonSets[] = {
    {kMbOk, {{kIdBoxOk, "OK"}}, kIdBoxOk},
    {kMbOkCancel, {{kIdBoxOk, "OK"}, {kIdBoxCancel, "Cancel"}}, kIdBoxCancel},
    {kMbAbortRetryIgnore,
     {{kIdAbort, "&Abort"}, {kIdRetry, "&Retry"}, {kIdIgnore, "&Ignore"}},
     kIdIgnore},
    {kMbYesNoCancel, {{kIdYes, "&Yes"}, {kIdNo, "&No"}, {kIdBoxCancel, "Cancel"}}, kIdBoxCancel},
    {kMbYesNo, {{kIdYes, "&Yes"}, {kIdNo, "&No"}}, kIdNo},
    {kMbRetryCancel, {{kIdRetry, "&Retry"}, {kIdBoxCancel, "Cancel"}}, kIdBoxCancel},
};

const ButtonSet& buttonsOf(unsigned style) {
  for (const ButtonSet& set : kButtonSets) {
    if (set.style == (style & 0xF)) return set;
  }
  return kButtonSets[0];
}

wxArtID iconOf(unsigned style) {
  switch (style & 0xF0) {
    case kMbIconStop:
      return wxART_ERROR;
    case kMbIconQuestion:
      return wxART_QUESTION;
    case kMbIconExclamation:
      return wxART_WARNING;
    case kMbIconInformation:
      return wxART_INFORMATION;
  }
  return wxArtID();
}

int showBox(const MessageBoxRequest& r) {
  const ButtonSet& set = buttonsOf(r.style);
  long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | (r.ownerP ? 0 : wxDIALOG_NO_PARENT);
  wxDialog box(r.ownerP, wxID_ANY, wxString::FromUTF8(r.caption), wxDefaultPosition, wxDefaultSize,
               style);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  wxArtID icon = iconOf(r.style);
  if (!icon.empty()) {
    row->Add(new wxStaticBitmap(&box, wxID_ANY, wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)),
             0, wxALL, 10);
  }
  auto* text = new wxStaticText(&box, wxID_ANY, wxString::FromUTF8(r.text));
  text->Wrap(420);
  row->Add(text, 1, wxALL | wxALIGN_CENTRE_VERTICAL, 10);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  for (const auto& [id, label] : set.buttons) {
    auto* b = new wxButton(&box, id, label);
    b->Bind(wxEVT_BUTTON, [&box, id = id](wxCommandEvent&) { box.EndModal(id); });
    buttons->Add(b, 0, wxALL, 4);
    if (id == set.buttons.front().first) b->SetDefault();
  }
  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(row, 1, wxEXPAND);
  all->Add(buttons, 0, wxALIGN_CENTRE | wxBOTTOM, 6);
  box.SetSizerAndFit(all);
  box.CentreOnScreen();
  box.SetEscapeId(set.escapeId);
  box.Bind(wxEVT_CLOSE_WINDOW, [&box, &set](wxCloseEvent&) { box.EndModal(set.escapeId); });
  box.Bind(wxEVT_CHAR_HOOK, [&box, &set](wxKeyEvent& e) {
    if (e.GetKeyCode() != WXK_ESCAPE) return e.Skip();
    box.EndModal(set.escapeId);
  });
  return box.ShowModal();
}

}  // namespace

MessageBoxHook setMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  std::swap(gHook, hook);
  return hook;
}

int messageBox(wxWindow* ownerP, const std::string& text, const std::string& caption,
               unsigned style) {
  MessageBoxRequest request{ownerP, text, caption, style};
  MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    hook = gHook;
  }
  if (hook) return hook(request);
  if (isUiThread()) return showBox(request);
  int answer = 0;
  callOnUiThread(appCallTarget(), [&] { answer = showBox(request); });
  return answer;
}

}  // namespace zkui
