#include "dbkpage.h"

#include <wx/radiobut.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "agtrc.h"
#include "agttrc.h"
#include "dbktree.h"
#include "ddx.h"
#include "dguiopts.h"
#include "dsqlaccess.h"
#include "dsqlguiapp.h"
#include "eriparms.h"
#include "pelkqueryeri.h"
#include "spin.h"
#include "sqlqueryeri.h"
#include "stripecap.h"

namespace {

constexpr int kMargin = 7;
constexpr int kMaxChars = 2;

enum DBackupPageControl : int {
  IDC_BK_DIFF_ESTIMATE = 1020,
  IDC_BK_DIFF_SPIN = 1021,
  IDC_BK_TRUNCATE = 1022,
  IDC_BK_LOG_ESTIMATE = 1195,
  IDC_BK_LOG_SPIN = 1197,
};

const DBackupPageIds kDatabaseIds{107, 1023, 1024, {1093, 1003}, {1006, 1007, 1008}, 1091, 1092};
const DBackupPageIds kGroupsFilesIds{129, 1111, 1094, {1097, 1102}, {1098, 1099, 1101}, 1108, 1110};

const zkui::HelpTable kDatabaseHelp = {{107, 15},  {1003, 16}, {1006, 17}, {1007, 18}, {1008, 19},
                                       {1093, 20}, {1135, 21}, {1091, 21}, {1092, 21}, {1090, 22},
                                       {1020, 22}, {1021, 22}, {1022, 23}, {1196, 24}, {1195, 24},
                                       {1197, 24}, {1023, 25}, {1024, 26}};
const zkui::HelpTable kGroupsFilesHelp = {{129, 27},  {1097, 28}, {1098, 29}, {1099, 30},
                                          {1101, 31}, {1102, 32}, {1109, 21}, {1108, 21},
                                          {1110, 21}, {1111, 33}, {1094, 34}};

// The stripes a backup of the local SQL Server may use; SQL Server 7's limit when the server
// cannot be asked.
int maxStripes() {
  SqlServerElement server{};
  char msg[ERI_MESSAGE_SIZE] = "";
  std::unique_lock<std::mutex> lock = lockSqlAccess();
  if (eriQuerySqlServer(&server, nullptr, msg, 0) != 0) return kMaxStripesSql7;
  return static_cast<int>(maxServerStripes(server));
}

}  // namespace

DBackupPageBase::DBackupPageBase(const DBackupPageIds& ids, int which, wxWindow* parentP)
    : DFciDialog(ids.templateId, parentP), m_ids(ids), m_which(which) {
  setHelpTable(which == 0 ? kDatabaseHelp : kGroupsFilesHelp);
}

DBackupPageBase::~DBackupPageBase() = default;

// A new range for a spin; its edit keeps the value it shows, and the spin steps from there.
void DBackupPageBase::setSpinRange(int spinId, int editId, int min, int max) {
  auto* spinP = dynamic_cast<zkui::SpinButton*>(control(spinId));
  if (spinP == nullptr) return;
  std::string shown = itemText(editId);
  spinP->setRange(min, max);
  char* endP = nullptr;
  long value = std::strtol(shown.c_str(), &endP, 10);
  if (!shown.empty() && *endP == '\0' && value >= min && value <= max) {
    spinP->setPos(static_cast<int>(value));
  }
  setItemText(editId, shown);
}

DBackupController* DBackupPageBase::backupController() const {
  auto* controllerP = dynamic_cast<DBackupController*>(getController());
  if (controllerP == nullptr) TRACE_LINE(TRC_GUI, "NULL backup controller\n");
  return controllerP;
}

DBackupTreeBase* DBackupPageBase::getTreeView() const {
  DBackupController* controllerP = backupController();
  return controllerP != nullptr ? controllerP->backupTree(m_which) : nullptr;
}

void DBackupPageBase::onInitDialog() {
  m_maxStripes = maxStripes();
  m_stripes = std::clamp(guiOptions().nStripes, 1, m_maxStripes);
  DFciDialog::onInitDialog();  // the values into the controls
  if (auto* listP = dynamic_cast<wxListCtrl*>(control(m_ids.list))) {
    m_listP = std::make_unique<DWxListCtrl>(listP);
    if (wxImageList* imagesP = applicationImages()) {
      listP->SetImageList(imagesP, wxIMAGE_LIST_SMALL);
    }
  }
  setSpinRange(m_ids.stripesSpin, m_ids.stripes, 1, m_maxStripes);
  for (int i = 0; i < 3; ++i) {
    if (auto* radioP = dynamic_cast<wxRadioButton*>(control(m_ids.radios[i]))) {
      radioP->SetValue(i == m_backupType);
    }
  }
}

void DBackupPageBase::doDataExchange(zkui::DataExchange& dx) {
  dx.number(m_ids.stripes, m_stripes);
  dx.maxChars(m_ids.stripes, itemText(m_ids.stripes), kMaxChars);
  dx.range(m_ids.stripes, m_stripes, 1, 64);
}

bool DBackupPageBase::onCommand(int id) {
  if (id == zkui::kIdOk || id == zkui::kIdCancel) return true;
  if (id == m_ids.backupButton) {
    OnButtonBackup();
    return true;
  }
  for (int i = 0; i < 3; ++i) {
    if (id != m_ids.radios[i]) continue;
    onBackupType(i);
    return true;
  }
  return DFciDialog::onCommand(id);
}

bool DBackupPageBase::onNotify(const zkui::Notification& n) {
  if (n.id == m_ids.list && n.kind == zkui::NotifyKind::Click && n.hit == zkui::HitPart::Picture &&
      n.row >= 0) {
    onRowClicked(static_cast<int>(n.row));
  }
  return false;
}

void DBackupPageBase::onSize(int, int) {
  layoutControls();
}

void DBackupPageBase::layoutControls() {
  wxWindow* pageP = window();
  if (pageP == nullptr) return;
  wxSize page = pageP->GetClientSize();
  wxWindow* buttonP = control(m_ids.backupButton);
  wxWindow* listP = control(m_ids.list);
  if (buttonP != nullptr) {
    wxRect r = buttonP->GetRect();
    buttonP->Move(r.x, page.y - kMargin - r.height);
  }
  if (listP != nullptr && buttonP != nullptr) {
    wxRect r = listP->GetRect();
    int bottom = buttonP->GetPosition().y - kMargin;
    listP->SetSize(r.x, r.y, std::max(1, page.x - kMargin - r.x), std::max(1, bottom - r.y));
  }
  for (int id : m_ids.groupBoxes) {
    wxWindow* boxP = control(id);
    if (boxP == nullptr) continue;
    wxRect r = boxP->GetRect();
    boxP->SetSize(r.x, r.y, std::max(1, page.x - kMargin - r.x), r.height);
  }
  pageP->Refresh();
}

void DBackupPageBase::ciUpdateList(DTreeNodeData* nodeP) {
  if (DBackupController* controllerP = backupController()) {
    controllerP->cgUpdateList(m_which, nodeP);
  }
}

void DBackupPageBase::ciUpdateListState() {
  DBackupController* controllerP = backupController();
  if (m_listNode == nullptr || controllerP == nullptr) return;
  controllerP->cgUpdateListState(m_listP.get(), getTreeView());
}

void DBackupPageBase::OnButtonBackup() {
  DBackupController* controllerP = backupController();
  if (controllerP == nullptr) return;
  if (!updateData(true)) return;
  m_backupKind = takeValues();
  controllerP->cgProcessBackupDbList(getTreeView(), m_backupKind);
}

DBackupPage::DBackupPage(wxWindow* parentP) : DBackupPageBase(kDatabaseIds, 0, parentP) {}

void DBackupPage::onInitDialog() {
  m_diffEstimate = guiOptions().nDiffEstimate;
  DBackupPageBase::onInitDialog();
  setSpinRange(IDC_BK_DIFF_SPIN, IDC_BK_DIFF_ESTIMATE, 1, 99);
  setSpinRange(IDC_BK_LOG_SPIN, IDC_BK_LOG_ESTIMATE, 0, 99);
  for (int id : {IDC_BK_TRUNCATE, IDC_BK_DIFF_ESTIMATE, IDC_BK_DIFF_SPIN, IDC_BK_LOG_ESTIMATE,
                 IDC_BK_LOG_SPIN}) {
    enableItem(id, false);
  }
}

void DBackupPage::doDataExchange(zkui::DataExchange& dx) {
  DBackupPageBase::doDataExchange(dx);
  dx.number(IDC_BK_DIFF_ESTIMATE, m_diffEstimate);
  dx.maxChars(IDC_BK_DIFF_ESTIMATE, itemText(IDC_BK_DIFF_ESTIMATE), kMaxChars);
  dx.range(IDC_BK_DIFF_ESTIMATE, m_diffEstimate, 1, 99);
  dx.number(IDC_BK_LOG_ESTIMATE, m_logEstimate);
  dx.maxChars(IDC_BK_LOG_ESTIMATE, itemText(IDC_BK_LOG_ESTIMATE), kMaxChars);
  dx.range(IDC_BK_LOG_ESTIMATE, m_logEstimate, 0, 99);
  dx.check(IDC_BK_TRUNCATE, m_truncate);
}

void DBackupPage::enableDiffEstimate(bool enable) {
  enableItem(IDC_BK_DIFF_ESTIMATE, enable);
  enableItem(IDC_BK_DIFF_SPIN, enable);
}

void DBackupPage::enableLogEstimate(bool enable) {
  enableItem(IDC_BK_LOG_ESTIMATE, enable);
  enableItem(IDC_BK_LOG_SPIN, enable);
}

// Each type enables its own controls and gives the databases their pictures for it.
void DBackupPage::onBackupType(int index) {
  m_backupType = index;
  enableItem(IDC_BK_TRUNCATE, index == BACKUP_LOG);
  if (DBackupTreeBase* treeP = getTreeView()) {
    if (auto* dbTreeP = dynamic_cast<DBackupTreeView*>(treeP)) dbTreeP->ciUpdateImages(index);
  }
  setSpinRange(IDC_BK_DIFF_SPIN, IDC_BK_DIFF_ESTIMATE, 1, 99);
  setSpinRange(IDC_BK_LOG_SPIN, IDC_BK_LOG_ESTIMATE, 0, 99);
  enableDiffEstimate(index == BACKUP_DIFF);
  if (index != BACKUP_LOG) return enableLogEstimate(false);
  // The log estimate needs a server above version 7; before one is listed it stays as it is.
  DBackupTreeBase* treeP = getTreeView();
  SqlServerElement* serverP = treeP != nullptr ? treeP->m_serverList.getFirst() : nullptr;
  if (serverP != nullptr) enableLogEstimate(serverP->lSqlVersionMajor > 7);
}

void DBackupPage::onRowClicked(int row) {
  DBackupController* controllerP = backupController();
  if (controllerP != nullptr) controllerP->cgToggleItemState(row, m_listP.get(), getTreeView());
}

int DBackupPage::takeValues() {
  OptionsInfo& o = guiOptions();
  int kind = m_backupType;
  if (m_backupType == BACKUP_LOG) o.bTruncate = static_cast<uint32_t>(m_truncate);
  o.nStripes = m_stripes;
  o.nDiffEstimate = m_diffEstimate;
  o.nLogEstimate = m_logEstimate;
  return kind;
}

DBackupGFPage::DBackupGFPage(wxWindow* parentP) : DBackupPageBase(kGroupsFilesIds, 1, parentP) {}

// With a group backup, a row of a group or a file takes its whole group; rows of databases
// are toggled one by one.
void DBackupGFPage::onRowClicked(int row) {
  DBackupController* controllerP = backupController();
  DBackupTreeBase* treeP = getTreeView();
  if (controllerP == nullptr || treeP == nullptr) return;
  DTreeNodeData* nodeP = treeP->ciGetItemData(treeP->GetTreeCtrl()->getSelection());
  bool byItem = m_backupType != GF_GROUP || (nodeP != nullptr && nodeP->m_kind == BNODE_SERVER);
  if (byItem) {
    controllerP->cgToggleItemState(row, m_listP.get(), treeP);
  } else {
    controllerP->cgToggleGroupState(row, m_listP.get(), treeP);
  }
}

int DBackupGFPage::takeValues() {
  guiOptions().nStripes = m_stripes;
  return BACKUP_GROUP + m_backupType;
}
