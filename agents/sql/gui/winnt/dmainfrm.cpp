#include "dmainfrm.h"

#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/toolbar.h>

#include <cstring>

#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "daboutdlg.h"
#include "daboutsrv.h"
#include "dmsgbox.h"
#include "dpasswd.h"
#include "dplacement.h"
#include "dsplash.h"
#include "dsqlguiapp.h"
#include "dsqlinfo.h"
#include "dsqllogin.h"
#include "erifunc.h"
#include "help.h"
#include "menus.h"
#include "objinfo.h"
#include "optinfo.h"
#include "psutil.h"

namespace {

enum : int { MSG_HELP_KEY = 5707, MSG_NO_INSTALL_DIR = 266, MSG_CONFIG_CAPTION = 5713 };

constexpr char kHelpFile[] = "zarnaksql.hlp";
constexpr char kHelpContents[] = "doc/zarnaksql.chm";

constexpr char kDefaultConfigName[] = "zarnaksql.cfg";

DChildFrameFactory gFactories[FRAME_KIND_COUNT];

// The configuration file's name without its folder, for the sheet's caption.
std::string configFileName(const std::string& path) {
  if (path.empty()) return kDefaultConfigName;
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos || cut + 1 == path.size()) return path;
  return path.substr(cut + 1);
}

DChildFrame* makePlaceholder(wxWindow* parentP, int kind, const std::string& title) {
  return new DChildFrame(parentP, kind, title);
}

}  // namespace

const char* childFrameTitle(int kind) {
  static const char* const kTitles[FRAME_KIND_COUNT] = {"Backup Databases", "Backup Groups/Files",
                                                        "Restore Databases", "Restore Groups/Files",
                                                        "Inactivate"};
  return kind >= 0 && kind < FRAME_KIND_COUNT ? kTitles[kind] : "";
}

DChildFrame::DChildFrame(wxWindow* parentP, int kind, const std::string& title)
    : DChildFrame(parentP, kind, title, true) {}

DChildFrame::DChildFrame(wxWindow* parentP, int kind, const std::string& title, bool placeholder)
    : wxPanel(parentP, wxID_ANY), m_kind(kind), m_title(title) {
  SetName(title);
  if (placeholder) makePlaceholderPage();
}

bool DChildFrame::makePlaceholderPage() {
  auto pageP = std::make_unique<DFciDialog>(DPLACEHOLDER_TEMPLATE_ID, this);
  if (pageP->create() != 0) return false;
  pageP->setItemText(DPLACEHOLDER_TITLE_ID, m_title);
  m_pageP = std::move(pageP);
  layoutPage();
  return true;
}

void DChildFrame::layoutPage() {
  if (m_pageP && m_pageP->window() != nullptr) m_pageP->window()->SetSize(GetClientSize());
}

void DMainFrame::setChildFrameFactory(int kind, DChildFrameFactory factory) {
  if (kind >= 0 && kind < FRAME_KIND_COUNT) gFactories[kind] = std::move(factory);
}

DMainFrame::DMainFrame(OptionsInfo* optionsP, zkui::Profile* profileP)
    : m_optionsP(optionsP), m_profileP(profileP) {}

DMainFrame::~DMainFrame() {
  savePlacement();
  m_trackerP.reset();
  if (DApplicationController::getMainFrame() == this) DApplicationController::setMainFrame(nullptr);
}

bool DMainFrame::create(const std::string& title) {
  std::shared_ptr<const zkui::ResourceBundle> bundle = zkui::currentResources();
  if (!bundle) return false;
  if (!wxFrame::Create(nullptr, wxID_ANY, title)) return false;
  m_trackerP = std::make_unique<zkui::PlacementTracker>(this);
  ShowSplashScreen(this);
  wxMenuBar* menuBarP = zkui::makeMenuBar(*bundle, DMAINFRAME_MENU_ID);
  if (menuBarP == nullptr) return false;
  SetMenuBar(menuBarP);
  wxToolBar* toolBarP = zkui::makeToolBar(this, *bundle, DMAINFRAME_TOOLBAR_ID);
  if (toolBarP == nullptr) return false;
  SetToolBar(toolBarP);
  CreateStatusBar(1);
  m_cardsP = new zkui::CardStack(this);
  Bind(wxEVT_CLOSE_WINDOW, &DMainFrame::onClose, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    CallAfter([this] { showFramePage(m_currentPage); });
  });
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onSqlLogin(); }, ID_SQL_LOGIN);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onSqlServerInfo(); }, ID_SQL_SERVER_INFO);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onConfiguration(); }, ID_CONFIGURATION);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onAboutStorageServer(); }, ID_ABOUT_STORAGE_SERVER);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onAbout(); }, ID_APP_ABOUT);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onChangePassword(); }, ID_CHANGE_PASSWORD);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onToggleInactivateTab(); }, ID_TOGGLE_INACTIVATE_TAB);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onViewRefresh(); }, ID_VIEW_REFRESH);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onHelpContents(); }, ID_HELP_CONTENTS);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { onHelpKey(); }, ID_HELP_KEY);
  Bind(
      wxEVT_MENU,
      [](wxCommandEvent&) {
        zkui::help({kHelpFile, zkui::HelpCommand::Contents, 0, ""});
      },
      ID_HELP_INDEX);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, ID_APP_EXIT);
  Bind(
      wxEVT_UPDATE_UI,
      [this](wxUpdateUIEvent& e) {
        e.Check(m_showInactivateTab);
        e.Enable(m_currentPage != FRAME_INACTIVATE);
      },
      ID_TOGGLE_INACTIVATE_TAB);
  return true;
}

void DMainFrame::activateFrame() {
  if (!m_firstActivation) {
    Show();
    Raise();
    return;
  }
  m_firstActivation = false;
  zkui::WindowPlacement placement = loadPlacement(*m_profileP, zkui::screenArea());
  m_trackerP->apply(placement);
  Show();
}

int DMainFrame::createFrame(int kind) {
  if (kind < 0 || kind >= FRAME_KIND_COUNT || m_cardsP == nullptr) return DFRAME_FAILED;
  bool created = false;
  DChildFrame* frameP = m_frames[kind];
  if (frameP == nullptr) {
    const DChildFrameFactory& factory = gFactories[kind];
    frameP = factory ? factory(m_cardsP, kind, childFrameTitle(kind))
                     : makePlaceholder(m_cardsP, kind, childFrameTitle(kind));
    if (frameP == nullptr || frameP->page() == nullptr) {
      if (frameP != nullptr) frameP->Destroy();
      std::string text = std::string(childFrameTitle(kind)) + " create failed";
      showMessageBox(text.c_str(), DMSG_ERROR, nullptr);
      return DFRAME_FAILED;
    }
    m_cardsP->addCard(frameP, false);
    m_frames[kind] = frameP;
    created = true;
  }
  if (m_cardsP->active() != frameP) m_cardsP->activate(frameP);
  if (kind != FRAME_INACTIVATE) frameP->setShowInactivateTab(m_showInactivateTab);
  m_currentPage = kind;
  showFramePage(kind);
  return created ? DFRAME_CREATED : DFRAME_EXISTED;
}

DChildFrameView* DMainFrame::getFrame(int kind) {
  return childFrame(kind);
}

DChildFrame* DMainFrame::childFrame(int kind) const {
  return kind >= 0 && kind < FRAME_KIND_COUNT ? m_frames[kind] : nullptr;
}

void DMainFrame::showFramePage(int page) {
  DChildFrame* frameP = childFrame(page);
  if (frameP == nullptr || m_cardsP == nullptr) return;
  m_cardsP->SetSize(GetClientSize());
  frameP->SetSize(m_cardsP->GetClientSize());
  frameP->layoutPage();
  frameP->Refresh();
}

void DMainFrame::savePlacement() {
  if (m_placementSaved || !m_trackerP || m_profileP == nullptr || m_firstActivation) return;
  m_placementSaved = true;
  storePlacement(*m_profileP, m_trackerP->placement());
}

void DMainFrame::onClose(wxCloseEvent& event) {
  savePlacement();
  event.Skip();
}

void DMainFrame::onSqlLogin() {
  showSqlLoginDialog(m_optionsP);
}

void DMainFrame::onChangePassword() {
  static_assert(sizeof m_optionsP->szHublorPassword == DPASSWORD_BUFFER_SIZE);
  DPasswordChange change(m_optionsP->szHublorPassword, m_optionsP->szHublorOptFile, this);
  change.doModal();
}

void DMainFrame::onPasswordRequest(int request, char* bufferP, int bufferSize) {
  runPasswordDialog(request, this, bufferP, bufferSize);
}

void DMainFrame::onSqlServerInfo() {
  DSqlInfo info(this);
  info.doModal();
}

void DMainFrame::onConfiguration() {
  std::string configFile = m_optionsP->szConfigFile;
  std::string caption = messageText(MSG_CONFIG_CAPTION, configFileName(configFile).c_str());
  CPreferences preferences(configFile.c_str());
  DConfigValues values = readConfiguration(preferences);
  m_lastShownLogFile = values.logFile;
  DConfigSheet sheet(caption, this, this, values, configFile);
  if (sheet.doModal() != zkui::kIdOk) return;
  storePreferences(sheet.values(), *m_optionsP, preferences, m_lastShownLogFile);
}

void DMainFrame::savePreferences(DConfigSheet& sheet) {
  CPreferences preferences(m_optionsP->szConfigFile);
  DConfigStoreResult result =
      storePreferences(sheet.values(), *m_optionsP, preferences, m_lastShownLogFile);
  if (result.logFileRefused) {
    sheet.logPage().clearLogFile();
    return;
  }
  // The log file now in use is the one OK compares with.
  m_lastShownLogFile = sheet.values().logFile;
}

int DMainFrame::onAboutStorageServer() {
  DServerQuery query = {eriQueryMoxtarServer, m_optionsP->szHublorPassword,
                        m_optionsP->szHublorOptFile, guiPasswordCallback, showErrorBox};
  DAboutMoxtarServerDlg dialog(this, query);
  return dialog.runDialog();
}

void DMainFrame::onAbout() {
  const uint16_t* v = OBJINFO_AGENT_VERSION;
  char version[64] = "";
  snprintf(version, sizeof version, "(%u.%u.%u.%.*u)", unsigned(v[0]), unsigned(v[1]),
           unsigned(v[2]), 1, unsigned(v[3]));
  DAboutDlg about;
  about.setBitmapId(DABOUT_BITMAP_ID);
  about.setLine1Text(version);
  about.setLine2Text("");
  about.setLine1Pos(115, 252);
  about.setLine2Pos(70, 270);
  about.setTimeout(0);
  about.doModal();
}

void DMainFrame::onToggleInactivateTab() {
  m_showInactivateTab = !m_showInactivateTab;
  if (wxMenuBar* barP = GetMenuBar()) {
    if (barP->FindItem(ID_TOGGLE_INACTIVATE_TAB) != nullptr) {
      barP->Check(ID_TOGGLE_INACTIVATE_TAB, m_showInactivateTab);
    }
  }
  DChildFrame* activeP = childFrame(m_currentPage);
  if (activeP != nullptr && m_currentPage != FRAME_INACTIVATE) {
    activeP->setShowInactivateTab(m_showInactivateTab);
  }
}

void DMainFrame::onViewRefresh() {
  if (m_currentPage < 0 || m_currentPage >= FRAME_KIND_COUNT) {
    TRACE_LINE(TRC_GUI, "Invalid nFramePage in DMainFrame\n");
    return;
  }
  if (DChildFrame* frameP = childFrame(m_currentPage)) frameP->refreshView();
}

void DMainFrame::onHelpContents() {
  char dir[1025] = "";
  if (psGetAgentDir(dir, sizeof dir) != RC_OK || dir[0] == '\0') {
    showMessageNumber(MSG_NO_INSTALL_DIR, DMSG_ERROR, nullptr);
    return;
  }
  // The parent of the agent directory holds the documentation.
  std::string path = dir;
  if (!path.empty() && path.back() == '/') path.pop_back();
  size_t slash = path.rfind('/');
  path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  zkui::help({path + kHelpContents, zkui::HelpCommand::Contents, 0, ""});
}

void DMainFrame::onHelpKey() {
  zkui::help({kHelpFile, zkui::HelpCommand::Key, 0, messageText(MSG_HELP_KEY)});
}
