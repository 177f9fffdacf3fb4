#include "dconfig.h"

#include <wx/button.h>
#include <wx/utils.h>

#include <filesystem>

#include "agtpref.h"
#include "ddx.h"
#include "dfcidlg.h"
#include "filechooser.h"
#include "help.h"
#include "spin.h"
#include "tabstrip.h"

namespace {

enum : int {
  MSG_HELP_KEY = 5704,
  MSG_TAB_GEN = 5745,
  MSG_TAB_PERF = 5746,
  MSG_TAB_LOG = 5747,
  MSG_TAB_REG = 5748,
};

constexpr char kHelpFile[] = "zarnaksql.hlp";
constexpr int kPruneWaitMs = 500;
constexpr int kMaxPruneDays = 9999;

// The ranges of the numbers; the buffer count starts at 2 here although the command line takes 1.
struct NumberField {
  int editId;
  int spinId;
  int DConfigValues::*value;
  int min;
  int max;
};
const NumberField kPerfFields[] = {
    {IDC_CONFIG_BUFFERS, IDC_CONFIG_BUFFERS_SPIN, &DConfigValues::buffers, 2, 8},
    {IDC_CONFIG_BUFFERSIZE, IDC_CONFIG_BUFFERSIZE_SPIN, &DConfigValues::bufferSize, 64, 8192},
    {IDC_CONFIG_STRIPES, IDC_CONFIG_STRIPES_SPIN, &DConfigValues::stripes, 1, 64},
    {IDC_CONFIG_SQLBUFFERS, IDC_CONFIG_SQLBUFFERS_SPIN, &DConfigValues::sqlBuffers, 0, 999},
    {IDC_CONFIG_SQLBUFFERSIZE, IDC_CONFIG_SQLBUFFERSIZE_SPIN, &DConfigValues::sqlBufferSize, 64,
     4096},
};
const NumberField kEstimateField = {IDC_CONFIG_ESTIMATE, IDC_CONFIG_ESTIMATE_SPIN,
                                    &DConfigValues::diffEstimate, 1, 99};

const DConfigLabel kGenLabels[] = {{IDC_CONFIG_SERVER_LABEL, 5798},   {IDC_CONFIG_FROM_LABEL, 5799},
                                   {IDC_CONFIG_AUTH_LABEL, 5800},     {IDC_CONFIG_MOUNTWAIT, 5730},
                                   {IDC_CONFIG_ESTIMATE_LABEL, 5732}, {0, 0}};
const DConfigLabel kPerfLabels[] = {
    {IDC_CONFIG_BUFFERS_LABEL, 5733},       {IDC_CONFIG_BUFFERSIZE_LABEL, 5734},
    {IDC_CONFIG_STRIPES_LABEL, 5735},       {IDC_CONFIG_SQLBUFFERS_LABEL, 5796},
    {IDC_CONFIG_SQLBUFFERSIZE_LABEL, 5797}, {0, 0}};
const DConfigLabel kLogLabels[] = {{IDC_CONFIG_LOGFILE_LABEL, 5736},
                                   {IDC_CONFIG_BROWSE, 5737},
                                   {IDC_CONFIG_PRUNE, 5738},
                                   {IDC_CONFIG_KEEP_LABEL, 5739},
                                   {IDC_CONFIG_DAYS_LABEL, 5740},
                                   {IDC_CONFIG_PRUNE_NOW, 5741},
                                   {0, 0}};
const DConfigLabel kRegLabels[] = {{IDC_CONFIG_DATE_LABEL, 5742},
                                   {IDC_CONFIG_TIME_LABEL, 5743},
                                   {IDC_CONFIG_NUMBER_LABEL, 5744},
                                   {0, 0}};

// Radio groups of the regional page: first id and number of buttons.
constexpr int kDateRadios = 5;
constexpr int kTimeRadios = 4;
constexpr int kNumberRadios = 6;

bool inGroup(int id, int first, int count) {
  return id >= first && id < first + count;
}

void exchangeNumber(zkui::DataExchange& dx, DConfigValues& values, const NumberField& f) {
  dx.number(f.editId, values.*f.value);
  dx.range(f.editId, values.*f.value, f.min, f.max);
}

int maxChars(size_t fieldSize) {
  return static_cast<int>(fieldSize) - 1;
}

}  // namespace

// --- the pages' common part

DConfigPage::DConfigPage(int templateId, DConfigSheet& sheet, DConfigValues& values)
    : zkui::PropertyPage(templateId), m_sheet(sheet), m_values(values) {}

void DConfigPage::onInitDialog() {
  m_sheet.prepareWindow();
  for (const DConfigLabel* l = labels(); l->controlId != 0; l++) {
    setItemText(l->controlId, messageText(l->msgNum));
  }
  zkui::PropertyPage::onInitDialog();
}

bool DConfigPage::onNotify(const zkui::Notification& n) {
  // A spin writes its edit without the edit's change event.
  if ((n.kind == zkui::NotifyKind::EditChanged && isField(n.id)) ||
      n.kind == zkui::NotifyKind::SpinStep) {
    setModified();
  }
  return false;
}

void DConfigPage::onHelpInfo(int) {
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_KEY)});
}

void DConfigPage::setSpinRange(int spinId, int min, int max) {
  if (auto* spinP = dynamic_cast<zkui::SpinButton*>(control(spinId))) spinP->setRange(min, max);
}

// --- general settings

void DConfigGen::onInitDialog() {
  setSpinRange(kEstimateField.spinId, kEstimateField.min, kEstimateField.max);
  DConfigPage::onInitDialog();
}

void DConfigGen::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_CONFIG_SERVER, m_values.sqlServer);
  dx.maxChars(IDC_CONFIG_SERVER, m_values.sqlServer, maxChars(OPT_SERVER_NAME_SIZE));
  dx.text(IDC_CONFIG_FROM, m_values.fromSqlServer);
  dx.maxChars(IDC_CONFIG_FROM, m_values.fromSqlServer, maxChars(OPT_SERVER_NAME_SIZE));
  dx.radio(IDC_CONFIG_INTEGRATED, m_values.sqlAuth);
  dx.check(IDC_CONFIG_MOUNTWAIT, m_values.mountWait);
  exchangeNumber(dx, m_values, kEstimateField);
}

bool DConfigGen::onCommand(int id) {
  if (id == IDC_CONFIG_INTEGRATED || id == IDC_CONFIG_SQLUSERID || id == IDC_CONFIG_MOUNTWAIT) {
    setModified();
    return true;
  }
  return DConfigPage::onCommand(id);
}

const DConfigLabel* DConfigGen::labels() const {
  return kGenLabels;
}

bool DConfigGen::isField(int id) const {
  return id == IDC_CONFIG_SERVER || id == IDC_CONFIG_FROM || id == IDC_CONFIG_ESTIMATE;
}

// --- performance

void DConfigPerf::onInitDialog() {
  for (const NumberField& f : kPerfFields) setSpinRange(f.spinId, f.min, f.max);
  DConfigPage::onInitDialog();
}

void DConfigPerf::doDataExchange(zkui::DataExchange& dx) {
  for (const NumberField& f : kPerfFields) exchangeNumber(dx, m_values, f);
}

const DConfigLabel* DConfigPerf::labels() const {
  return kPerfLabels;
}

bool DConfigPerf::isField(int id) const {
  for (const NumberField& f : kPerfFields) {
    if (f.editId == id) return true;
  }
  return false;
}

// --- activity log

void DConfigLog::onInitDialog() {
  setSpinRange(IDC_CONFIG_DAYS_SPIN, 0, kMaxPruneDays);
  DConfigPage::onInitDialog();
  enablePruneControls();
}

void DConfigLog::doDataExchange(zkui::DataExchange& dx) {
  dx.text(IDC_CONFIG_LOGFILE, m_values.logFile);
  dx.maxChars(IDC_CONFIG_LOGFILE, m_values.logFile, maxChars(OPT_LOG_FILE_SIZE));
  dx.check(IDC_CONFIG_PRUNE, m_values.logPrune);
  dx.number(IDC_CONFIG_DAYS, m_values.logDays);
}

bool DConfigLog::onCommand(int id) {
  switch (id) {
    case IDC_CONFIG_BROWSE:
      browse();
      return true;
    case IDC_CONFIG_PRUNE:
      togglePrune();
      return true;
    case IDC_CONFIG_PRUNE_NOW:
      pruneNow();
      return true;
    default:
      return DConfigPage::onCommand(id);
  }
}

const DConfigLabel* DConfigLog::labels() const {
  return kLogLabels;
}

bool DConfigLog::isField(int id) const {
  return id == IDC_CONFIG_LOGFILE || id == IDC_CONFIG_DAYS;
}

void DConfigLog::clearLogFile() {
  if (window() == nullptr) return;
  setItemText(IDC_CONFIG_LOGFILE, "");
  if (wxWindow* editP = control(IDC_CONFIG_LOGFILE)) editP->SetFocus();
}

// The chooser starts in the folder of the log file that the configuration file names.
void DConfigLog::browse() {
  setModified();
  if (!updateData(true)) return;
  char stored[PREF_VALUE_SIZE] = "";
  CPreferences preferences(m_sheet.configFile().c_str());
  preferences.getPreferences(PREF_LOGFILE, stored, sizeof stored, nullptr, 1);
  std::string current = activityLogPath(stored[0] != '\0' ? stored : DCONFIG_DEFAULT_LOG_FILE);
  zkui::FileChooserRequest request;
  request.ownerP = window();
  request.save = true;
  request.title = DCONFIG_BROWSE_TITLE;
  request.directory = std::filesystem::path(current).parent_path().string();
  request.filter = DCONFIG_BROWSE_FILTER;
  request.defaultExtension = "log";
  request.overwritePrompt = false;
  request.mustExist = true;
  std::string path;
  if (zkui::chooseFile(request, path) != zkui::kIdOk) return;
  m_values.logFile = path;
  setItemText(IDC_CONFIG_LOGFILE, path);
}

void DConfigLog::togglePrune() {
  setModified();
  if (m_values.logPrune != 0) {
    m_values.logPrune = 0;
    m_values.logDays = DCONFIG_DEFAULT_PRUNE_DAYS;
    setItemText(IDC_CONFIG_DAYS, std::to_string(m_values.logDays));
  } else {
    m_values.logPrune = 1;
  }
  enablePruneControls();
}

// Prunes with what the page shows, before the user applies it.
void DConfigLog::pruneNow() {
  if (!updateData(true)) return;
  DPruneResult result;
  {
    wxBusyCursor wait;
    result = pruneActivityLog(m_values.logFile, m_values.logDays, m_sheet.configFile());
    wxMilliSleep(kPruneWaitMs);
  }
  reportPrune(result);
}

void DConfigLog::enablePruneControls() {
  bool on = m_values.logPrune != 0;
  for (int id : {IDC_CONFIG_DAYS, IDC_CONFIG_DAYS_SPIN, IDC_CONFIG_PRUNE_NOW}) {
    if (wxWindow* controlP = control(id)) controlP->Enable(on);
  }
}

// --- regional formats

void DConfigReg::doDataExchange(zkui::DataExchange& dx) {
  dx.radio(IDC_CONFIG_DATE_FIRST, m_values.dateFormat);
  dx.radio(IDC_CONFIG_TIME_FIRST, m_values.timeFormat);
  dx.radio(IDC_CONFIG_NUMBER_FIRST, m_values.numberFormat);
}

bool DConfigReg::onCommand(int id) {
  if (inGroup(id, IDC_CONFIG_DATE_FIRST, kDateRadios) ||
      inGroup(id, IDC_CONFIG_TIME_FIRST, kTimeRadios) ||
      inGroup(id, IDC_CONFIG_NUMBER_FIRST, kNumberRadios)) {
    setModified();
    updateData(true);
    return true;
  }
  return DConfigPage::onCommand(id);
}

const DConfigLabel* DConfigReg::labels() const {
  return kRegLabels;
}

// --- the sheet

DConfigSheet::DConfigSheet(const std::string& caption, DConfigOwner* ownerP, wxWindow* parentP,
                           const DConfigValues& values, const std::string& configFile,
                           int startPage)
    : DConfigSheetParts(*this, values),
      zkui::PropertySheet(caption, parentP, startPage),
      m_ownerP(ownerP),
      m_configFile(configFile) {
  addPage(&m_gen);
  addPage(&m_perf);
  addPage(&m_log);
  addPage(&m_reg);
}

void DConfigSheet::prepareWindow() {
  if (window() == nullptr || window() == m_preparedP) return;
  m_preparedP = window();
  const int titles[] = {MSG_TAB_GEN, MSG_TAB_PERF, MSG_TAB_LOG, MSG_TAB_REG};
  for (int i = 0; i < pageCount(); i++) tabs()->setItemText(i, messageText(titles[i]));
  // Bound after the sheet's own button handler, so it comes first and replaces it for Apply.
  window()->Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { pressApply(); }, zkui::kIdApply);
}

void DConfigSheet::pressApply() {
  if (apply() && m_ownerP != nullptr) m_ownerP->savePreferences(*this);
}
