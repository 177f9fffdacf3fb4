// A tree control kept in memory, without a window: the control of a tree view in tests, where
// every check rule of the view runs without a display. It behaves as the window's control does
// for everything the view asks, and plays the user's gestures (expanding an item, clicks, F1)
// through the events receiver as the window would. It also stands for the window's own state
// that the view sets (shown, raised, the installed image lists), for tests to read.
//
// destroyWindow() makes it answer exists() false, as a control whose window has gone.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "dtreectrl.h"

class DMemTreeCtrl : public DTreeCtrl {
 public:
  // `bitmapIds`: the strips the resources hold; installImageLists refuses any other.
  explicit DMemTreeCtrl(std::set<int> bitmapIds = {});
  ~DMemTreeCtrl() override;

  bool exists() const override { return m_exists; }
  void setEvents(DTreeCtrlEvents* eventsP) override { m_eventsP = eventsP; }
  HTREEITEM insertItem(const DTreeInsert& insert) override;
  bool deleteAllItems() override;
  bool deleteItem(HTREEITEM item) override;
  HTREEITEM getChild(HTREEITEM item) const override;
  HTREEITEM getNextSibling(HTREEITEM item) const override;
  HTREEITEM getPrevSibling(HTREEITEM item) const override;
  HTREEITEM getParent(HTREEITEM item) const override;
  HTREEITEM getSelection() const override { return m_selection; }
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
  void show(bool shown) override { m_shown = shown; }
  void raise() override { ++m_raised; }

  // The user's gestures. userExpand asks the receiver first and expands or collapses only
  // when it does not refuse; it answers whether the item changed. A left click tells the
  // receiver, then selects the item hit.
  bool userExpand(HTREEITEM item);
  void userLeftClick(HTREEITEM item, DTreeHit hit);
  void userRightClick() const;
  void userHelp() const;

  void destroyWindow() { m_exists = false; }
  bool shown() const { return m_shown; }
  int raised() const { return m_raised; }
  int normalBitmapId() const { return m_normalBitmapId; }
  int stateBitmapId() const { return m_stateBitmapId; }
  size_t itemCount() const { return m_items.size(); }

 private:
  struct Item;
  Item* find(HTREEITEM item) const;
  const std::vector<Item*>* siblingsOf(const Item* itemP) const;
  HTREEITEM sibling(HTREEITEM item, int step) const;
  void forget(Item* itemP);

  std::map<HTREEITEM, std::unique_ptr<Item>> m_items;
  std::vector<Item*> m_roots;
  HTREEITEM m_selection = nullptr;
  DTreeCtrlEvents* m_eventsP = nullptr;
  std::set<int> m_bitmapIds;
  int m_normalBitmapId = 0;
  int m_stateBitmapId = 0;
  COLORREF m_textColor = CLR_DEFAULT;
  bool m_exists = true;
  bool m_shown = true;
  int m_raised = 0;
};
