// The application of the windowed program zarnaksql: loads its resource library
// (zarnaksqlgeng.zrc beside the program), builds the engine's process-wide services in the
// engine's order (ciStartUp), makes the application's image list, the main frame and the root
// controller's wiring, opens the backup databases window, and frees the services at the end
// (ciCleanUp). A start-up failure that must stop the program ends it with its code: 700
// without the resource library, 400 without the message repository, 421 without memory, the
// first failure of the preferences, command line and log settings, or the storage-manager
// interface's code.
//
// User-interface thread only. The one object lives for the whole run (instance()); tests make
// their own and turn the process end off (setEndProcessOnExit), so that an exit only records
// its code.
#pragma once

#include <wx/imaglist.h>

#include <memory>
#include <optional>
#include <string>

#include "dapp.h"
#include "dappctl.h"
#include "dguiopts.h"
#include "frame.h"
#include "optinfo.h"
#include "profile.h"

class DMainFrame;

constexpr char DSQLGUI_BUNDLE_NAME[] = "zarnaksqlgeng.zrc";
constexpr char DSQLGUI_CAPTION[] = "Zarnak for SQL Server";
constexpr char DSQLGUI_PROFILE_NAME[] = "zarnaksql.ini";
constexpr int DSQLGUI_RC_NO_RESOURCES = 700;
constexpr int DSQLGUI_RC_NO_REPOSITORY = 400;
constexpr int DSQLGUI_IMAGE_COUNT = 10;
extern const int DSQLGUI_IMAGE_IDS[DSQLGUI_IMAGE_COUNT];

// The storage-manager password callback of the windowed program (dpasswd.cpp): any thread;
// reason 52 (expired) shows message 257 and asks for a new password twice, any other reason
// asks for the password, both through the main window. 0 with a password in the output, 101
// when it stays empty.
int guiPasswordCallback(int reason, int passwordAccess, const char* currentPwP,
                        const char* nodeNameP, char* outputP, int outputSize,
                        const char* storedPwP);

// The application's pictures (the image list of the trees and the lists' check pictures); null
// while the application registered with the controllers is not a DSqlGuiApp.
wxImageList* applicationImages();

class DSqlGuiApp : public DApplication {
 public:
  DSqlGuiApp() = default;
  ~DSqlGuiApp() override;
  static DSqlGuiApp& instance();

  // Where the resource library is read (default: beside the program).
  void setBundlePath(const std::string& path) { m_bundlePath = path; }
  // Whether the splash window shows at start (default: yes).
  void setShowSplash(bool show) { m_showSplash = show; }

  // True to run the message loop; false ends the program (exitCode() then tells with what).
  bool initInstance(int argc, char** argv);
  // Runs the clean-up; the exit code.
  int exitInstance();
  // Clean-up, then the end of the program with the reply's result.
  void exitApplication(DInformReply reply) { ciExit(static_cast<int>(reply.getResult())); }
  int ciStartUp() override;
  void ciCleanUp() override;
  DRootController* getRootController() { return m_rootP; }
  uint16_t handleInform(DInformMsg msg) { return msg.getMessage(); }

  DMainFrame* mainFrame() const { return m_frameP; }
  wxImageList& imageList() { return m_imageList; }
  zkui::Profile* profile() const { return m_profileP.get(); }

 private:
  bool loadResources();
  void pumpMessages();
  std::string chooseConfigFile(const OptionsInfo& firstPass) const;
  void reportStartUpFailure(int rc);
  void setUpLog(int* logCodeP);
  void pruneLog();
  int startStorage();
  void readStoredLogin();
  bool makeWindows();

  int m_argc = 0;
  char** m_argv = nullptr;
  std::string m_bundlePath;
  bool m_showSplash = true;
  std::string m_agentDir;
  int m_agentDirRc = 0;
  std::string m_configFile;
  std::string m_configuredLogFile;  // LOGFile as the preferences hold it
  std::string m_configuredLogPath;  // the same joined with the log directory
  std::string m_lastPruneDate;      // LastPruneDate as the preferences hold it
  std::string m_logDir;
  int m_traceRc = 0;
  int m_logCode = 0;
  bool m_servicesUp = false;
  bool m_cleanedUp = false;
  std::unique_ptr<zkui::Profile> m_profileP;
  wxImageList m_imageList;
  DMainFrame* m_frameP = nullptr;
  DRootController* m_rootP = nullptr;
};
