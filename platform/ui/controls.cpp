#include "controls.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>
#include <wx/valtext.h>

#include "datetime.h"
#include "spin.h"
#include "tabstrip.h"
#include "uiimage.h"

namespace zkui {
namespace {

struct Made {
  wxWindow* parentP;
  const ControlTemplate& c;
  const ResourceBundle& bundle;
  wxWindowID id() const { return c.id; }
  wxPoint pos() const { return wxPoint(c.rect.x, c.rect.y); }
  wxSize size() const { return wxSize(c.rect.width, c.rect.height); }
  wxString text() const { return wxString::FromUTF8(c.text); }
  bool has(uint32_t bit) const { return (c.style & bit) != 0; }
  long border() const { return has(kStyleBorder) ? wxBORDER_SUNKEN : 0; }
};

long alignment(const Made& m, long centre, long right) {
  if (m.has(kStyleCenter)) return centre;
  if (m.has(kStyleRight)) return right;
  return 0;
}

wxWindow* makeStatic(const Made& m) {
  long style = alignment(m, wxALIGN_CENTRE_HORIZONTAL, wxALIGN_RIGHT) | wxST_NO_AUTORESIZE;
  return new wxStaticText(m.parentP, m.id(), m.text(), m.pos(), m.size(), style | m.border());
}

wxWindow* makeEdit(const Made& m) {
  long style = alignment(m, wxTE_CENTRE, wxTE_RIGHT);
  if (m.has(kStyleMultiline)) style |= wxTE_MULTILINE;
  if (m.has(kStylePassword)) style |= wxTE_PASSWORD;
  if (m.has(kStyleReadOnly)) style |= wxTE_READONLY;
  auto* edit = new wxTextCtrl(m.parentP, m.id(), m.text(), m.pos(), m.size(), style);
  if (m.has(kStyleNumber)) edit->SetValidator(wxTextValidator(wxFILTER_DIGITS));
  return edit;
}

wxWindow* makeButton(const Made& m) {
  auto* button = new wxButton(m.parentP, m.id(), m.text(), m.pos(), m.size());
  if (m.has(kStyleDefault)) button->SetDefault();
  return button;
}

wxWindow* makeCheck(const Made& m) {
  return new wxCheckBox(m.parentP, m.id(), m.text(), m.pos(), m.size());
}

wxWindow* makeRadio(const Made& m) {
  long style = m.has(kStyleGroup) ? wxRB_GROUP : 0;
  return new wxRadioButton(m.parentP, m.id(), m.text(), m.pos(), m.size(), style);
}

wxWindow* makeGroup(const Made& m) {
  return new wxStaticBox(m.parentP, m.id(), m.text(), m.pos(), m.size());
}

wxWindow* makeCombo(const Made& m) {
  long style = m.has(kStyleSort) ? wxCB_SORT : 0;
  if (m.has(kStyleDropList)) style |= wxCB_READONLY;
  return new wxComboBox(m.parentP, m.id(), wxString(), m.pos(), m.size(), 0, nullptr, style);
}

wxWindow* makeList(const Made& m) {
  long style = (m.has(kStyleSort) ? wxLB_SORT : 0) | wxBORDER_SUNKEN;
  return new wxListBox(m.parentP, m.id(), m.pos(), m.size(), 0, nullptr, style);
}

wxWindow* makeListView(const Made& m) {
  long style = wxLC_REPORT | wxBORDER_SUNKEN | (m.has(kStyleSingle) ? wxLC_SINGLE_SEL : 0);
  return new wxListCtrl(m.parentP, m.id(), m.pos(), m.size(), style);
}

wxWindow* makeTree(const Made& m) {
  long style = wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxBORDER_SUNKEN;
  return new wxTreeCtrl(m.parentP, m.id(), m.pos(), m.size(), style);
}

wxWindow* makeTab(const Made& m) {
  return new TabStrip(m.parentP, m.id(), m.pos(), m.size());
}

wxWindow* makeProgress(const Made& m) {
  return new wxGauge(m.parentP, m.id(), 100, m.pos(), m.size());
}

wxWindow* makeSpin(const Made& m) {
  return new SpinButton(m.parentP, m.id(), m.pos(), m.size());
}

wxWindow* makePicture(const Made& m) {
  int imageId = std::atoi(m.c.text.c_str());
  wxBitmap bitmap = bundleBitmap(m.bundle, imageId, true);
  return new wxStaticBitmap(m.parentP, m.id(), bitmap.IsOk() ? bitmap : wxNullBitmap, m.pos(),
                            m.size());
}

wxWindow* makeDate(const Made& m) {
  return new DateTimePicker(m.parentP, m.id(), m.pos(), m.size(), DateTimePicker::Kind::Date);
}

wxWindow* makeTime(const Made& m) {
  return new DateTimePicker(m.parentP, m.id(), m.pos(), m.size(), DateTimePicker::Kind::Time);
}

using Maker = wxWindow* (*)(const Made&);
struct KindMaker {
  ControlKind kind;
  Maker make;
};
const KindMaker kMakers[] = {
    {ControlKind::Static, makeStatic},     {ControlKind::Edit, makeEdit},
    {ControlKind::Button, makeButton},     {ControlKind::Check, makeCheck},
    {ControlKind::Radio, makeRadio},       {ControlKind::Group, makeGroup},
    {ControlKind::Combo, makeCombo},       {ControlKind::List, makeList},
    {ControlKind::ListView, makeListView}, {ControlKind::Tree, makeTree},
    {ControlKind::Tab, makeTab},           {ControlKind::Progress, makeProgress},
    {ControlKind::Spin, makeSpin},         {ControlKind::Picture, makePicture},
    {ControlKind::Date, makeDate},         {ControlKind::Time, makeTime},
};

}  // namespace

wxWindow* createControl(wxWindow* parentP, const ControlTemplate& c, const ResourceBundle& bundle) {
  Made m{parentP, c, bundle};
  wxWindow* w = nullptr;
  for (const KindMaker& k : kMakers) {
    if (k.kind == c.kind) w = k.make(m);
  }
  if (!w) return nullptr;
  if (m.has(kStyleDisabled)) w->Disable();
  if (m.has(kStyleHidden)) w->Hide();
  return w;
}

}  // namespace zkui
