// Makes one control of a dialog template as a wxWidgets window with the template's id,
// rectangle (in the parent's client coordinates), text and styles. Tab controls are TabStrips
// (tabstrip.h); a picture shows the bundle's image whose id its text gives, magenta masked.
// User-interface thread; the parent owns the control.
#pragma once

#include <wx/window.h>

#include "resbundle.h"

namespace zkui {

wxWindow* createControl(wxWindow* parentP, const ControlTemplate& c, const ResourceBundle& bundle);

}  // namespace zkui
