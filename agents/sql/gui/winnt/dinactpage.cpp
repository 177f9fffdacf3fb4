#include "dinactpage.h"

#include "agttrc.h"
#include "dinacttree.h"
#include "dpagechild.h"
#include "dsqlguiapp.h"

namespace {

constexpr int kMargin = 7;

const zkui::HelpTable kHelp = {
    {DINACTIVATE_PAGE_TEMPLATE_ID, 61}, {IDC_INACTIVATE_LIST, 62}, {IDC_INACTIVATE_BUTTON, 63}};

}  // namespace

DInactivatePage::DInactivatePage(wxWindow* parentP)
    : DFciDialog(DINACTIVATE_PAGE_TEMPLATE_ID, parentP) {
  setHelpTable(kHelp);
}

DInactivatePage::~DInactivatePage() = default;

DInactivateController* DInactivatePage::inactivateController() const {
  auto* controllerP = dynamic_cast<DInactivateController*>(getController());
  if (controllerP == nullptr) TRACE_LINE(TRC_GUI, "NULL inactivate controller\n");
  return controllerP;
}

DInactivateTreeView* DInactivatePage::getTreeView() const {
  DInactivateController* controllerP = inactivateController();
  return controllerP != nullptr ? controllerP->getTreeView() : nullptr;
}

void DInactivatePage::onInitDialog() {
  DFciDialog::onInitDialog();
  auto* listP = dynamic_cast<wxListCtrl*>(control(IDC_INACTIVATE_LIST));
  if (listP == nullptr) return;
  m_listP = std::make_unique<DWxListCtrl>(listP);
  if (wxImageList* imagesP = applicationImages()) listP->SetImageList(imagesP, wxIMAGE_LIST_SMALL);
}

// Enter and Escape never close the page.
bool DInactivatePage::onCommand(int id) {
  if (id == 0 || id == zkui::kIdOk || id == zkui::kIdCancel) return true;
  if (id != IDC_INACTIVATE_BUTTON) return DFciDialog::onCommand(id);
  OnButtonInactivate();
  return true;
}

bool DInactivatePage::onNotify(const zkui::Notification& n) {
  if (n.id == IDC_INACTIVATE_LIST && n.kind == zkui::NotifyKind::Click &&
      n.hit == zkui::HitPart::Picture && n.row >= 0) {
    ciToggleItemState(static_cast<int>(n.row));
  }
  return false;
}

void DInactivatePage::onSize(int, int) {
  layoutControls();
}

void DInactivatePage::layoutControls() {
  wxWindow* pageP = window();
  wxWindow* buttonP = control(IDC_INACTIVATE_BUTTON);
  wxWindow* listP = control(IDC_INACTIVATE_LIST);
  if (pageP == nullptr || buttonP == nullptr || listP == nullptr) return;
  DPageChildWnd layout;
  layout.alignWindowToRect(buttonP, pageP, PAGE_ALIGN_BOTTOM_TO_BOTTOM, kMargin, kMargin, nullptr);
  layout.alignWindowToRect(listP, buttonP, PAGE_ALIGN_BOTTOM_TO_TOP | PAGE_ALIGN_KEEP_ORIGIN,
                           kMargin, kMargin, nullptr);
  layout.alignWindowToRect(listP, pageP, PAGE_ALIGN_RIGHT_TO_RIGHT | PAGE_ALIGN_KEEP_ORIGIN,
                           kMargin, kMargin, nullptr);
}

void DInactivatePage::ciUpdateList(DTreeNodeData* nodeP) {
  inactivateUpdateList(inactivateController(), getTreeView(), m_listP.get(), nodeP);
}

void DInactivatePage::ciUpdateListState() {
  DInactivateController* controllerP = inactivateController();
  if (m_listNode == nullptr || controllerP == nullptr) return;
  controllerP->cgUpdateListState(m_listP.get(), getTreeView());
}

void DInactivatePage::ciToggleItemState(int row) {
  inactivateToggleRow(getTreeView(), m_listP.get(), row);
}

void DInactivatePage::OnButtonInactivate() {
  DInactivateController* controllerP = inactivateController();
  if (controllerP != nullptr) controllerP->cgProcessInactivateList(getTreeView());
}
