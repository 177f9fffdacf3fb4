#include "dmainfrm.h"

#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/toolbar.h>

#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "dmsgbox.h"
#include "dplacement.h"
#include "dsplash.h"
#include "dsqlinfo.h"
#include "dsqllogin.h"
#include "help.h"
#include "menus.h"
#include "psutil.h"

namespace {

enum : int { MSG_HELP_KEY = 5707, MSG_NO_INSTALL_DIR = 266 };

constexpr char kHelpFile[] = "zarnaksql.hlp";
constexpr char kHelpContents[] = "doc/zarnaksql.chm";

DChildFrameFactory gFactories[FRAME_KIND_COUNT];

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
    : wxPanel(parentP, wxID_ANY), m_kind(kind), m_title(title) {
  SetName(title);
  makePlaceholderPage();
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

void DMainFrame::onSqlServerInfo() {
  DSqlInfo info(this);
  info.doModal();
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
