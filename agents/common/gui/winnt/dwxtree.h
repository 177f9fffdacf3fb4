// The tree view's window: a tree control of the windowing layer behind the DTreeCtrl interface
// (dtreectrl.h), so a DTreeView works on a real window as it does on the in-memory control.
//
// The control hides the toolkit's one root item: the view's root items are its children, and
// their parent reads as none. Check states in state-image mode are the toolkit's state
// pictures; state 0 is "none". Image lists come from strip images of the current resources,
// 16 pixels a picture. The "expanded once" mark is kept here, from the toolkit's expanded
// events, and forgotten when the item goes.
//
// Events: expanding and collapsing by the user go to the view, which may refuse them; those
// the program asks for (expand) do not. A left click, the selection, F1 while the tree has the
// focus and the context menu (right button) go to the view as well.
//
// Lifetime: the window belongs to its parent; when it goes first, exists() turns false and
// the view touches nothing more. The object may go before the window: the window's handlers
// then find nobody to tell. User-interface thread only.
#pragma once

#include <wx/treectrl.h>

#include <memory>
#include <set>

#include "dtreectrl.h"

class DTreeView;

// Styles a derived tree adds to the base's child, visible and border.
enum : long { DTV_HASBUTTONS = 1, DTV_HASLINES = 2, DTV_LINESATROOT = 4 };

// Makes the view's window inside `parentP` and attaches it to the view; the window.
wxTreeCtrl* dtvCreateWindow(DTreeView& view, wxWindow* parentP, const wxPoint& pos,
                            const wxSize& size, long styles);

class DWxTreeCtrl : public DTreeCtrl {
 public:
  // `treeP` must have the style wxTR_HIDE_ROOT; the control adds the hidden root when needed.
  explicit DWxTreeCtrl(wxTreeCtrl* treeP);
  ~DWxTreeCtrl() override;

  wxTreeCtrl* window() const { return m_treeP; }

  bool exists() const override { return m_treeP != nullptr; }
  void setEvents(DTreeCtrlEvents* eventsP) override { m_eventsP = eventsP; }
  HTREEITEM insertItem(const DTreeInsert& insert) override;
  bool deleteAllItems() override;
  bool deleteItem(HTREEITEM item) override;
  HTREEITEM getChild(HTREEITEM item) const override;
  HTREEITEM getNextSibling(HTREEITEM item) const override;
  HTREEITEM getPrevSibling(HTREEITEM item) const override;
  HTREEITEM getParent(HTREEITEM item) const override;
  HTREEITEM getSelection() const override;
  bool selectItem(HTREEITEM item) override;
  int getImage(HTREEITEM item) const override;
  int getSelectedImage(HTREEITEM item) const override;
  bool setImage(HTREEITEM item, int image, int selectedImage) override;
  int getStateImage(HTREEITEM item) const override;
  bool setStateImage(HTREEITEM item, int state) override;
  std::string getText(HTREEITEM item) const override;
  bool setText(HTREEITEM item, const std::string& text) override;
  void* getParam(HTREEITEM item) const override;
  bool setHasChildren(HTREEITEM item, bool has) override;
  bool hasChildren(HTREEITEM item) const override;
  bool isExpanded(HTREEITEM item) const override;
  bool expandedOnce(HTREEITEM item) const override;
  bool expand(HTREEITEM item, int code) override;
  COLORREF getTextColor() const override { return m_textColor; }
  COLORREF setTextColor(COLORREF color) override;
  int installImageLists(int normalBitmapId, int stateBitmapId) override;
  void show(bool shown) override;
  void raise() override;

  // The toolkit's id of an item, and back.
  static wxTreeItemId idOf(HTREEITEM item) { return wxTreeItemId(item); }
  static HTREEITEM itemOf(const wxTreeItemId& id) { return static_cast<HTREEITEM>(id.GetID()); }

 private:
  bool valid(HTREEITEM item) const;
  void bindEvents();

  wxTreeCtrl* m_treeP;
  DTreeCtrlEvents* m_eventsP = nullptr;
  std::set<HTREEITEM> m_items;  // live items made here: a stale handle reaches no toolkit call
  std::set<HTREEITEM> m_expandedOnce;
  COLORREF m_textColor = CLR_DEFAULT;
  bool m_programExpand = false;  // expand() runs: the expanding is the program's, not the user's
  // Shared with the window's handlers; cleared when this object goes.
  std::shared_ptr<DWxTreeCtrl*> m_cell;
};
