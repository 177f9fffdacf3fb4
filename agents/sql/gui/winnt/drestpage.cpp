#include "drestpage.h"

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>

#include "agttrc.h"
#include "ddx.h"
#include "dguiopts.h"
#include "dmsgbox.h"
#include "drestree.h"
#include "dsqlguiapp.h"
#include "dsqlinforows.h"
#include "dsqlpit.h"
#include "menus.h"
#include "msgout.h"
#include "nlstable.h"
#include "objinfo.h"
#include "spin.h"
#include "stripecap.h"

namespace {

constexpr int kMargin = 7;

const DRestorePageIds kDatabaseIds{
    108,
    IDC_RESTORE_LIST,
    IDC_RESTORE_GROUP,
    IDC_RESTORE_RESTORE,
    IDC_RESTORE_SHOW_INACTIVE,
    IDC_RESTORE_PARTIAL,
    IDC_RESTORE_MOUNT_WAIT,
    IDC_RESTORE_QUERY_MOUNT_WAIT,
    IDC_RESTORE_PIT_SUMMARY,
    IDC_RESTORE_STRIPES_SPIN,
    IDC_RESTORE_STRIPES,
    IDC_RESTORE_REPLACE,
    IDC_RESTORE_DBO_ONLY,
    IDC_RESTORE_RECOVERY,
    IDC_RESTORE_POINT_IN_TIME,
};
const DRestorePageIds kGroupsFilesIds{
    130,
    IDC_RESTOREGF_LIST,
    IDC_RESTOREGF_GROUP,
    IDC_RESTOREGF_RESTORE,
    IDC_RESTOREGF_SHOW_INACTIVE,
    0,
    IDC_RESTOREGF_MOUNT_WAIT,
    IDC_RESTOREGF_QUERY_MOUNT_WAIT,
    0,
    IDC_RESTOREGF_STRIPES_SPIN,
    IDC_RESTOREGF_STRIPES,
    IDC_RESTOREGF_REPLACE,
    IDC_RESTOREGF_DBO_ONLY,
    IDC_RESTOREGF_RECOVERY,
    0,
};
constexpr int kMostStripes = kMaxStripes;  // the range data exchange checks
constexpr int kStripesDigits = 2;

enum : int {
  MSG_PIT_STOP_AT = 5724,
  MSG_PIT_AT_MARK = 5725,
  MSG_PIT_AT_MARK_AFTER = 5726,
  MSG_PIT_BEFORE_MARK = 5727,
  MSG_PIT_BEFORE_MARK_AFTER = 5728,
  MSG_PIT_NONE = 5729,
  MSG_PIT_NO_LOG = 5801,
};

const zkui::HelpTable kDatabaseHelp = {{108, 35},  {1038, 37}, {1040, 38}, {1216, 39}, {1217, 39},
                                       {1219, 39}, {1245, 40}, {1035, 36}, {1037, 42}, {1112, 43},
                                       {1085, 41}, {1205, 44}, {1203, 45}, {1044, 46}, {1113, 47},
                                       {1025, 48}, {1027, 46}};
const zkui::HelpTable kGroupsFilesHelp = {
    {130, 49},  {1115, 51}, {1117, 52}, {1118, 50}, {1214, 53}, {1212, 53}, {1213, 53},
    {1246, 54}, {1119, 55}, {1120, 56}, {1206, 57}, {1204, 58}, {1121, 59}, {1114, 60}};

}  // namespace

DRestorePageBase::DRestorePageBase(const DRestorePageIds& ids, int which, wxWindow* parentP)
    : DFciDialog(ids.templateId, parentP), m_ids(ids), m_which(which) {
  setHelpTable(which == 0 ? kDatabaseHelp : kGroupsFilesHelp);
  if (auto bundle = zkui::currentResources())
    m_menuP.reset(zkui::makePopupMenu(*bundle, DRESTORE_MENU_ID));
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
  const OptionsInfo& o = guiOptions();
  m_nStripes = std::clamp(o.nStripes, 1, kMostStripes);
  m_bMountWait = o.bMountWait != 0 ? 1 : 0;
  if (auto* listP = dynamic_cast<wxListCtrl*>(control(m_ids.list))) {
    m_listP = std::make_unique<DWxListCtrl>(listP);
    if (wxImageList* imagesP = applicationImages())
      listP->SetImageList(imagesP, wxIMAGE_LIST_SMALL);
  }
  // The spin offers the stripes the server takes (1 to 64 when it cannot be asked); data
  // exchange checks 1 to 64 whatever the spin allows.
  if (auto* spinP = dynamic_cast<zkui::SpinButton*>(control(m_ids.stripesSpin))) {
    spinP->setRange(1, static_cast<int>(maxServerStripes(querySqlInfo())));
    spinP->setPos(m_nStripes);
  }
  if (m_ids.summary != 0) setSummary(messageText(MSG_PIT_NONE), false);
  DFciDialog::onInitDialog();  // shows the values
  // The pop-up menu's commands come to the page as menu events.
  window()->Bind(
      wxEVT_MENU, [this](wxCommandEvent& e) { OnMenuCommand(zkui::menuCommandId(e.GetId())); },
      zkui::menuItemId(ID_RESTORE_INTO), zkui::menuItemId(ID_RESTORE_STANDBY));
}

void DRestorePageBase::doDataExchange(zkui::DataExchange& dx) {
  dx.check(m_ids.showInactive, m_bShowInactive);
  dx.check(m_ids.replace, m_bReplace);
  dx.check(m_ids.dboOnly, m_bDboOnly);
  if (m_ids.partial != 0) dx.check(m_ids.partial, m_bPartial);
  dx.check(m_ids.mountWait, m_bMountWait);
  dx.check(m_ids.queryMountWait, m_bQueryMountWait);
  dx.check(m_ids.recovery, m_bRecovery);
  std::string stripes = std::to_string(m_nStripes);
  dx.text(m_ids.stripes, stripes);
  dx.maxChars(m_ids.stripes, stripes, kStripesDigits);
  dx.number(m_ids.stripes, m_nStripes);
  dx.range(m_ids.stripes, m_nStripes, 1, kMostStripes);
}

// Enter and Escape never close a page.
bool DRestorePageBase::onCommand(int id) {
  if (id == 0 || id == zkui::kIdOk || id == zkui::kIdCancel) return true;
  if (id == m_ids.restoreButton) {
    OnButtonRestore();
  } else if (m_ids.pointInTime != 0 && id == m_ids.pointInTime) {
    OnButtonPointInTime();
  } else if (id == m_ids.showInactive) {
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
  if (n.id != m_ids.list) return false;
  if (n.kind == zkui::NotifyKind::Click && n.hit == zkui::HitPart::Picture && n.row >= 0) {
    ciToggleItemState(static_cast<int>(n.row));
  } else if (n.kind == zkui::NotifyKind::RightClick) {
    OnRclickListRestore(n.hit != zkui::HitPart::Nowhere ? n.row : -1, wxGetMousePosition());
  }
  return false;
}

// The list's right click shows the pop-up menu instead of help.
void DRestorePageBase::onContextMenu(int controlId, const wxPoint& screenPt) {
  if (controlId == m_ids.list) return;
  DFciDialog::onContextMenu(controlId, screenPt);
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
  m_bMountWait = checked(m_ids.mountWait);
  m_bQueryMountWait = checked(m_ids.queryMountWait);
  OptionsInfo& o = guiOptions();
  o.bMountWait = static_cast<uint32_t>(m_bMountWait);
  o.bQueryMountWait = static_cast<uint32_t>(m_bQueryMountWait);
}

// Copies the options into the options record and has the controller restore what the tree
// has checked. A refused value (stripes) stops it; its message has been shown.
void DRestorePageBase::OnButtonRestore() {
  DRestoreController* controllerP = restoreController();
  if (!updateData(true)) return;
  OptionsInfo& o = guiOptions();
  o.bAll = static_cast<uint32_t>(m_bShowInactive);
  o.bReplace = static_cast<uint32_t>(m_bReplace);
  o.nStripes = m_nStripes;
  o.bStripes = 1;
  o.bDboOnly = static_cast<uint32_t>(m_bDboOnly);
  // The groups/files page restores no partial database, whatever the other page chose.
  o.bPartial = static_cast<uint32_t>(m_ids.partial != 0 ? m_bPartial : 0);
  o.bMountWait = static_cast<uint32_t>(m_bMountWait);
  o.bQueryMountWait = static_cast<uint32_t>(m_bQueryMountWait);
  o.bRecovery = static_cast<uint32_t>(m_bRecovery);
  if (controllerP != nullptr) controllerP->cgProcessRestore(getTreeView());
}

void DRestorePageBase::setSummary(const std::string& text, bool enable) {
  m_szSummary = text;
  if (m_ids.summary == 0) return;
  setItemText(m_ids.summary, text);
  enableItem(m_ids.summary, enable);
}

void DRestorePageBase::resetPointInTime() {
  if (m_ids.summary != 0) setSummary(messageText(MSG_PIT_NONE), false);
}

// The point-in-time dialog, for a restore that takes a checked log backup; the summary
// shows the choice after OK. The page's unsaved choices stay in their controls.
void DRestorePageBase::OnButtonPointInTime() {
  DRestoreTreeBase* treeP = getTreeView();
  DTreeCtrl* ctrlP = treeP != nullptr ? treeP->GetTreeCtrl() : nullptr;
  bool logChecked = false;
  for (MoxtarMetaInfo* entryP = treeP != nullptr ? treeP->m_backupList.getFirst() : nullptr;
       entryP != nullptr && ctrlP != nullptr && !logChecked;
       entryP = treeP->m_backupList.getNext(entryP)) {
    HTREEITEM item = treeP->itemOf(entryP);
    DTreeNodeData* recordP = item != nullptr ? treeP->ciGetItemData(item) : nullptr;
    logChecked =
        recordP != nullptr && recordP->m_kind == RNODE_LOG && ctrlP->getImage(item) == S_CHECK;
  }
  if (!logChecked) {
    showMessageNumber(MSG_PIT_NO_LOG, DMSG_INFORMATION, nullptr);
    return;
  }
  DSqlPitDlg dialog(window(), &guiOptions());
  if (dialog.doModal() != zkui::kIdOk) {
    setSummary(messageText(MSG_PIT_NONE), false);
    return;
  }
  const OptionsInfo& o = guiOptions();
  std::string date = dialog.afterDateText(), time = dialog.afterTimeText();
  const char* markP = o.szMarkName;
  char text[DMSG_TEXT_MAX + 1] = "";
  bool enable = true;
  if (o.bStopAt == 1) {
    nlsprintf(text, sizeof text, MSG_PIT_STOP_AT, dialog.stopAtDateText().c_str(),
              dialog.stopAtTimeText().c_str());
  } else if (o.bStopAtMark == 1 && o.bAfter == 1) {
    nlsprintf(text, sizeof text, MSG_PIT_AT_MARK_AFTER, markP, date.c_str(), time.c_str());
  } else if (o.bStopAtMark == 1) {
    nlsprintf(text, sizeof text, MSG_PIT_AT_MARK, markP);
  } else if (o.bStopBeforeMark == 1 && o.bAfter == 1) {
    nlsprintf(text, sizeof text, MSG_PIT_BEFORE_MARK_AFTER, markP, date.c_str(), time.c_str());
  } else if (o.bStopBeforeMark == 1) {
    nlsprintf(text, sizeof text, MSG_PIT_BEFORE_MARK, markP);
  } else {
    nlsprintf(text, sizeof text, MSG_PIT_NONE);
    enable = false;
  }
  setSummary(text, enable);
}

// The pop-up menu of a checked backup row: restore into, relocate and standby file, enabled by
// the backup's kind. The row and its item are remembered for the controller's dialogs.
void DRestorePageBase::OnRclickListRestore(long row, const wxPoint& screenPt) {
  if (m_listP == nullptr || m_menuP == nullptr || m_listP->itemCount() == 0 || row < 0) return;
  m_nSelectedItem = static_cast<int>(row);
  m_selectedItemData = static_cast<HTREEITEM>(m_listP->itemParam(m_nSelectedItem));
  if (m_listP->stateImage(m_nSelectedItem) != S_CHECK + 1) return;
  DRestoreTreeBase* treeP = getTreeView();
  DRestoreController* controllerP = restoreController();
  if (treeP == nullptr || controllerP == nullptr || m_selectedItemData == nullptr) return;
  DTreeNodeData* itemP = treeP->ciGetItemData(m_selectedItemData);
  HTREEITEM selected =
      treeP->GetTreeCtrl() != nullptr ? treeP->GetTreeCtrl()->getSelection() : nullptr;
  DTreeNodeData* selectedP = selected != nullptr ? treeP->ciGetItemData(selected) : nullptr;
  if (itemP == nullptr) return;
  // On the groups/files page the rows must be a database's backups.
  if (m_which == 1 && (selectedP == nullptr || selectedP->m_kind != RNODE_DATABASE)) return;
  // Standby files are chosen for one database at a time, until the next restore.
  const char* standbyDbP = controllerP->getName();
  bool standby = standbyDbP[0] == '\0' ||
                 (selectedP != nullptr &&
                  nlsActiveFuncTable()->m_StrCmp(standbyDbP, selectedP->m_label.c_str()) == 0);
  bool relocate = true;
  switch (itemP->m_kind) {
    case RNODE_FULL:
      break;
    case RNODE_DIFF:
      if (m_which == 1) standby = false;
      break;
    case RNODE_LOG: {
      // A backup's record holds its query entry (other kinds hold other records).
      auto* entryP = static_cast<MoxtarMetaInfo*>(itemP->pRelatedInfo);
      relocate = entryP == nullptr || entryP->hublorDbElemP == nullptr ||
                 entryP->hublorDbElemP->lSqlVersionMajor != 7;
      break;
    }
    default:
      if (m_which == 0) return;
      standby = false;
      break;
  }
  m_menuP->Enable(zkui::menuItemId(ID_RESTORE_INTO), true);
  m_menuP->Enable(zkui::menuItemId(ID_RESTORE_RELOCATE), relocate);
  m_menuP->Enable(zkui::menuItemId(ID_RESTORE_STANDBY), standby);
  zkui::trackPopupMenu(window(), *m_menuP, screenPt);
}

void DRestorePageBase::OnMenuCommand(int id) {
  DRestoreController* controllerP = restoreController();
  int count = m_listP != nullptr ? m_listP->itemCount() : 0;
  if (count == 0 || controllerP == nullptr) return;
  if (count < 0) TRACE_LINE(TRC_GUI, "Item count < 0\n");
  DRestoreTreeBase* treeP = getTreeView();
  switch (id) {
    case ID_RESTORE_INTO:
      TRACE_LINE(TRC_GUI, "Processing Restore Into\n");
      controllerP->cgProcessRestoreInto(treeP);
      break;
    case ID_RESTORE_RELOCATE:
      TRACE_LINE(TRC_GUI, "Processing Relocate\n");
      controllerP->cgProcessRelocate(treeP);
      break;
    case ID_RESTORE_STANDBY:
      TRACE_LINE(TRC_GUI, m_which == 0 ? "Processing Undo\n" : "Processing Standby\n");
      controllerP->cgProcessStandby(treeP);
      break;
    default:
      break;
  }
}
