// A singly linked list of untyped data pointers in plain-function style: the list record carries
// a table of its own operations, and every operation takes the list as its first argument. The
// list never copies or looks into the data; its destroy routine (given at creation, may be null)
// is called on a node's data when the node is removed. Records and nodes are taken with the
// traced memory wrappers. No lock: one thread at a time.
#pragma once

#include <cstdint>

struct dsListNode {
  dsListNode* pNext;
  void* pData;
};

struct dsList;
typedef void (*dsListDestroyRtn)(void* dataP);
// Compares a node's data with a key: 0 equal, 1 data greater, 2 data smaller.
typedef int (*dsListCompareRtn)(const void* dataP, const void* keyP);

struct dsList {
  int (*isEmpty)(dsList* listP);
  dsListNode* (*addHead)(dsList* listP, void* dataP);
  dsListNode* (*addTail)(dsList* listP, void* dataP);
  int (*removeNode)(dsList* listP, dsListNode* nodeP);
  void (*removeAll)(dsList* listP);
  dsListNode* (*find)(dsList* listP, const void* keyP, dsListCompareRtn compareRtn);
  uint32_t (*getCount)(dsList* listP);
  void* (*getData)(dsList* listP, dsListNode* nodeP);
  dsListNode* (*getNext)(dsList* listP, dsListNode* nodeP);
  dsListNode* (*getAt)(dsList* listP, uint32_t index);
  dsListNode* pHead;
  dsListNode* pTail;
  uint32_t count;
  dsListDestroyRtn destroyRtn;
};

// A new empty list, or null when no memory.
dsList* dsListCreate(dsListDestroyRtn destroyRtn);
// Removes every node and frees the record; null is ignored.
void dsListDestroy(dsList* listP);

// Ready-made compare routines for find (data and key point at the values).
int dsListCompareUlong(const void* dataP, const void* keyP);
int dsListCompareString(const void* dataP, const void* keyP);
