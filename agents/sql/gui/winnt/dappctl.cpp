#include "dappctl.h"

#include <cinttypes>
#include <new>

#include "agtrc.h"
#include "agttrc.h"
#include "dbkctl.h"
#include "dinactctl.h"
#include "dmsgbox.h"
#include "drestctl.h"

DFrameController* DApplicationController::c_frameControllerP = nullptr;
DBackupController* DApplicationController::c_backupControllerP = nullptr;
DRestoreController* DApplicationController::c_restoreControllerP = nullptr;
DInactivateController* DApplicationController::c_inactivateControllerP = nullptr;
DApplication* DApplicationController::c_applicationP = nullptr;
DMainFrameView* DApplicationController::c_mainFrameP = nullptr;
DCommandRunner* DApplicationController::c_runnerP = nullptr;

namespace {

uintptr_t addr(const void* p) {
  return reinterpret_cast<uintptr_t>(p);
}

// Gives each part of the window the controller and the controller its parts; 1 when the page
// got it.
template <class Controller, class SetFrame, class SetTree, class SetTab, class SetPage>
int wire(Controller* controllerP, DChildFrameView* frameP, SetFrame setFrame, SetTree setTree,
         SetTab setTab, SetPage setPage) {
  (controllerP->*setFrame)(frameP);
  frameP->setController(controllerP);
  DControlledView* treeP = frameP->treeView();
  (controllerP->*setTree)(treeP);
  if (treeP != nullptr) treeP->setController(controllerP);
  DControlledView* tabP = frameP->tabView();
  (controllerP->*setTab)(tabP);
  if (tabP != nullptr) tabP->setController(controllerP);
  DControlledView* pageP = frameP->page();
  (controllerP->*setPage)(pageP);
  if (pageP == nullptr) return 0;
  return pageP->setController(controllerP) != nullptr ? 1 : 0;
}

}  // namespace

DInformReply DApplicationController::cgListenToInforms(DInformMsg msg) {
  static const char* const kName = "DApplicationController::cgListenToInforms()";
  TRACE_LINE(TRC_GUI, "Enter %s\n  message: %d\n  dataP  : %#" PRIxPTR "\n", kName,
             msg.getMessage(), addr(msg.getData()));
  DInformReply reply(0);
  if (msg.getMessage() == INFORM_DO_COMMAND) {
    reply.setResult(doCommand(static_cast<commandInfo*>(msg.getData())));
  } else {
    TRACE_LINE(TRC_GUI,
               "An unknown message was received.\n  message: %d\n  dataP  : %#" PRIxPTR "\n",
               msg.getMessage(), addr(msg.getData()));
    reply.setResult(RC_INTERNAL_ERROR);
  }
  TRACE_LINE(TRC_GUI, "Exit %s, rc = %u\n", kName, reply.getResult());
  return reply;
}

int DApplicationController::openView(int kind) {
  if (kind < FRAME_BACKUP || kind > FRAME_INACTIVATE) {
    return showMessageBox("error", DMSG_ERROR, nullptr);
  }
  if (c_mainFrameP == nullptr) return DFRAME_FAILED;
  int created = c_mainFrameP->createFrame(kind);
  if (created == DFRAME_FAILED) return DFRAME_FAILED;
  if (created != DFRAME_CREATED) return 0;
  switch (kind) {
    case FRAME_BACKUP:
    case FRAME_BACKUP_GF:
      return makeBackupController(kind);
    case FRAME_RESTORE:
    case FRAME_RESTORE_GF:
      return makeRestoreController(kind - FRAME_RESTORE);
    default:
      return makeInactivateController();
  }
}

void DApplicationController::makeFrameController() {
  if (c_frameControllerP == nullptr) c_frameControllerP = new (std::nothrow) DFrameController(this);
  if (c_mainFrameP != nullptr) c_mainFrameP->setController(c_frameControllerP);
}

namespace {

// Wires window `which` (0 or 1) of a two-window kind to the controller, made on first use.
template <class Controller>
int wireTwoWindows(Controller*& controllerP, int which, int firstKind, DFrameController* parentP) {
  if (which != 0 && which != 1) return 0;
  DMainFrameView* mainP = DApplicationController::getMainFrame();
  DChildFrameView* frameP = mainP != nullptr ? mainP->getFrame(firstKind + which) : nullptr;
  if (frameP == nullptr) return 0;
  if (controllerP == nullptr) controllerP = new (std::nothrow) Controller(parentP);
  if (controllerP == nullptr) return 0;
  using C = DTwoWindowController;
  if (which == 0) {
    return wire(static_cast<C*>(controllerP), frameP, &C::setFrame, &C::setTreeView, &C::setTabView,
                &C::setPage);
  }
  return wire(static_cast<C*>(controllerP), frameP, &C::setGFFrame, &C::setGFTreeView,
              &C::setGFTabView, &C::setGFPage);
}

}  // namespace

int DApplicationController::makeBackupController(int which) {
  return wireTwoWindows(c_backupControllerP, which, FRAME_BACKUP, c_frameControllerP);
}

int DApplicationController::makeRestoreController(int which) {
  return wireTwoWindows(c_restoreControllerP, which, FRAME_RESTORE, c_frameControllerP);
}

int DApplicationController::makeInactivateController() {
  DChildFrameView* frameP =
      c_mainFrameP != nullptr ? c_mainFrameP->getFrame(FRAME_INACTIVATE) : nullptr;
  if (frameP == nullptr) return 0;
  if (c_inactivateControllerP == nullptr) {
    c_inactivateControllerP = new (std::nothrow) DInactivateController(c_frameControllerP);
  }
  if (c_inactivateControllerP == nullptr) return 0;
  using C = DInactivateController;
  return wire(c_inactivateControllerP, frameP, &C::setFrame, &C::setTreeView, &C::setTabView,
              &C::setPage);
}

void DApplicationController::deleteControllers() {
  delete c_frameControllerP;
  c_frameControllerP = nullptr;
  delete c_backupControllerP;
  c_backupControllerP = nullptr;
  delete c_restoreControllerP;
  c_restoreControllerP = nullptr;
  delete c_inactivateControllerP;
  c_inactivateControllerP = nullptr;
}

uint32_t DApplicationController::doCommand(commandInfo* infoP) {
  if (c_runnerP == nullptr) {
    TRACE_LINE(TRC_GUI, "No command runner: command %u not run\n",
               infoP != nullptr ? infoP->command : 0u);
    return RC_INTERNAL_ERROR;
  }
  return c_runnerP->runCommand(infoP);
}

DInformReply DApplicationController::forwardToParent(DInformMsg msg) {
  DInformReply reply(0);
  if (msg.getMessage() == INFORM_NONE) return reply;
  DController* parentP = getParent();
  if (parentP == nullptr) {
    TRACE_LINE(TRC_GUI, "Message %d not handled - no parent to frame controller\n",
               msg.getMessage());
    return reply;
  }
  DInformMsg forwarded(msg.getMessage(), msg.getData());
  reply.setResult(parentP->cgListenToInforms(forwarded).getResult());
  return reply;
}

DInformReply DFrameController::cgListenToInforms(DInformMsg msg) {
  return forwardToParent(msg);
}

DRootController& theRootController() {
  static DRootController root;
  return root;
}
