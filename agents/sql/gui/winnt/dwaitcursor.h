// The wait cursor while a query runs on the user-interface thread (none without the windowing
// layer's application, as in the tests without windows).
#pragma once

#include <wx/app.h>
#include <wx/utils.h>

class DWaitCursor {
 public:
  DWaitCursor() : m_shown(wxTheApp != nullptr) {
    if (m_shown) wxBeginBusyCursor();
  }
  ~DWaitCursor() {
    if (m_shown) wxEndBusyCursor();
  }
  DWaitCursor(const DWaitCursor&) = delete;
  DWaitCursor& operator=(const DWaitCursor&) = delete;

 private:
  bool m_shown;
};
