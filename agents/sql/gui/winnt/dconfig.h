// The configuration sheet: four pages (general settings, performance, activity log, regional
// formats) over one set of values (dconfigstore.h), shown modally by the main frame. The pages
// check what the user typed (ranges of the numbers, lengths of the names), mark themselves
// modified on every change and take their labels and tab titles from the message repository.
// Apply hands the sheet to its owner, which stores the values while the sheet stays open; OK
// ends the sheet, and its caller stores them. The log page can choose a log file and prune the
// activity log at once. User-interface thread only.
#pragma once

#include <string>

#include "dconfigstore.h"
#include "propsheet.h"

class DConfigSheet;

// Templates of the pages.
enum DConfigTemplate : int {
  DCONFIG_GEN_TEMPLATE = 131,
  DCONFIG_PERF_TEMPLATE = 132,
  DCONFIG_LOG_TEMPLATE = 133,
  DCONFIG_REG_TEMPLATE = 134,
};

// Controls of the pages.
enum DConfigControl : int {
  IDC_CONFIG_ESTIMATE_LABEL = 1127,
  IDC_CONFIG_ESTIMATE = 1128,
  IDC_CONFIG_ESTIMATE_SPIN = 1129,
  IDC_CONFIG_MOUNTWAIT = 1130,
  IDC_CONFIG_BUFFERS_LABEL = 1132,
  IDC_CONFIG_BUFFERS = 1133,
  IDC_CONFIG_BUFFERS_SPIN = 1134,
  IDC_CONFIG_LOGFILE_LABEL = 1138,
  IDC_CONFIG_LOGFILE = 1139,
  IDC_CONFIG_BROWSE = 1140,
  IDC_CONFIG_PRUNE = 1141,
  IDC_CONFIG_KEEP_LABEL = 1142,
  IDC_CONFIG_DAYS = 1143,
  IDC_CONFIG_DAYS_SPIN = 1144,
  IDC_CONFIG_DAYS_LABEL = 1145,
  IDC_CONFIG_PRUNE_NOW = 1146,
  IDC_CONFIG_DATE_LABEL = 1147,
  IDC_CONFIG_DATE_FIRST = 1148,
  IDC_CONFIG_TIME_LABEL = 1153,
  IDC_CONFIG_TIME_FIRST = 1154,
  IDC_CONFIG_NUMBER_LABEL = 1158,
  IDC_CONFIG_NUMBER_FIRST = 1159,
  IDC_CONFIG_BUFFERSIZE_LABEL = 1165,
  IDC_CONFIG_BUFFERSIZE = 1166,
  IDC_CONFIG_BUFFERSIZE_SPIN = 1167,
  IDC_CONFIG_STRIPES_LABEL = 1169,
  IDC_CONFIG_STRIPES = 1170,
  IDC_CONFIG_STRIPES_SPIN = 1171,
  IDC_CONFIG_SERVER_LABEL = 1247,
  IDC_CONFIG_SERVER = 1248,
  IDC_CONFIG_FROM_LABEL = 1249,
  IDC_CONFIG_FROM = 1250,
  IDC_CONFIG_AUTH_LABEL = 1251,
  IDC_CONFIG_INTEGRATED = 1252,
  IDC_CONFIG_SQLUSERID = 1253,
  IDC_CONFIG_SQLBUFFERS_LABEL = 1254,
  IDC_CONFIG_SQLBUFFERS = 1255,
  IDC_CONFIG_SQLBUFFERS_SPIN = 1256,
  IDC_CONFIG_SQLBUFFERSIZE_LABEL = 1257,
  IDC_CONFIG_SQLBUFFERSIZE = 1258,
  IDC_CONFIG_SQLBUFFERSIZE_SPIN = 1259,
};

constexpr char DCONFIG_BROWSE_TITLE[] = "Choose a Log File";
constexpr char DCONFIG_BROWSE_FILTER[] = "All (*.*)|*.*|Zarnak Logs (*.log)|*.log||";

// Who stores the values when the user presses Apply.
class DConfigOwner {
 public:
  virtual ~DConfigOwner() = default;
  virtual void savePreferences(DConfigSheet& sheet) = 0;
};

// A label of a page and the message that gives its text.
struct DConfigLabel {
  int controlId;
  int msgNum;
};

// A page of the sheet: its labels from messages, F1 on the sheet's help keyword, and a change
// of one of its fields marks it modified.
class DConfigPage : public zkui::PropertyPage {
 public:
  DConfigPage(int templateId, DConfigSheet& sheet, DConfigValues& values);

 protected:
  void onInitDialog() override;
  bool onNotify(const zkui::Notification& n) override;
  void onHelpInfo(int controlId) override;
  // The page's labels, ended by {0, 0}.
  virtual const DConfigLabel* labels() const = 0;
  // Whether a change of the control marks the page modified.
  virtual bool isField(int id) const = 0;
  void setSpinRange(int spinId, int min, int max);

  DConfigSheet& m_sheet;
  DConfigValues& m_values;
};

class DConfigGen : public DConfigPage {
 public:
  DConfigGen(DConfigSheet& sheet, DConfigValues& values)
      : DConfigPage(DCONFIG_GEN_TEMPLATE, sheet, values) {}

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  const DConfigLabel* labels() const override;
  bool isField(int id) const override;
};

class DConfigPerf : public DConfigPage {
 public:
  DConfigPerf(DConfigSheet& sheet, DConfigValues& values)
      : DConfigPage(DCONFIG_PERF_TEMPLATE, sheet, values) {}

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  const DConfigLabel* labels() const override;
  bool isField(int id) const override;
};

class DConfigLog : public DConfigPage {
 public:
  DConfigLog(DConfigSheet& sheet, DConfigValues& values)
      : DConfigPage(DCONFIG_LOG_TEMPLATE, sheet, values) {}
  // Empties the log file's edit and puts the focus there (a log file the owner refused).
  void clearLogFile();

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  const DConfigLabel* labels() const override;
  bool isField(int id) const override;

 private:
  void browse();
  void togglePrune();
  void pruneNow();
  void enablePruneControls();
};

class DConfigReg : public DConfigPage {
 public:
  DConfigReg(DConfigSheet& sheet, DConfigValues& values)
      : DConfigPage(DCONFIG_REG_TEMPLATE, sheet, values) {}

 protected:
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  const DConfigLabel* labels() const override;
  bool isField(int) const override { return false; }
};

// The values and the pages of a sheet: made before the sheet and gone after it, whose
// destructor still reaches its pages.
struct DConfigSheetParts {
  DConfigSheetParts(DConfigSheet& sheet, const DConfigValues& values)
      : m_values(values),
        m_gen(sheet, m_values),
        m_perf(sheet, m_values),
        m_log(sheet, m_values),
        m_reg(sheet, m_values) {}

  DConfigValues m_values;
  DConfigGen m_gen;
  DConfigPerf m_perf;
  DConfigLog m_log;
  DConfigReg m_reg;
};

class DConfigSheet : private DConfigSheetParts, public zkui::PropertySheet {
 public:
  // The owner (may be null) stores on Apply; `configFile` is where pruning at once keeps the
  // new date and where a log file is first looked for.
  DConfigSheet(const std::string& caption, DConfigOwner* ownerP, wxWindow* parentP,
               const DConfigValues& values, const std::string& configFile, int startPage = 0);

  DConfigValues& values() { return m_values; }
  const std::string& configFile() const { return m_configFile; }
  DConfigLog& logPage() { return m_log; }
  // Gives the sheet's window its tab titles and the owner's Apply, once per window.
  void prepareWindow();

 private:
  void pressApply();

  DConfigOwner* m_ownerP;
  std::string m_configFile;
  wxWindow* m_preparedP = nullptr;
};
