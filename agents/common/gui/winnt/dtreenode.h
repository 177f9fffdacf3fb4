// The record behind every item of a tree view, and the entries of a tree's first items.
//
// DTreeNodeData: the controllers make one record per item, fill it, add it to the view's node
// list and insert the item with it (DTreeView::ciInsertItem); the item's parameter word points
// at it, and the view's node list owns it from then on. A record refers to the controller's
// data (pRelatedInfo, the element the item shows; pLL, the list of the item's children once
// they are installed) and frees it only through the delete routines it was made with.
//
// DTreeStartEntry: a root item that a derived tree wants; its constructor adds the entries to
// m_treeStart, and the controller inserts them (cgTVInit) and keeps each item's handle.
#pragma once

#include <cstdint>
#include <string>

#include "dtreectrl.h"

typedef void (*DTreeNodeDeleteRtn)(void* dataP);

class DTreeNodeData {
 public:
  DTreeNodeData() = default;
  // The routine for pLL first, then the one for pRelatedInfo; either may be null.
  DTreeNodeData(DTreeNodeDeleteRtn deleteLLRtn, DTreeNodeDeleteRtn deleteRelatedInfoRtn)
      : m_deleteLLRtn(deleteLLRtn), m_deleteRelatedInfoRtn(deleteRelatedInfoRtn) {}
  // Hands pRelatedInfo to its routine, or without one releases it with FREE (it came from
  // MALLOC); then hands pLL to its routine. Without a routine pLL stays with its owner: the
  // record cannot know what kind of list it points at.
  ~DTreeNodeData();
  DTreeNodeData(const DTreeNodeData&) = delete;
  DTreeNodeData& operator=(const DTreeNodeData&) = delete;

  HTREEITEM m_hItem = nullptr;        // set by ciInsertItem when the item is made
  HTREEITEM m_hParentItem = nullptr;  // null for a root item; set by the creator
  int32_t m_image = 0;                // kept equal to the item's picture by ciSetImage
  int32_t m_state = 0;                // kept equal to the item's state picture by ciSetState
  int32_t m_kind = 0;                 // what the item stands for, the controller's value
  std::string m_label;
  void* pRelatedInfo = nullptr;  // the element the item shows
  void* pLL = nullptr;           // the list of the item's children; non-null once filled
  void* first = nullptr;         // the first of those children, for the controller
  int32_t count = 0;             // how many, for the controller

 private:
  DTreeNodeDeleteRtn m_deleteLLRtn = nullptr;
  DTreeNodeDeleteRtn m_deleteRelatedInfoRtn = nullptr;
};

// Destroys and frees one record made with new; null is ignored. The node list's free routine.
void deleteDTreeNodeData(DTreeNodeData* recordP);

constexpr int DTREE_START_LABEL_SIZE = 24;  // 23 bytes of text and the terminating NUL

struct DTreeStartEntry {
  char label[DTREE_START_LABEL_SIZE];
  int32_t image;
  int32_t reserved;  // 0
  int32_t kind;      // copied into the record of the item
  HTREEITEM hItem;   // the item, once inserted
};

// An entry with the label cut to fit, never inside a multi-byte character.
DTreeStartEntry dtvMakeStartEntry(const char* labelP, int32_t image, int32_t kind);
