// The tree control under a tree view, as the view sees it: items with a text, a normal and a
// selected picture, a state picture, a has-children count, a parameter word, an expanded state
// and the "expanded once" mark; a selection; two image lists; a text colour. DTreeView
// (dtreeview.h) does all its work through this interface, so its check rules run the same on
// the window's control (dwxtree.h) and on the in-memory one of the tests (dmemtree.h).
//
// Item handles are opaque and stay valid until the item is deleted; a null handle is "none".
// A control that has no window any more answers exists() false; the view then touches nothing.
// What the user does on the control (expanding an item, clicks, F1, the context menu, a new
// selection) reaches the DTreeCtrlEvents receiver the view installs.
//
// User-interface thread only.
#pragma once

#include <cstdint>
#include <string>

struct DTreeItemTag;
typedef DTreeItemTag* HTREEITEM;

// Insert-after positions besides an existing sibling.
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(~uintptr_t{0xFFFF});
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(~uintptr_t{0xFFFE});

// Expand codes of ciExpand.
enum : int { TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3 };

// A colour as 0x00BBGGRR; CLR_DEFAULT is the control's own colour.
typedef uint32_t COLORREF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

// Where a click fell on an item's row.
enum class DTreeHit { Nowhere, Picture, Label, Button, Row };

// One item to insert.
struct DTreeInsert {
  HTREEITEM parent = nullptr;  // null: a root item
  HTREEITEM insertAfter = TVI_LAST;
  std::string text;
  int image = 0;
  int selectedImage = 0;
  int stateImage = -1;  // -1: none given
  void* param = nullptr;
  bool hasChildren = false;  // shows an expand button before it has a child
};

// What the control reports of the user's gestures.
class DTreeCtrlEvents {
 public:
  virtual ~DTreeCtrlEvents() = default;
  // The user is about to expand (or collapse) the item; true refuses it.
  virtual bool treeItemExpanding(HTREEITEM item, bool expand) = 0;
  // A left button press on the control; `item` null when it fell on no item. The control
  // selects a hit item afterwards.
  virtual void treeLeftClick(HTREEITEM item, DTreeHit hit) = 0;
  virtual void treeContextMenu() = 0;  // a right click on the control
  virtual void treeHelp() = 0;         // F1 while the control has the focus
  virtual void treeSelChanged(HTREEITEM item) = 0;
};

class DTreeCtrl {
 public:
  virtual ~DTreeCtrl() = default;

  virtual bool exists() const = 0;
  virtual void setEvents(DTreeCtrlEvents* eventsP) = 0;

  // The new item, or null when refused (unknown parent or insert-after item).
  virtual HTREEITEM insertItem(const DTreeInsert& insert) = 0;
  virtual bool deleteAllItems() = 0;
  // Deletes the item with its subtree; false for an unknown item. A deleted selection leaves
  // none.
  virtual bool deleteItem(HTREEITEM item) = 0;

  // Navigation; each answers null for none. getChild(null) is the first root item.
  virtual HTREEITEM getChild(HTREEITEM item) const = 0;
  virtual HTREEITEM getNextSibling(HTREEITEM item) const = 0;
  virtual HTREEITEM getPrevSibling(HTREEITEM item) const = 0;
  virtual HTREEITEM getParent(HTREEITEM item) const = 0;
  virtual HTREEITEM getSelection() const = 0;
  virtual bool selectItem(HTREEITEM item) = 0;

  // Pictures: false for an unknown item, which then reads as picture 0.
  virtual int getImage(HTREEITEM item) const = 0;
  virtual int getSelectedImage(HTREEITEM item) const = 0;
  virtual bool setImage(HTREEITEM item, int image, int selectedImage) = 0;
  virtual int getStateImage(HTREEITEM item) const = 0;
  virtual bool setStateImage(HTREEITEM item, int state) = 0;

  virtual std::string getText(HTREEITEM item) const = 0;
  virtual bool setText(HTREEITEM item, const std::string& text) = 0;
  virtual void* getParam(HTREEITEM item) const = 0;

  // Children: the has-children count (0 removes the expand button); hasChildren is true when
  // the count is set or the item has a child.
  virtual bool setHasChildren(HTREEITEM item, bool has) = 0;
  virtual bool hasChildren(HTREEITEM item) const = 0;
  virtual bool isExpanded(HTREEITEM item) const = 0;
  virtual bool expandedOnce(HTREEITEM item) const = 0;
  // Expands, collapses or toggles the item as the program asks (no expanding event).
  virtual bool expand(HTREEITEM item, int code) = 0;

  virtual COLORREF getTextColor() const = 0;
  virtual COLORREF setTextColor(COLORREF color) = 0;  // the previous colour

  // Builds the normal and the state image list from two strips of 16-pixel pictures of the
  // resources and installs both. 0; 1 when the normal strip cannot be made into a list, 2 when
  // the state strip cannot; on a failure both lists stay as they were.
  virtual int installImageLists(int normalBitmapId, int stateBitmapId) = 0;

  // The control's window: hide, show restored and raise, raise.
  virtual void show(bool shown) = 0;
  virtual void raise() = 0;
};
