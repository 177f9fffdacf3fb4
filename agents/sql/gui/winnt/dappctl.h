// The application controller, the frame controller, the root controller and the window
// controllers' wiring, behind view interfaces so that the wiring is tested without windows.
//
// The chain in a running program: each page, tab view and tree view of a window holds its
// window's controller (backup, restore or inactivate); those have the frame controller as
// parent; the frame controller has the root controller as parent; the root has none. The root
// answers INFORM_DO_COMMAND through the command runner and any other id with 419.
//
// The program-wide pointers (frame, backup, restore and inactivate controllers, application,
// main frame) are statics of DApplicationController, set and read on the user-interface thread
// only.
#pragma once

#include <cstdint>
#include <string>

#include "dcontrol.h"
#include "dtreectrl.h"

// Window kinds, also the main frame's page numbers and the tab indexes.
enum DFrameKind : int {
  FRAME_BACKUP = 0,
  FRAME_BACKUP_GF = 1,
  FRAME_RESTORE = 2,
  FRAME_RESTORE_GF = 3,
  FRAME_INACTIVATE = 4,
  FRAME_KIND_COUNT = 5,
};

// What the main frame's creators answer.
enum DFrameCreated : int { DFRAME_EXISTED = 0, DFRAME_CREATED = 1, DFRAME_FAILED = -1 };

class DApplicationController;
class DFrameController;
class DBackupController;
class DRestoreController;
class DInactivateController;

// A part of a window that reports to a controller: a page, a tab view or a tree view.
class DControlledView {
 public:
  virtual ~DControlledView() = default;
  virtual DController* setController(DController* controllerP) {
    return m_controllerP = controllerP;
  }
  DController* getController() const { return m_controllerP; }

 private:
  DController* m_controllerP = nullptr;
};

// One of the five windows of the main frame, with its parts (none may be missing while the
// window is being built: null parts are passed over by the wiring).
class DChildFrameView : public DControlledView {
 public:
  virtual DControlledView* treeView() = 0;
  virtual DControlledView* tabView() = 0;
  virtual DControlledView* page() = 0;  // the page that the tab view holds
};

// What the controllers use of the main frame.
class DMainFrameView {
 public:
  virtual ~DMainFrameView() = default;
  // Brings the window of the kind up: DFRAME_CREATED when it had to be made, DFRAME_EXISTED
  // when it was there, DFRAME_FAILED (reported to the user) when it could not be made.
  virtual int createFrame(int kind) = 0;
  // The window of the kind, or null when it has not been made.
  virtual DChildFrameView* getFrame(int kind) = 0;
  virtual void setController(DApplicationController* controllerP) = 0;
};

// Runs the command of an INFORM_DO_COMMAND and answers when it has ended: 0, or the failure to
// run it. The program's runner is DCommandWorker (dcmdworker.h: the records of the commands,
// the worker thread and the progress dialog); tests plug in their own.
class DCommandRunner {
 public:
  virtual ~DCommandRunner() = default;
  virtual uint32_t runCommand(commandInfo* infoP) = 0;
};

class DApplication;
class DTreeView;

class DApplicationController : public DController {
 public:
  explicit DApplicationController(DController* parentP) : DController(parentP) {}

  // 1000: doCommand's code; any other id: 419.
  DInformReply cgListenToInforms(DInformMsg msg) override;

  // Has the main frame bring up the window of the kind and, when it was made, wires its views
  // to their controller: the wiring's result (1 wired, 0 nothing to wire). 0 when the window
  // existed, DFRAME_FAILED when it could not be made (nothing is wired); any other kind shows
  // the box "error" and answers its result, creating nothing.
  int openView(int kind);
  // The frame controller, child of this controller, handed to the main frame.
  void makeFrameController();
  // Wire the window of the kind (0/1 database and groups/files window; 0/1 likewise for the
  // restore windows) to its controller, made on first use with the frame controller as parent.
  // 1 when the window's page got the controller, 0 when there was nothing to wire.
  int makeBackupController(int which);
  int makeRestoreController(int which);
  int makeInactivateController();
  // Deletes the frame, backup, restore and inactivate controllers, each when set, and clears
  // the pointers.
  static void deleteControllers();

  // Runs the command through the command runner; 419 when none is set.
  uint32_t doCommand(commandInfo* infoP);

  // The first items of a tree: one root item per entry of its m_treeStart, in list order, each
  // entry keeping its item; the last one shows an expand button. 0, or 421 when an item could
  // not be added (the entries before it stay).
  static int cgTVInit(DTreeView* viewP);
  // Adds an item under `parent` (null: a root item) with a record of the view's node list that
  // holds the parent, kind, image and label and refers to the controller's data without owning
  // it. The item, or null when nothing could be added.
  static HTREEITEM cgAddSqlTreeItem(HTREEITEM parent, DTreeView* viewP, const std::string& label,
                                    int kind, int hasChildren, int image);

  static DFrameController* getFrameController() { return c_frameControllerP; }
  static DBackupController* getBackupController() { return c_backupControllerP; }
  static DRestoreController* getRestoreController() { return c_restoreControllerP; }
  static DInactivateController* getInactivateController() { return c_inactivateControllerP; }
  static DApplication* getApplication() { return c_applicationP; }
  static DApplication* setApplication(DApplication* appP) { return c_applicationP = appP; }
  static DMainFrameView* getMainFrame() { return c_mainFrameP; }
  static DMainFrameView* setMainFrame(DMainFrameView* frameP) { return c_mainFrameP = frameP; }
  static DCommandRunner* getCommandRunner() { return c_runnerP; }
  static DCommandRunner* setCommandRunner(DCommandRunner* runnerP) { return c_runnerP = runnerP; }

 protected:
  // Message 0 is answered at once with 0; any other goes to the parent, whose answer is
  // answered (0, traced, without a parent). The frame and inactivate controllers answer so.
  DInformReply forwardToParent(DInformMsg msg);

 private:
  static DFrameController* c_frameControllerP;
  static DBackupController* c_backupControllerP;
  static DRestoreController* c_restoreControllerP;
  static DInactivateController* c_inactivateControllerP;
  static DApplication* c_applicationP;
  static DMainFrameView* c_mainFrameP;
  static DCommandRunner* c_runnerP;
};

// Joins the window controllers to the root: forwards every message but 0 to its parent.
class DFrameController : public DApplicationController {
 public:
  DFrameController() : DApplicationController(nullptr) {}
  explicit DFrameController(DController* parentP) : DApplicationController(parentP) {}
  // 0: answered at once with 0. Others: the parent's answer; 0 (traced) without a parent.
  DInformReply cgListenToInforms(DInformMsg msg) override;
};

// The base of the window controllers: what they do not answer themselves goes to the parent
// (the frame controller), never to a command of their own.
class DWindowController : public DApplicationController {
 public:
  DWindowController() : DApplicationController(nullptr) {}
  explicit DWindowController(DController* parentP) : DApplicationController(parentP) {}
  DInformReply cgListenToInforms(DInformMsg msg) override {
    return DController::cgListenToInforms(msg);
  }
};

// The parts of one window as its controller knows them.
struct DWindowParts {
  DChildFrameView* frameP = nullptr;
  DControlledView* treeViewP = nullptr;
  DControlledView* tabViewP = nullptr;
  DControlledView* pageP = nullptr;
};

// The base of the controllers of two windows, a database window (0) and a groups/files
// window (1), with the setters of each window's parts.
class DTwoWindowController : public DWindowController {
 public:
  using DWindowController::DWindowController;
  void setFrame(DChildFrameView* p) { m_parts[0].frameP = p; }
  void setGFFrame(DChildFrameView* p) { m_parts[1].frameP = p; }
  void setTreeView(DControlledView* p) { m_parts[0].treeViewP = p; }
  void setGFTreeView(DControlledView* p) { m_parts[1].treeViewP = p; }
  void setTabView(DControlledView* p) { m_parts[0].tabViewP = p; }
  void setGFTabView(DControlledView* p) { m_parts[1].tabViewP = p; }
  void setPage(DControlledView* p) { m_parts[0].pageP = p; }
  void setGFPage(DControlledView* p) { m_parts[1].pageP = p; }
  DControlledView* getTreeView() const { return m_parts[0].treeViewP; }
  DControlledView* getGFTreeView() const { return m_parts[1].treeViewP; }
  const DWindowParts& parts(int which) const { return m_parts[which == 1 ? 1 : 0]; }

 private:
  DWindowParts m_parts[2];
};

// The controller of the backup windows: dbkctl.h.

// The controller of the inactivate window: dinactctl.h.

// The root of the chain: one object for the whole run, without a parent.
class DRootController : public DApplicationController {
 public:
  DRootController() : DApplicationController(nullptr) {}
  ~DRootController() override = default;
};

// The process's one root controller.
DRootController& theRootController();
