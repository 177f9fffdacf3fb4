#include "dsqlinfo.h"

#include <wx/display.h>

#include "dpagechild.h"

void DSqlInfo::onInitDialog() {
  DFciDialog::onInitDialog();
  m_rows = sqlInfoRows(querySqlInfo(), messageText(DSQLINFO_MSG_UNKNOWN_NAME));
  int height = window()->GetSize().GetHeight();
  int screenHeight = wxDisplay(window()).GetGeometry().GetHeight();
  m_heightLimit = screenHeight < height ? screenHeight - 5 : height;
  window()->SetSizeHints(window()->GetMinWidth(), m_heightLimit, -1, m_heightLimit);
  for (const DSqlInfoRow& row : m_rows) {
    setItemText(row.valueId, row.text);
    enableItem(row.valueId, row.enabled);
    enableItem(row.labelId, row.enabled);
  }
}

void DSqlInfo::onSize(int width, int height) {
  DFciDialog::onSize(width, height);
  // Screen rectangles exist only once the window shows; until then the template's places stand.
  if (!window()->IsShownOnScreen()) return;
  DPageChildWnd layout;
  for (const DSqlInfoRow& row : m_rows) {
    layout.alignWindowToRect(control(row.valueId), window(),
                             PAGE_ALIGN_RIGHT_TO_RIGHT | PAGE_ALIGN_KEEP_ORIGIN, 7, 7, nullptr);
  }
}
