#include "dmemtree.h"

#include <algorithm>

struct DMemTreeCtrl::Item {
  std::string text;
  int image = 0;
  int selectedImage = 0;
  int stateImage = 0;
  void* param = nullptr;
  bool hasChildren = false;
  bool expanded = false;
  bool expandedOnce = false;
  Item* parentP = nullptr;
  std::vector<Item*> children;
};

namespace {

HTREEITEM handleOf(const void* itemP) {
  return reinterpret_cast<HTREEITEM>(const_cast<void*>(itemP));
}

}  // namespace

DMemTreeCtrl::DMemTreeCtrl(std::set<int> bitmapIds) : m_bitmapIds(std::move(bitmapIds)) {}

DMemTreeCtrl::~DMemTreeCtrl() = default;

DMemTreeCtrl::Item* DMemTreeCtrl::find(HTREEITEM item) const {
  auto it = m_items.find(item);
  return it == m_items.end() ? nullptr : it->second.get();
}

const std::vector<DMemTreeCtrl::Item*>* DMemTreeCtrl::siblingsOf(const Item* itemP) const {
  return itemP->parentP ? &itemP->parentP->children : &m_roots;
}

HTREEITEM DMemTreeCtrl::insertItem(const DTreeInsert& insert) {
  Item* parentP = nullptr;
  if (insert.parent) {
    parentP = find(insert.parent);
    if (!parentP) return nullptr;
  }
  std::vector<Item*>& siblings = parentP ? parentP->children : m_roots;
  auto at = siblings.end();
  if (insert.insertAfter == TVI_FIRST) {
    at = siblings.begin();
  } else if (insert.insertAfter != TVI_LAST) {
    auto after = std::find(siblings.begin(), siblings.end(), find(insert.insertAfter));
    if (after == siblings.end()) return nullptr;
    at = after + 1;
  }
  auto itemP = std::make_unique<Item>();
  itemP->text = insert.text;
  itemP->image = insert.image;
  itemP->selectedImage = insert.selectedImage;
  itemP->stateImage = std::max(insert.stateImage, 0);
  itemP->param = insert.param;
  itemP->hasChildren = insert.hasChildren;
  itemP->parentP = parentP;
  siblings.insert(at, itemP.get());
  HTREEITEM handle = handleOf(itemP.get());
  m_items.emplace(handle, std::move(itemP));
  return handle;
}

bool DMemTreeCtrl::deleteAllItems() {
  m_roots.clear();
  m_items.clear();
  m_selection = nullptr;
  return true;
}

// Drops the item and its subtree from the handles; the caller unlinks it from its siblings.
void DMemTreeCtrl::forget(Item* itemP) {
  for (Item* childP : itemP->children) forget(childP);
  HTREEITEM handle = handleOf(itemP);
  if (m_selection == handle) m_selection = nullptr;
  m_items.erase(handle);
}

bool DMemTreeCtrl::deleteItem(HTREEITEM item) {
  Item* itemP = find(item);
  if (!itemP) return false;
  std::vector<Item*>& siblings = itemP->parentP ? itemP->parentP->children : m_roots;
  siblings.erase(std::find(siblings.begin(), siblings.end(), itemP));
  forget(itemP);
  return true;
}

HTREEITEM DMemTreeCtrl::getChild(HTREEITEM item) const {
  if (!item) return m_roots.empty() ? nullptr : handleOf(m_roots.front());
  Item* itemP = find(item);
  if (!itemP || itemP->children.empty()) return nullptr;
  return handleOf(itemP->children.front());
}

HTREEITEM DMemTreeCtrl::sibling(HTREEITEM item, int step) const {
  Item* itemP = find(item);
  if (!itemP) return nullptr;
  const std::vector<Item*>& siblings = *siblingsOf(itemP);
  auto at = std::find(siblings.begin(), siblings.end(), itemP) - siblings.begin() + step;
  if (at < 0 || at >= static_cast<long>(siblings.size())) return nullptr;
  return handleOf(siblings[at]);
}

HTREEITEM DMemTreeCtrl::getNextSibling(HTREEITEM item) const {
  return sibling(item, 1);
}

HTREEITEM DMemTreeCtrl::getPrevSibling(HTREEITEM item) const {
  return sibling(item, -1);
}

HTREEITEM DMemTreeCtrl::getParent(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP && itemP->parentP ? handleOf(itemP->parentP) : nullptr;
}

bool DMemTreeCtrl::selectItem(HTREEITEM item) {
  if (item && !find(item)) return false;
  bool changed = item != m_selection;
  m_selection = item;
  if (changed && m_eventsP) m_eventsP->treeSelChanged(item);
  return true;
}

int DMemTreeCtrl::getImage(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP ? itemP->image : 0;
}

int DMemTreeCtrl::getSelectedImage(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP ? itemP->selectedImage : 0;
}

bool DMemTreeCtrl::setImage(HTREEITEM item, int image, int selectedImage) {
  Item* itemP = find(item);
  if (!itemP) return false;
  itemP->image = image;
  itemP->selectedImage = selectedImage;
  return true;
}

int DMemTreeCtrl::getStateImage(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP ? itemP->stateImage : 0;
}

bool DMemTreeCtrl::setStateImage(HTREEITEM item, int state) {
  Item* itemP = find(item);
  if (!itemP) return false;
  itemP->stateImage = state;
  return true;
}

std::string DMemTreeCtrl::getText(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP ? itemP->text : std::string();
}

bool DMemTreeCtrl::setText(HTREEITEM item, const std::string& text) {
  Item* itemP = find(item);
  if (!itemP) return false;
  itemP->text = text;
  return true;
}

void* DMemTreeCtrl::getParam(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP ? itemP->param : nullptr;
}

bool DMemTreeCtrl::setHasChildren(HTREEITEM item, bool has) {
  Item* itemP = find(item);
  if (!itemP) return false;
  itemP->hasChildren = has;
  return true;
}

bool DMemTreeCtrl::hasChildren(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP && (itemP->hasChildren || !itemP->children.empty());
}

bool DMemTreeCtrl::isExpanded(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP && itemP->expanded;
}

bool DMemTreeCtrl::expandedOnce(HTREEITEM item) const {
  Item* itemP = find(item);
  return itemP && itemP->expandedOnce;
}

bool DMemTreeCtrl::expand(HTREEITEM item, int code) {
  Item* itemP = find(item);
  if (!itemP) return false;
  if (code != TVE_EXPAND && code != TVE_COLLAPSE && code != TVE_TOGGLE) return false;
  bool open = code == TVE_EXPAND || (code == TVE_TOGGLE && !itemP->expanded);
  if (open && !hasChildren(item)) return false;
  itemP->expanded = open;
  if (open) itemP->expandedOnce = true;
  return true;
}

COLORREF DMemTreeCtrl::setTextColor(COLORREF color) {
  COLORREF previous = m_textColor;
  m_textColor = color;
  return previous;
}

int DMemTreeCtrl::installImageLists(int normalBitmapId, int stateBitmapId) {
  if (!m_bitmapIds.count(normalBitmapId)) return 1;
  if (!m_bitmapIds.count(stateBitmapId)) return 2;
  m_normalBitmapId = normalBitmapId;
  m_stateBitmapId = stateBitmapId;
  return 0;
}

bool DMemTreeCtrl::userExpand(HTREEITEM item) {
  Item* itemP = find(item);
  if (!itemP || !hasChildren(item)) return false;
  bool open = !itemP->expanded;
  if (m_eventsP && m_eventsP->treeItemExpanding(item, open)) return false;
  return expand(item, open ? TVE_EXPAND : TVE_COLLAPSE);
}

void DMemTreeCtrl::userLeftClick(HTREEITEM item, DTreeHit hit) {
  if (m_eventsP) m_eventsP->treeLeftClick(item, hit);
  if (item && hit != DTreeHit::Nowhere && hit != DTreeHit::Button) selectItem(item);
}

void DMemTreeCtrl::userRightClick() const {
  if (m_eventsP) m_eventsP->treeContextMenu();
}

void DMemTreeCtrl::userHelp() const {
  if (m_eventsP) m_eventsP->treeHelp();
}
