#include "drestpage.h"

#include <wx/checkbox.h>

#include <algorithm>

#include "agttrc.h"
#include "dguiopts.h"
#include "drestree.h"
#include "dsqlguiapp.h"
#include "spin.h"

namespace {

constexpr int kMargin = 7;

const DRestorePageIds kDatabaseIds{108, 1113, 1035, 1025, 1040, 1085, 1205, 1203, 1044, 1219};
const DRestorePageIds kGroupsFilesIds{130, 1121, 1118, 1114, 1117, 0, 1206, 1204, 0, 1213};
constexpr int kMaxStripes = 64;

const zkui::HelpTable kDatabaseHelp = {{108, 35},  {1038, 37}, {1040, 38}, {1216, 39}, {1217, 39},
                                       {1219, 39}, {1245, 40}, {1035, 36}, {1037, 42}, {1112, 43},
                                       {1085, 41}, {1205, 44}, {1203, 45}, {1044, 46}, {1113, 47},
                                       {1025, 48}, {1027, 46}};
const zkui::HelpTable kGroupsFilesHelp = {
    {130, 49},  {1115, 51}, {1117, 52}, {1118, 50}, {1214, 53}, {1212, 53}, {1213, 53},
    {1246, 54}, {1119, 55}, {1120, 56}, {1206, 57}, {1204, 58}, {1121, 59}, {1114, 60}};

wxImageList* applicationImages() {
  auto* appP = dynamic_cast<DSqlGuiApp*>(DApplicationController::getApplication());
  return appP != nullptr ? &appP->imageList() : nullptr;
}

}  // namespace

DRestorePageBase::DRestorePageBase(const DRestorePageIds& ids, int which, wxWindow* parentP)
    : DFciDialog(ids.templateId, parentP), m_ids(ids), m_which(which) {
  setHelpTable(which == 0 ? kDatabaseHelp : kGroupsFilesHelp);
}

DRestorePageBase::~DRestorePageBase() = default;

DRestorePage::DRestorePage(wxWindow* parentP) : DRestorePageBase(kDatabaseIds, 0, parentP) {}

DRestoreGFPage::DRestoreGFPage(wxWindow* parentP) : DRestorePageBase(kGroupsFilesIds, 1, parentP) {}

DRestoreController* DRestorePageBase::restoreController() const {
  auto* controllerP = dynamic_cast<DRestoreController*>(getController());
  if (controllerP == nullptr) TRACE_LINE(TRC_GUI, "NULL restore controller\n");
  return controllerP;
}

DRestoreTreeBase* DRestorePageBase::getTreeView() const {
  DRestoreController* controllerP = restoreController();
  return controllerP != nullptr ? controllerP->restoreTree(m_which) : nullptr;
}

int DRestorePageBase::checked(int id) const {
  auto* boxP = dynamic_cast<wxCheckBox*>(control(id));
  return boxP != nullptr && boxP->GetValue() ? 1 : 0;
}

void DRestorePageBase::setChecked(int id, int value) {
  if (auto* boxP = dynamic_cast<wxCheckBox*>(control(id))) boxP->SetValue(value != 0);
}

void DRestorePageBase::onInitDialog() {
  DFciDialog::onInitDialog();
  if (auto* listP = dynamic_cast<wxListCtrl*>(control(m_ids.list))) {
    m_listP = std::make_unique<DWxListCtrl>(listP);
    if (wxImageList* imagesP = applicationImages())
      listP->SetImageList(imagesP, wxIMAGE_LIST_SMALL);
  }
  const OptionsInfo& o = guiOptions();
  setChecked(m_ids.mountWait, o.bMountWait);
  setChecked(m_ids.queryMountWait, o.bQueryMountWait);
  if (auto* spinP = dynamic_cast<zkui::SpinButton*>(control(m_ids.stripesSpin))) {
    spinP->setRange(1, kMaxStripes);
    spinP->setPos(std::clamp(o.nStripes, 1, kMaxStripes));
  }
}

bool DRestorePageBase::onCommand(int id) {
  if (id == zkui::kIdOk || id == zkui::kIdCancel) return true;
  if (id == m_ids.showInactive) {
    OnCheckActiveInactive();
  } else if (m_ids.partial != 0 && id == m_ids.partial) {
    OnCheckPartial();
  } else if (id == m_ids.mountWait || id == m_ids.queryMountWait) {
    OnCheckMW();
  } else {
    return DFciDialog::onCommand(id);
  }
  return true;
}

bool DRestorePageBase::onNotify(const zkui::Notification& n) {
  if (n.id == m_ids.list && n.kind == zkui::NotifyKind::Click && n.hit == zkui::HitPart::Picture &&
      n.row >= 0) {
    ciToggleItemState(static_cast<int>(n.row));
  }
  return false;
}

void DRestorePageBase::onSize(int, int) {
  layoutControls();
}

void DRestorePageBase::layoutControls() {
  wxWindow* pageP = window();
  if (pageP == nullptr) return;
  wxSize page = pageP->GetClientSize();
  wxWindow* restoreP = control(m_ids.restoreButton);
  wxWindow* listP = control(m_ids.list);
  wxWindow* groupP = control(m_ids.groupBox);
  if (restoreP != nullptr) {
    wxRect r = restoreP->GetRect();
    restoreP->Move(r.x, page.y - kMargin - r.height);
  }
  if (listP != nullptr && restoreP != nullptr) {
    wxRect r = listP->GetRect();
    int bottom = restoreP->GetPosition().y - kMargin;
    listP->SetSize(r.x, r.y, std::max(1, page.x - kMargin - r.x), std::max(1, bottom - r.y));
  }
  if (groupP != nullptr) {
    wxRect r = groupP->GetRect();
    groupP->SetSize(r.x, r.y, std::max(1, page.x - kMargin - r.x), r.height);
    wxWindow* summaryP = m_ids.summary != 0 ? control(m_ids.summary) : nullptr;
    if (summaryP != nullptr) {
      wxRect s = summaryP->GetRect();
      int right = groupP->GetRect().GetRight() + 1 - kMargin;
      summaryP->SetSize(s.x, s.y, std::max(1, right - s.x), s.height);
    }
  }
  pageP->Refresh();
}

void DRestorePageBase::enablePartial(bool enable) {
  if (m_ids.partial == 0) return;
  enableItem(m_ids.partial, enable);
  if (!enable) setChecked(m_ids.partial, 0);
}

void DRestorePageBase::ciUpdateList(DTreeNodeData* nodeP) {
  restoreUpdateList(restoreController(), getTreeView(), m_listP.get(), nodeP, partial());
}

void DRestorePageBase::ciUpdateListState() {
  DRestoreController* controllerP = restoreController();
  if (m_listNode == nullptr || controllerP == nullptr) return;
  controllerP->cgUpdateListState(m_listP.get(), getTreeView());
}

void DRestorePageBase::ciToggleItemState(int row) {
  DRestoreTreeBase* treeP = getTreeView();
  if (m_listP == nullptr || treeP == nullptr) return;
  int state = m_listP->stateImage(row);
  int next = state == S_CHECK + 1 ? S_CLEAR + 1 : state == S_CLEAR + 1 ? S_CHECK + 1 : state;
  m_listP->setStateImage(row, next);
  auto item = static_cast<HTREEITEM>(m_listP->itemParam(row));
  if (item == nullptr) return;
  if (HTREEITEM child = treeP->ciSetImage(item, next - 1, next - 1)) {
    TRACE_LINE(TRC_GUI, "Propogating selection\n");
    treeP->ciPropogateImageDown(child, next - 1);
  }
  treeP->ciPropogateImageUp(item);
}

// The tree is built again: the controller reads the box whenever it lists backups.
void DRestorePageBase::OnCheckActiveInactive() {
  if (DRestoreController* controllerP = restoreController()) {
    controllerP->cgRefreshView(getTreeView(), m_which == 0 ? FRAME_RESTORE : FRAME_RESTORE_GF);
  }
}

// Partial on gives the full backups their expand buttons; off clears every check below the
// servers and takes the full backups' groups away. The list is filled again either way.
void DRestorePageBase::OnCheckPartial() {
  DRestoreController* controllerP = restoreController();
  DRestoreTreeBase* treeP = getTreeView();
  if (controllerP == nullptr || treeP == nullptr) return;
  if (treeP->m_backupList.getCount() != 0) {
    if (partial() == 1) {
      controllerP->cgUpdatePlusButtonForFulls(1);
    } else {
      DTreeStartEntry* serversP = treeP->m_treeStart.getLast();
      HTREEITEM first = serversP != nullptr ? treeP->ciGetChild(serversP->hItem) : nullptr;
      if (first != nullptr) treeP->ciPropogateImageDown(first, S_CLEAR);
      controllerP->cgUpdatePlusButtonForFulls(0);
    }
  }
  if (m_listNode == nullptr) return;
  HTREEITEM item = m_listNode;
  m_listNode = nullptr;
  controllerP->cgLVUpdate(item);
}

void DRestorePageBase::OnCheckMW() {
  OptionsInfo& o = guiOptions();
  o.bMountWait = static_cast<uint32_t>(checked(m_ids.mountWait));
  o.bQueryMountWait = static_cast<uint32_t>(checked(m_ids.queryMountWait));
}
