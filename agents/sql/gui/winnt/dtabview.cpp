#include "dtabview.h"

#include "agttrc.h"
#include "ddx.h"
#include "uiimage.h"

DTabFormView::DTabFormView(wxWindow* parentP) : DTabFormView(DTABVIEW_TEMPLATE_ID, parentP) {}

DTabFormView::DTabFormView(int templateId, wxWindow* parentP) : zkui::Dialog(templateId, parentP) {}

DTabFormView::~DTabFormView() {
  if (m_tabCtrlP && window()) m_tabCtrlP->setImageList(nullptr);
}

int DTabFormView::Create() {
  TRACE_ENTRY(TRC_GUI, "DTabFormView::Create");
  if (m_nBitmapId != 0 && m_nImageCount > 0) {
    wxBitmap strip = zkui::resBitmap(m_nBitmapId, false);
    m_imageList.Create(16, strip.IsOk() ? strip.GetHeight() : 16, false, m_nImageCount);
    if (strip.IsOk()) m_imageList.Add(strip);
    m_hasImageList = true;
  }
  TRACE_RETURN(create());
}

void DTabFormView::doDataExchange(zkui::DataExchange& dx) {
  zkui::Dialog::doDataExchange(dx);
  m_tabCtrlP = dynamic_cast<zkui::TabStrip*>(control(DTABVIEW_TAB_ID));
  if (!m_tabCtrlP || dx.saving()) return;
  m_tabCtrlP->onSelChanging = [this](int oldIndex, int) { return OnSelChangingTab(oldIndex); };
  m_tabCtrlP->onSelChanged = [this](int newIndex) { OnSelChangeTab(newIndex); };
}

void DTabFormView::OnInitialUpdate() {
  if (!m_tabCtrlP || !window()) return;
  bool empty = !m_hasImageList || m_imageList.GetImageCount() == 0;
  m_tabCtrlP->setImageList(empty ? nullptr : &m_imageList);
  wxSize tab = m_tabCtrlP->GetClientSize();
  m_minWidth = tab.x;
  m_minHeight = tab.y;
  wxSize view = window()->GetClientSize();
  m_tabCtrlP->SetSize(DTABVIEW_MARGIN, DTABVIEW_MARGIN,
                      std::max(m_minWidth, view.x - 2 * DTABVIEW_MARGIN),
                      std::max(m_minHeight, view.y - 2 * DTABVIEW_MARGIN));
}

void DTabFormView::OnActivateView(bool) {}

void DTabFormView::sizeTab(int width, int height) {
  if (!m_tabCtrlP) return;
  m_tabCtrlP->SetSize(std::max(m_minWidth, width - 2 * DTABVIEW_MARGIN),
                      std::max(m_minHeight, height - 2 * DTABVIEW_MARGIN));
}

void DTabFormView::onSize(int width, int height) {
  sizeTab(width, height);
}

bool DTabFormView::OnSelChangingTab(int oldIndex) {
  auto* pageP = static_cast<wxWindow*>(m_tabCtrlP->itemParam(oldIndex));
  if (pageP) {
    pageP->Hide();
    pageP->Disable();
  }
  return false;
}

void DTabFormView::OnSelChangeTab(int newIndex) {
  auto* pageP = static_cast<wxWindow*>(m_tabCtrlP->itemParam(newIndex));
  if (!pageP) return;
  pageP->Show();
  pageP->Enable();
}

void DTabFormView::ciHideView() {
  if (window()) window()->Hide();
}

void DTabFormView::ciShowView() {
  if (!window()) return;
  window()->Show();
  window()->Raise();
}

void DTabFormView::ciBringViewToTop() {
  if (window()) window()->Raise();
}
