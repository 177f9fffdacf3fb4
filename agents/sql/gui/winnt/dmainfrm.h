// The windowed program's main window: menu bar, tool bar and status bar from the resource
// library, and a stack of the five windows in which the user works (backup databases, backup
// groups and files, restore databases, restore groups and files, inactivate), each made on its
// first request and kept until the program ends; the current one fills the client area. It
// restores its placement from the profile at its first activation and saves it when it closes,
// and carries the menu commands of the SQL Server login and information dialogs, the Inactivate
// tab option, refresh and help. User-interface thread only.
//
// The five windows are DChildFrame objects made by a factory per kind; until a window of its
// own is registered for a kind (setChildFrameFactory), the kind gets a plain placeholder page.
#pragma once

#include <wx/frame.h>
#include <wx/panel.h>

#include <functional>
#include <memory>
#include <string>

#include "dappctl.h"
#include "dconfig.h"
#include "dfcidlg.h"
#include "frame.h"
#include "profile.h"

struct OptionsInfo;

constexpr int DMAINFRAME_MENU_ID = 128;
constexpr int DMAINFRAME_TOOLBAR_ID = 128;
constexpr int DMAINFRAME_ICON_ID = 128;
constexpr int DPLACEHOLDER_TEMPLATE_ID = 600;
constexpr int DPLACEHOLDER_TITLE_ID = 601;

// Menu commands (the toolkit takes ids below 32768).
enum DMainFrameCommand : int {
  ID_HELP_CONTENTS = 20005,
  ID_HELP_KEY = 20052,
  ID_CHANGE_PASSWORD = 20055,
  ID_VIEW_REFRESH = 20056,
  ID_TOGGLE_INACTIVATE_TAB = 20064,
  ID_CONFIGURATION = 20065,
  ID_SQL_SERVER_INFO = 20066,
  ID_ABOUT_STORAGE_SERVER = 20067,
  ID_SQL_LOGIN = 20069,
  ID_HELP_INDEX = 20073,
  ID_APP_EXIT = 5006,   // the toolkit's exit command
  ID_APP_ABOUT = 5014,  // the toolkit's about command
};

// One of the five windows: a card of the main frame with its tree view, tab view and page.
class DChildFrame : public wxPanel, public DChildFrameView {
 public:
  DChildFrame(wxWindow* parentP, int kind, const std::string& title);
  int kind() const { return m_kind; }
  const std::string& title() const { return m_title; }

  DControlledView* treeView() override { return nullptr; }
  DControlledView* tabView() override { return nullptr; }
  DControlledView* page() override { return m_pageP.get(); }
  // Shows (true) or hides the Inactivate tab as fifth tab of a backup or restore window.
  virtual void setShowInactivateTab(bool show) { m_showInactivateTab = show; }
  bool showsInactivateTab() const { return m_showInactivateTab; }
  // Lays the page out after the window was moved or sized.
  virtual void layoutPage();
  // Builds the window's tree again through its controller.
  virtual void refreshView() {}

 protected:
  // A window that makes its own parts: no placeholder page.
  DChildFrame(wxWindow* parentP, int kind, const std::string& title, bool placeholder);
  // The placeholder page: template 600 with the window's title; false when it cannot be made.
  bool makePlaceholderPage();

 private:
  int m_kind;
  std::string m_title;
  bool m_showInactivateTab = false;
  std::unique_ptr<DFciDialog> m_pageP;
};

// Makes the window of a kind inside the card stack; null when it cannot be made.
using DChildFrameFactory =
    std::function<DChildFrame*(wxWindow* parentP, int kind, const std::string& title)>;

class DMainFrame : public wxFrame, public DMainFrameView, public DConfigOwner {
 public:
  // The options record and the profile must outlive the frame. The default placement is taken
  // from the layer's screen area (zkui::screenArea).
  DMainFrame(OptionsInfo* optionsP, zkui::Profile* profileP);
  ~DMainFrame() override;

  // Makes the window with its bars from the current resources; false when a part is missing.
  bool create(const std::string& title);
  // The first call gives the window its stored placement (or the default) and shows it; later
  // calls show and raise it.
  void activateFrame();

  int createFrame(int kind) override;
  DChildFrameView* getFrame(int kind) override;
  void setController(DApplicationController* controllerP) override { m_controllerP = controllerP; }
  DApplicationController* getController() const { return m_controllerP; }
  DChildFrame* childFrame(int kind) const;
  int currentPage() const { return m_currentPage; }
  bool showInactivateTab() const { return m_showInactivateTab; }
  // Fits the window of the page to the client area and lays its page out.
  void showFramePage(int page);
  // Set while the first window opens at start-up is done.
  bool ready() const { return m_ready; }
  void setReady(bool ready) { m_ready = ready; }
  // Writes the placement into the profile (also done when the window closes).
  void savePlacement();

  static void setChildFrameFactory(int kind, DChildFrameFactory factory);

  // The configuration sheet's Apply: stores its values while it stays open.
  void savePreferences(DConfigSheet& sheet) override;

  // The menu commands (public so that they can be run directly).
  void onSqlLogin();
  void onChangePassword();
  void onSqlServerInfo();
  // The configuration sheet over the configuration file; OK stores its values.
  void onConfiguration();
  // The storage-server information dialog; its result (the query's code when it failed).
  int onAboutStorageServer();
  void onAbout();
  void onToggleInactivateTab();
  void onViewRefresh();
  void onHelpContents();
  void onHelpKey();
  // A password request of the storage-manager client (dpasswd.h): shows the request's dialog
  // and fills the buffer.
  void onPasswordRequest(int request, char* bufferP, int bufferSize);

 private:
  void onClose(wxCloseEvent& event);

  OptionsInfo* m_optionsP;
  zkui::Profile* m_profileP;
  int m_currentPage = FRAME_BACKUP;
  bool m_showInactivateTab = false;
  bool m_firstActivation = true;
  bool m_ready = false;
  bool m_placementSaved = false;
  std::string m_lastShownLogFile;  // the log file as the configuration sheet showed it
  zkui::CardStack* m_cardsP = nullptr;
  DChildFrame* m_frames[FRAME_KIND_COUNT] = {};
  DApplicationController* m_controllerP = nullptr;
  std::unique_ptr<zkui::PlacementTracker> m_trackerP;
};

// The titles of the five windows.
const char* childFrameTitle(int kind);
