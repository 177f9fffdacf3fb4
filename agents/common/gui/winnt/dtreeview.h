// The base of every tree of the windowed program: a tree control whose items each carry one
// DTreeNodeData record and show a check picture. The controllers and the derived trees insert
// items, read and set the pictures, carry a change of check state down to the children, across
// to the siblings and up to the ancestors, find items by text and build the qualified text of
// the selected item through the ci operations below.
//
// Check values (the picture index, or the state picture in state-image mode):
//   S_CLEAR 1 not selected, S_CHECK 2 selected, S_PARTIAL 3 some children selected,
//   S_NOSELECT 4 cannot be selected, S_DISABLED 5 disabled;
// 0 and any other value are plain pictures (servers, databases) that take no part in checking.
//
// The rule of a parent's picture from its children, used by both upward passes: any partial
// child makes it S_PARTIAL; else no checked child S_CLEAR; else all counted children checked
// S_CHECK; else S_PARTIAL. S_NOSELECT and S_DISABLED children are not counted; plain ones count
// as neither checked nor partial.
//
// The control: the view works through a DTreeCtrl (dtreectrl.h), the window's or a test's
// in-memory one. While it has none, or its window has gone, every operation that touches the
// tree writes "The Window element of the tree has not been created. <op> aborted." and answers
// the value its comment gives after "no window".
//
// Ownership: the view owns the records of its node list and the entries of m_treeStart and
// frees them when it goes; ciDeleteAllItems keeps the records. The controller is not owned.
// The class-wide settings (ciSetTreeDefaults) are shared by every tree view of the process.
// User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dtreectrl.h"
#include "dtreenode.h"
#include "linklist.h"

class DController;

enum DTreeCheckValue : int32_t {
  S_CLEAR = 1,
  S_CHECK = 2,
  S_PARTIAL = 3,
  S_NOSELECT = 4,
  S_DISABLED = 5,
};

class DTreeView : public DTreeCtrlEvents {
 public:
  DTreeView();
  ~DTreeView() override;
  DTreeView(const DTreeView&) = delete;
  DTreeView& operator=(const DTreeView&) = delete;

  // Takes the control the view works on and receives its events.
  void attachTreeCtrl(std::unique_ptr<DTreeCtrl> ctrl);
  DTreeCtrl* GetTreeCtrl() const { return m_ctrl.get(); }

  virtual void ciHideView();
  virtual void ciShowView();  // restored, and on top
  virtual void ciBringViewToTop();
  virtual void ciViewHook1() {}
  virtual void ciViewHook2() {}
  virtual void ciViewHook3() {}

  // Inserts an item for the record (its parent item, its picture; the selected picture is the
  // special selected image when the picture is the special image) after `insertAfter`; in
  // state-image mode with the record's state, or the parent's state picture when that is 0
  // (written back to the record). hasChildren 1 shows an expand button. The item, also stored
  // in the record; null when the control refuses it (no window: null).
  virtual HTREEITEM ciInsertItem(const std::string& label, DTreeNodeData* recordP, int hasChildren,
                                 HTREEITEM insertAfter);
  // 0; 1 when a strip cannot be made into a list (the tree keeps its lists; no window: 1).
  virtual int ciInstallImageLists(int normalBitmapId, int stateBitmapId);
  // 0 when the record's picture is *imageP or the item has no children; else whether it is
  // expanded (no window: 0).
  virtual int ciIsItemCollapsible(HTREEITEM item, const int32_t* imageP);
  // The same with "not expanded" (no window: 0).
  virtual int ciIsItemExpandable(HTREEITEM item, const int32_t* imageP);
  // The answer to an expanding: 1 (refuse) once the item has been expanded, so an item once
  // opened can neither be collapsed nor expanded again; 0 the first time (no window: 1).
  virtual int ciOnItemExpandingNoCollapse(HTREEITEM item);
  virtual int ciSetItemText(HTREEITEM item, const std::string& text);  // success (no window: 0)
  virtual int ciSetChildren(HTREEITEM item, int count);                // success (no window: 0)
  // Sets the pictures and the record's image; the item's first child (no window: null).
  virtual HTREEITEM ciSetImage(HTREEITEM item, int image, int selectedImage);
  // Sets the state picture and the record's state; the item's first child (no window: null).
  virtual HTREEITEM ciSetState(HTREEITEM item, int state);
  // Sets the state of the item, its subtree and every following sibling with theirs, and calls
  // ciPropogateStateToNode for each. 0.
  virtual int ciPropogateStateDown(HTREEITEM item, int state);
  // The same with the picture; S_NOSELECT and S_DISABLED items keep theirs (their subtrees are
  // still covered). 0.
  virtual int ciPropogateImageDown(HTREEITEM item, int image);
  virtual int ciItemExpandedOnce(HTREEITEM item);  // (no window: 0)
  // Recomputes the ancestors' state pictures; 1 (null item or no window: 0).
  virtual int ciPropogateStateUp(HTREEITEM item);
  // Recomputes the ancestors' pictures; 1 (null item or no window: 0).
  virtual int ciPropogateImageUp(HTREEITEM item);
  // Counts the children by check value; 1 (no window: 0, outputs untouched).
  virtual int ciCheckOnKids(HTREEITEM item, int32_t* childrenP, int32_t* checkedP,
                            int32_t* partialP, int32_t* clearP);
  // For an item whose selectable content is not shown as children: adds its counts. The base
  // has none and leaves the outputs; 1.
  virtual int ciCheckOnDir(HTREEITEM item, int32_t* databasesP, int32_t* checkedP, int32_t* clearP);
  // Whether the record's picture is `image` (no record or no window: 0).
  virtual int ciIsTiImage(HTREEITEM item, int image);
  // Whether the item's check value (state picture in state-image mode, else picture) is
  // `state` (no window: 0).
  virtual int ciIsTiState(HTREEITEM item, int state);
  // Whether every child passes ciIsTiState (also with none; no window: 0).
  virtual int ciIsTiStateOfChildren(HTREEITEM item, int state);
  // The first child of `parent` (the first root item for null) whose text equals `text`; one
  // level only; null when none (no window: null).
  virtual HTREEITEM ciFindItem(const std::string& text, HTREEITEM parent);
  virtual DTreeNodeData* ciGetItemData(HTREEITEM item);  // null when none (no window: null)
  virtual int ciDeleteAllItems();                        // success (no window: 0)
  // Deletes the item with its subtree; the records stay in the node list. Success (no
  // window: 0).
  virtual int ciDeleteItem(HTREEITEM item);
  virtual int ciExpand(HTREEITEM item, int code);  // success (no window: 0)
  // Called for every item ciPropogateStateDown visits; the base does nothing. 1.
  virtual int ciPropogateStateToNode(HTREEITEM item, int state);
  virtual HTREEITEM ciGetChild(HTREEITEM item);     // (no window: null)
  virtual HTREEITEM ciGetSibling(HTREEITEM item);   // the next one (no window: null)
  virtual COLORREF ciGetTextColor();                // (no window: 0)
  virtual COLORREF ciSetTextColor(COLORREF color);  // the previous colour (no window: 0)
  virtual int getContextHelpId() { return 0; }
  // The first child of the first root item (no window: null).
  virtual HTREEITEM ciGetTopItemWithState();
  // The texts from the root down to the selected item, each followed by the separator, which
  // may be NUL: "server\0database\0file\0" for the controllers' NUL. With no selection the
  // default followed by the separator, or "" for an empty default (no window: "").
  virtual std::string ciGetQualifiedSelectedItemText(char separator,
                                                     const std::string& defaultText);
  // The parts of such a text made with NUL as the separator, up to its first empty part.
  static std::vector<std::string> ciSplitQualifiedText(const std::string& path);
  // Sets the class-wide settings; the special image.
  virtual int ciSetTreeDefaults(int specialImage, int specialSelectedImage, int stateImageMode);
  // Sets the pictures of every other sibling, not their records; 1 (null item or no window: 0).
  virtual int ciPropogateImageToSiblings(HTREEITEM item, int image);
  // Sets the parent's pictures, not its record; 1 (no window: 0).
  virtual int ciPropogateImageToParent(HTREEITEM item, int image);

  void setController(DController* controllerP) { m_controllerP = controllerP; }
  DController* getController() const { return m_controllerP; }
  CLinkedList<DTreeNodeData*>* getTreeItemDataList() { return &m_nodeList; }

  // The root items the derived tree wants, for the controller's cgTVInit.
  CLinkedList<DTreeStartEntry> m_treeStart;

 protected:
  // The control's events, as the derived trees handle them. An expanding that the handler
  // answers true is refused; the base allows every one. A left click comes with the part of
  // the item it hit. F1 and the context menu (right button) ask the help for the tree's
  // context, getContextHelpId(), in the program's help file.
  virtual bool OnItemexpanding(HTREEITEM item, bool expand);
  virtual void OnLButtonDown(HTREEITEM item, DTreeHit hit);
  virtual void OnSelchanged(HTREEITEM item);
  virtual void OnContextMenu();
  virtual void OnHelpInfo();

  // Whether the control's window is there; traces the abort of `opP` when not.
  bool haveWindow(const char* opP) const;

 private:
  bool treeItemExpanding(HTREEITEM item, bool expand) override;
  void treeLeftClick(HTREEITEM item, DTreeHit hit) override;
  void treeContextMenu() override { OnContextMenu(); }
  void treeHelp() override { OnHelpInfo(); }
  void treeSelChanged(HTREEITEM item) override { OnSelchanged(item); }

  int checkValue(HTREEITEM item) const;
  int stateUpValue(HTREEITEM item) const;
  int pictureFromChildren(HTREEITEM parent);
  void showContextHelp();

  // The class-wide settings: the picture whose items get a selected picture of their own, that
  // selected picture, and 1 when check values are held as state pictures.
  static int s_specialImage;
  static int s_specialSelectedImage;
  static int s_stateImageMode;

  std::unique_ptr<DTreeCtrl> m_ctrl;
  DController* m_controllerP = nullptr;
  CLinkedList<DTreeNodeData*> m_nodeList;
};
