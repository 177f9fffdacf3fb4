#include "dsqlguiapp.h"

#include <unistd.h>
#include <wx/app.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "agtlog.h"
#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "dateutil.h"
#include "dbkwin.h"
#include "dcmdworker.h"
#include "dconfigstore.h"
#include "dinactwin.h"
#include "dmainfrm.h"
#include "dmsgbox.h"
#include "drestsetdlg.h"
#include "drestwin.h"
#include "dsplash.h"
#include "dsqlaccess.h"
#include "dsqllogstore.h"
#include "errormsg.h"
#include "ffrc.h"
#include "guicmdline.h"
#include "msgbox.h"
#include "msgfile.h"
#include "msgout.h"
#include "msgrepo.h"
#include "nlsglob.h"
#include "pelkapid.h"
#include "psutil.h"
#include "resbundle.h"
#include "uiimage.h"

const int DSQLGUI_IMAGE_IDS[DSQLGUI_IMAGE_COUNT] = {141, 125, 126, 127, 129,
                                                    145, 139, 138, 123, 124};

namespace {

enum : int {
  MSG_TEXT = 1,
  MSG_UNKNOWN_OPTION = 104,
  MSG_NO_TRACE = 132,
  MSG_PRUNE_FAILED = 5056,
  MSG_PRUNED = 5057,
  MSG_LOG_NAME_TOO_LONG = 5058,
  MSG_LOG_NOT_OPENED = 5059,
  MSG_CAPTION = 5714,
  MSG_INIT_FAILED = 5716,
};

constexpr size_t kDirSize = 1025;
constexpr char kNeverPruned[] = "00/00/0000 00:00:00";
constexpr char kNoInstallDir[] =
    "\n\nZOV9999E Error: Could not locate installation directory.\nAttempting to continue...\n\n";

DPelkApiDL* gApiDLP = nullptr;  // also gPelkApiObjP
bool gApiInitialised = false;   // Init succeeded: Term is due before the clean-up
PelkSetupData gApiSetup{};      // alive for the run
DSqlGuiApp* gInstanceP = nullptr;

// Severity 0-4 and 8: information; 5-7: error.
const nlsOutputCallback kOutputs[NLS_NUM_SEVERITIES] = {
    showInformationBox, showInformationBox, showInformationBox,
    showInformationBox, showInformationBox, showErrorBox,
    showErrorBox,       showErrorBox,       showInformationBox};

// The windowed program drops trace lines when no trace file is open.
void dropTraceLine(const char*) {}

std::string programDir() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

wxImageList* applicationImages() {
  auto* appP = dynamic_cast<DSqlGuiApp*>(DApplicationController::getApplication());
  return appP != nullptr ? &appP->imageList() : nullptr;
}

DSqlGuiApp::~DSqlGuiApp() {
  if (gInstanceP == this) gInstanceP = nullptr;
}

DSqlGuiApp& DSqlGuiApp::instance() {
  static DSqlGuiApp app;
  gInstanceP = &app;
  return app;
}

void DSqlGuiApp::pumpMessages() {
  if (wxTheApp != nullptr) wxTheApp->Yield(true);
}

bool DSqlGuiApp::loadResources() {
  if (m_bundlePath.empty()) m_bundlePath = programDir() + "/" + DSQLGUI_BUNDLE_NAME;
  std::shared_ptr<const zkui::ResourceBundle> bundle;
  std::string why;
  if (zkui::ResourceBundle::load(m_bundlePath, bundle, &why) != zkui::kResOk) {
    fprintf(stderr, "zarnaksql: %s\n", why.c_str());
    char text[DMSG_TEXT_MAX + 1];
    snprintf(text, sizeof text, "Could not load resource DLL %s", m_bundlePath.c_str());
    zkui::messageBox(nullptr, text, DSQLGUI_CAPTION,
                     zkui::kMbOk | zkui::kMbIconStop | zkui::kMbTaskModal);
    return false;
  }
  zkui::setCurrentResources(bundle);
  return true;
}

bool DSqlGuiApp::initInstance(int argc, char** argv) {
  m_argc = argc;
  m_argv = argv;
  m_cleanedUp = false;
  if (!loadResources()) {
    exitApplication(DInformReply(DSQLGUI_RC_NO_RESOURCES));
    return false;
  }
  EnableSplashScreen(m_showSplash);
  ciStartUp();
  if (exited()) return false;
  if (!makeWindows()) {
    ciCleanUp();
    return false;
  }
  return true;
}

bool DSqlGuiApp::makeWindows() {
  std::shared_ptr<const zkui::ResourceBundle> bundle = zkui::currentResources();
  if (!m_imageList.Create(16, 16, true, 4)) {
    showMessageBox("Error creating image list\n", DMSG_ERROR, nullptr);
    return false;
  }
  for (int id : DSQLGUI_IMAGE_IDS) {
    wxBitmap bitmap = zkui::bundleBitmap(*bundle, id, true);
    if (bitmap.IsOk()) m_imageList.Add(bitmap);
  }
  std::string profileDir = m_agentDir.empty() ? std::string("./") : m_agentDir;
  m_profileP = std::make_unique<zkui::Profile>(profileDir + DSQLGUI_PROFILE_NAME);
  auto* frameP = new DMainFrame(&guiOptions(), m_profileP.get());
  if (!frameP->create(DSQLGUI_CAPTION)) {
    frameP->Destroy();
    return false;
  }
  m_frameP = frameP;
  wxBitmap icon = zkui::bundleBitmap(*bundle, DMAINFRAME_ICON_ID, true);
  if (icon.IsOk()) {
    wxIcon frameIcon;
    frameIcon.CopyFromBitmap(icon);
    frameP->SetIcon(frameIcon);
  }
  if (wxTheApp != nullptr) wxTheApp->SetTopWindow(frameP);
  frameP->activateFrame();
  DMainFrame::setChildFrameFactory(FRAME_BACKUP, makeBackupFrame);
  DMainFrame::setChildFrameFactory(FRAME_BACKUP_GF, makeBackupFrame);
  DMainFrame::setChildFrameFactory(FRAME_RESTORE, makeRestoreFrame);
  DMainFrame::setChildFrameFactory(FRAME_RESTORE_GF, makeRestoreFrame);
  DMainFrame::setChildFrameFactory(FRAME_INACTIVATE, makeInactivateFrame);
  m_rootP = &theRootController();
  DApplicationController::setApplication(this);
  DApplicationController::setMainFrame(frameP);
  frameP->EnableCloseButton(false);
  frameP->setReady(false);
  m_rootP->makeFrameController();
  DApplicationController::setCommandRunner(&theCommandWorker());
  DRestoreController::setSettingsDialogs(&theRestoreSettingsDialogs());
  m_rootP->openView(FRAME_BACKUP);
  frameP->EnableCloseButton(true);
  frameP->setReady(true);
  return true;
}

int DSqlGuiApp::exitInstance() {
  ciCleanUp();
  zkui::setCurrentResources(nullptr);
  return exited() ? exitCode() : 0;
}

std::string DSqlGuiApp::chooseConfigFile(const OptionsInfo& firstPass) const {
  std::string given = firstPass.szConfigFile;
  if (given.empty()) {
    char path[kDirSize] = "";
    psGetAgentConfig(path, sizeof path);
    return path;
  }
  return joinAgentPath(m_agentDir, given, nullptr);
}

int DSqlGuiApp::ciStartUp() {
  TRACE_ENTRY(TRC_GUI, "DSqlGuiApp::ciStartUp");
  OptionsInfo& o = guiOptions();
  nlsSetup(kOutputs);
  optSetAgentDirRtn(psGetAgentDir);
  gTraceEchoP = dropTraceLine;
  m_servicesUp = true;
  // Only to find a configuration file named on the command line.
  auto firstPassP = std::make_unique<OptionsInfo>();
  if (initializeOptions(firstPassP.get()) == RC_OK)
    parseGuiCmdLine(m_argc, m_argv, firstPassP.get());
  pumpMessages();
  char dir[kDirSize] = "";
  m_agentDirRc = psGetAgentDir(dir, sizeof dir);
  m_agentDir = dir;
  if (m_agentDirRc != RC_OK) showMessageBox(kNoInstallDir, DMSG_INFORMATION, nullptr);
  m_configFile = chooseConfigFile(*firstPassP);

  Ffrc rc;
  rc = initializeOptions(&o);
  if (rc == RC_OK) {
    CPreferences preferences(m_configFile.c_str());
    preferences.getAllPreferences(&o, 1);
    char value[PREF_VALUE_SIZE] = "";
    preferences.getPreferences(PREF_LOGFILE, value, sizeof value, nullptr, 1);
    m_configuredLogFile = value;
    value[0] = '\0';
    preferences.getPreferences(PREF_LASTPRUNEDATE, value, sizeof value, nullptr, 1);
    m_lastPruneDate = value;
  }
  pumpMessages();
  if (NLInit("AMENG", 10, o.bPick != 0 ? 1 : 0, o.nDateFormat, o.nTimeFormat, o.nNumberFormat) !=
      RC_OK) {
    exitApplication(DInformReply(DSQLGUI_RC_NO_REPOSITORY));
    TRACE_RETURN(DSQLGUI_RC_NO_REPOSITORY);
  }
  pumpMessages();
  char caption[DMSG_TEXT_MAX + 1] = "";
  nlsprintf(caption, sizeof caption, MSG_CAPTION);
  setDefaultCaption(caption);
  if (rc == RC_OK) rc = parseGuiCmdLine(m_argc, m_argv, &o);
  if (o.szConfigFile[0] == '\0') {
    snprintf(o.szConfigFile, sizeof o.szConfigFile, "%s", m_configFile.c_str());
  }
  if (rc == RC_OK) {
    m_traceRc = gTrace.open(o.szTraceFile);
    TRACE_LINE(TRC_GUI,
               "SQL App. Client Initialization Info:\n  agent directory rc: %d\n  agent path: %s\n"
               "  configuration file: %s\n  trace file: %s\n",
               m_agentDirRc, m_agentDir.c_str(), o.szConfigFile, o.szTraceFile);
  }
  if (rc == RC_OK) {
    CLog* logP = new (std::nothrow) CLog();
    if (logP == nullptr) {
      TRACE_LINE(TRC_GUI, "Insufficient memory, new( CLog ) failed\n");
      showMessageNumber(5, DMSG_ERROR, nullptr);
      exitApplication(DInformReply(RC_NO_MEMORY));
      TRACE_RETURN(RC_NO_MEMORY);
    }
    setActivityLog(logP);
    setUpLog(&m_logCode);
  }
  if (rc == RC_OK) rc = gLogP->SetRetentionDays(o.nLogPrune);
  if (rc == RC_OK) {
    bool configuredLog = o.szLogFile == m_configuredLogPath;
    gLogP->SetLastPruned(configuredLog && o.bLogPruneSpecified != 1 ? m_lastPruneDate.c_str()
                                                                    : kNeverPruned);
  }
  pumpMessages();
  if (rc != RC_OK) {
    reportStartUpFailure(rc);
    exitApplication(DInformReply(rc));
    TRACE_RETURN(int(rc));
  }
  pumpMessages();
  if (m_traceRc != RC_OK) {
    char text[DMSG_TEXT_MAX + 1] = "";
    char more[DMSG_TEXT_MAX + 1] = "";
    nlsprintf(text, sizeof text, agentRcMessage(m_traceRc), o.szTraceFile);
    nlsprintf(more, sizeof more, MSG_NO_TRACE);
    std::string shown = std::string(text) + "\n" + more;
    showMessageBox(shown.c_str(), DMSG_INFORMATION, nullptr);
  }
  if (m_logCode == RC_OK && o.nLogPrune != -1) pruneLog();
  pumpMessages();
  int storageRc = startStorage();
  if (storageRc != RC_OK) {
    exitApplication(DInformReply(storageRc));
    TRACE_RETURN(storageRc);
  }
  pumpMessages();
  // The stored login first, so that the access object logs on with it.
  readStoredLogin();
  pumpMessages();
  int sqlRc = createSqlAccess(o);
  if (sqlRc != RC_OK) TRACE_LINE(TRC_GUI, "The SQL Server access object failed, rc = %d\n", sqlRc);
  pumpMessages();
  TRACE_RETURN(RC_OK);
}

void DSqlGuiApp::setUpLog(int* logCodeP) {
  OptionsInfo& o = guiOptions();
  char dir[kDirSize] = "";
  psGetAgentLog(dir, sizeof dir);
  m_logDir = dir;
  bool tooLong = false;
  std::string path = joinAgentPath(m_logDir, o.szLogFile, &tooLong);
  if (tooLong) nlprintf(MSG_LOG_NAME_TOO_LONG, o.szLogFile);
  snprintf(o.szLogFile, sizeof o.szLogFile, "%s", path.c_str());
  *logCodeP = gLogP->SetLogName(o.szLogFile);
  if (*logCodeP != RC_OK) nlprintf(MSG_LOG_NOT_OPENED, o.szLogFile);
  m_configuredLogPath = joinAgentPath(m_logDir, m_configuredLogFile, nullptr);
}

void DSqlGuiApp::reportStartUpFailure(int rc) {
  OptionsInfo& o = guiOptions();
  std::string text;
  int errorWord = 0;
  for (int i = 1; o.pszErrorArg != nullptr && i < m_argc && errorWord == 0; i++) {
    const char* wordP = m_argv[i];
    if (o.pszErrorArg >= wordP && o.pszErrorArg <= wordP + strlen(wordP)) errorWord = i;
  }
  char part[DMSG_TEXT_MAX + 1] = "";
  if (errorWord > 0) {
    nlsprintf(part, sizeof part, MSG_UNKNOWN_OPTION);
    text = std::string(part) + "\n";
    for (int i = 1; i <= errorWord; i++) {
      nlsprintf(part, sizeof part, MSG_TEXT, m_argv[i]);
      text += part;
      if (i < errorWord) text += " ";
    }
  } else {
    nlsprintf(part, sizeof part, agentRcMessage(rc), "");
    text = part;
  }
  if (!text.empty()) showMessageBox(text.c_str(), DMSG_ERROR, nullptr);
}

void DSqlGuiApp::pruneLog() {
  OptionsInfo& o = guiOptions();
  CPreferences preferences(o.szConfigFile);
  int rc = gLogP->PruneLogFile();
  bool configuredLog = o.szLogFile == m_configuredLogPath;
  if (rc == RC_OK && configuredLog) {
    agentDateTime pruned;
    rc = gLogP->GetLastPruned(&pruned);
    if (rc == RC_OK) {
      char text[DATE_TIME_TEXT_SIZE] = "";
      dateFormat(&pruned, text);
      preferences.setPreferences(PREF_LASTPRUNEDATE, text, nullptr);
    }
  }
  if (rc == RC_OK) {
    TRACE_LINE(TRC_GUI, "Activity log %s pruned (message %d)\n", o.szLogFile, MSG_PRUNED);
  } else if (rc != RC_LOG_OPEN_FOR_PRUNE_FAILED && rc != RC_LOG_PRUNE_NOT_DUE) {
    TRACE_LINE(TRC_GUI, "Activity log %s not pruned, rc = %d (message %d)\n", o.szLogFile, rc,
               MSG_PRUNE_FAILED);
  }
}

int DSqlGuiApp::startStorage() {
  OptionsInfo& o = guiOptions();
  DPelkApiStatus status;
  gApiDLP = new (std::nothrow)
      DPelkApiDL(o.szHublorNode, o.szHublorPassword, o.szHublorOptFile, guiPasswordCallback);
  int rc = gApiDLP == nullptr ? RC_NO_MEMORY : RC_OK;
  if (rc == RC_OK) {
    gPelkApiObjP = gApiDLP;
    rc = gApiDLP->Setup();
  }
  if (rc != RC_OK) {
    char text[DMSG_TEXT_MAX + 1] = "";
    nlsprintf(text, sizeof text, agentRcMessage(rc), "");
    showMessageBox(text, DMSG_ERROR, nullptr);
    return rc;
  }
  pelkApiVersion version;
  rc = gApiDLP->checkCompatibility(&status, &version);
  if (rc == RC_API_VERSION_TOO_OLD || rc == RC_API_LEVEL_TOO_OLD) {
    char required[32];
    snprintf(required, sizeof required, "%u.%u.%u", apiBuildVersion.version,
             apiBuildVersion.release, apiBuildVersion.level);
    char text[DMSG_TEXT_MAX + 1] = "";
    nlsprintf(text, sizeof text, agentRcMessage(rc), required);
    showMessageBox(text, DMSG_ERROR, nullptr);
  }
  if (rc != RC_OK) return rc;
  gApiSetup.optFileP = o.szHublorOptFile;
  gApiSetup.argv = m_argv;
  DPelkApi::SetSetupData(&gApiSetup);
  int errorKind = 0;
  rc = gApiDLP->Init(&status, &errorKind);
  if (rc != RC_OK) {
    char text[DMSG_TEXT_MAX + 1] = "";
    nlsprintf(text, sizeof text, MSG_INIT_FAILED, rc);
    showMessageBox(text, DMSG_ERROR, nullptr);
    return rc;
  }
  gApiInitialised = true;
  return rc;
}

void DSqlGuiApp::readStoredLogin() {
  OptionsInfo& o = guiOptions();
  if (o.enumSqlAuth != OPT_SQLAUTH_SQLUSERID) return;
  char user[SQL_USERID_SIZE] = "";
  char password[SQL_PASSWORD_SIZE] = "";
  int rc = getSqlAccountInfo(o.szSqlServer, user, password);
  if (rc == RC_OK) {
    snprintf(o.szSqlUser, sizeof o.szSqlUser, "%s", user);
    snprintf(o.szSqlPassword, sizeof o.szSqlPassword, "%s", password);
  } else {
    TRACE_LINE(TRC_GUI, "Unable to get SQL account information from the registry, rc = %d\n", rc);
  }
  memset(password, 0, sizeof password);
}

void DSqlGuiApp::ciCleanUp() {
  if (m_cleanedUp) return;
  m_cleanedUp = true;
  DApplicationController::deleteControllers();
  DApplicationController::setCommandRunner(nullptr);
  DRestoreController::setSettingsDialogs(nullptr);
  if (gApiDLP != nullptr) {
    DPelkApiStatus status;
    if (gApiInitialised) gApiDLP->Term(&status);
    gApiInitialised = false;
    gApiDLP->Cleanup();
    gPelkApiObjP = nullptr;
    delete gApiDLP;
    gApiDLP = nullptr;
  }
  freeSqlAccess();
  delete setActivityLog(nullptr);
  if (m_servicesUp) {
    gTrace.close();
    NLTerm();
    nlsCleanup();
    m_servicesUp = false;
  }
  DApplication::ciCleanUp();
}
