// Dialogs made from a template of the current resource source (resbundle.h), by numeric id.
//
// A Dialog is a C++ object apart from its window, as the program's dialog classes expect: the
// object is made first (on the stack for a modal dialog, on the heap for a page), the window
// comes with doModal() or create() and may go before the object does (a page's window goes with
// its parent). window() is null while there is no window; the object's destructor destroys a
// window that is still there. Everything here runs on the user-interface thread; other threads
// reach a dialog through callTarget() and callOnUiThread (uicall.h), which returns at once
// when the dialog's window is gone.
//
// Template styles: a "child" template makes a borderless page inside its parent (a modeless
// page of a tab view or a card), any other a dialog box; "resizable" lets the user size it.
// Control ids are the template's ids, so control(id) finds them; ids 1 and 2 are the OK and
// Cancel commands.
//
// Keys and commands: a button, check box or radio button calls onCommand(id); Escape calls
// onCancel(); Enter, except in a multi-line edit or on a push button, calls onCommand with the
// default button's id (1 when none); the close box calls onClose(), which may veto by
// returning false. The defaults: onCommand(1) calls onOK(), onCommand(2) onCancel(); onOK()
// ends with 1 when updateData(true) succeeds; onCancel() ends with 2.
//
// Notifications: every other gesture on a control of the template (typing into an edit,
// leaving it, choosing a combo entry, clicks on trees and lists, expanding, selection, spin
// steps, picker changes) calls onNotify once with a record (notify.h).
//
// Help: F1 calls onHelpInfo with the id of the control that has the focus, a right click
// (the context menu) onContextMenu with the id of the control clicked; the template's id
// stands for the dialog itself and for controls without an id. By default both look the id up
// in the help table (setHelpTable) and ask help() (help.h) for a pop-up of its context in the
// program's help file; an id not in the table asks nothing.
#pragma once

#include <wx/window.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "notify.h"
#include "resbundle.h"
#include "uicall.h"

class wxTimer;

namespace zkui {

class DataExchange;

enum DialogRc { kDialogFailed = -1 };  // doModal: no such template, or no window made
enum CommandId { kIdOk = 1, kIdCancel = 2 };

// Pairs of control id (or template id) and help context id.
using HelpTable = std::vector<std::pair<int, unsigned long>>;

class Dialog {
 public:
  Dialog(int templateId, wxWindow* parentP);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Makes the window, runs it modally and destroys it; the end code, or kDialogFailed.
  int doModal();
  // Makes the window modeless and shows it (unless the template says hidden). 0 or
  // kResNotFound when the current resources have no such template.
  int create();
  // Ends a modal dialog with `code`; a modeless one is hidden and keeps the code.
  void endDialog(int code);
  // Destroys the window now (a modeless dialog's end).
  void destroyWindow();

  int templateId() const { return m_templateId; }
  const DialogTemplate* dialogTemplate() const { return m_templateP; }
  wxWindow* window() const { return m_windowP; }
  wxWindow* parent() const { return m_parentP; }
  // The parent of the window made next (a property sheet's pages get theirs this way).
  void setParentWindow(wxWindow* parentP) { m_parentP = parentP; }
  wxWindow* control(int id) const;
  int endCode() const { return m_endCode; }
  bool isModal() const { return m_modal; }
  const std::shared_ptr<CallTarget>& callTarget() const { return m_target; }

  // Loads the controls from the fields (false) or saves and checks them (true) through
  // doDataExchange; false when a check refused a value (its message has been shown and the
  // focus is on the control).
  bool updateData(bool saveAndValidate = true);

  // Timers of this dialog: onTimer(id) every `ms` milliseconds until killTimer or the window
  // goes. Setting an id that runs restarts it.
  void setTimer(int id, int ms);
  void killTimer(int id);

  // The text of a control (edit, static, button, combo); empty for none.
  std::string itemText(int id) const;
  void setItemText(int id, const std::string& text);

  void setHelpTable(HelpTable table) { m_helpTable = std::move(table); }
  // The id a gesture on `windowP` (a control, a part of one, or the dialog) stands for.
  int controlIdOf(wxWindow* windowP) const;

 protected:
  // After the controls are made and before the window shows: loads the fields with
  // updateData(false). Override to add to it.
  virtual void onInitDialog();
  virtual void doDataExchange(DataExchange& dx);
  virtual bool onCommand(int id);
  virtual void onOK();
  virtual void onCancel();
  virtual bool onClose();
  virtual void onTimer(int id);
  virtual void onSize(int width, int height);
  // A control's notification; true vetoes an ItemExpanding. The default does nothing.
  virtual bool onNotify(const Notification& n);
  virtual void onHelpInfo(int controlId);
  virtual void onContextMenu(int controlId, const wxPoint& screenPt);
  // The window is about to go; window() is still valid.
  virtual void onDestroy();

 private:
  friend class DialogHost;
  int makeWindow();
  void windowGone();
  void handleEnter();

  int m_templateId;
  wxWindow* m_parentP;
  const DialogTemplate* m_templateP = nullptr;
  std::shared_ptr<const ResourceBundle> m_bundle;  // keeps m_templateP alive
  wxWindow* m_windowP = nullptr;
  bool m_modal = false;
  int m_endCode = 0;
  std::shared_ptr<CallTarget> m_target;
  std::shared_ptr<Dialog*> m_cell;  // shared with the window's handlers; cleared when we go
  std::map<int, std::unique_ptr<wxTimer>> m_timers;
  HelpTable m_helpTable;
};

}  // namespace zkui
