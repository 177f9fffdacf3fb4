// The function-table list: every operation reaches the list through the slots of its record.
#include "dslnklst.h"

#include "agtmem.h"

namespace {

int isEmpty(dsList* listP) {
  return listP->count == 0 ? 1 : 0;
}

dsListNode* newNode(void* dataP, dsListNode* nextP) {
  dsListNode* nodeP = static_cast<dsListNode*>(MALLOC(sizeof(dsListNode)));
  if (nodeP == nullptr) return nullptr;
  nodeP->pNext = nextP;
  nodeP->pData = dataP;
  return nodeP;
}

dsListNode* addHead(dsList* listP, void* dataP) {
  dsListNode* nodeP = newNode(dataP, listP->pHead);
  if (nodeP == nullptr) return nullptr;
  listP->pHead = nodeP;
  if (listP->pTail == nullptr) listP->pTail = nodeP;
  listP->count++;
  return nodeP;
}

dsListNode* addTail(dsList* listP, void* dataP) {
  dsListNode* nodeP = newNode(dataP, nullptr);
  if (nodeP == nullptr) return nullptr;
  if (listP->pTail == nullptr) {
    listP->pHead = nodeP;
  } else {
    listP->pTail->pNext = nodeP;
  }
  listP->pTail = nodeP;
  listP->count++;
  return nodeP;
}

void destroyNode(dsList* listP, dsListNode* nodeP) {
  if (listP->destroyRtn != nullptr) listP->destroyRtn(nodeP->pData);
  FREE(&nodeP);
}

// Removes the node wherever it stands (the engine only ever removes the head); 0 when the list
// is null or empty or the node is not in it.
int removeNode(dsList* listP, dsListNode* nodeP) {
  if (listP == nullptr || listP->count == 0 || nodeP == nullptr) return 0;
  dsListNode* previousP = nullptr;
  dsListNode* currentP = listP->pHead;
  while (currentP != nullptr && currentP != nodeP) {
    previousP = currentP;
    currentP = currentP->pNext;
  }
  if (currentP == nullptr) return 0;
  if (previousP == nullptr) {
    listP->pHead = nodeP->pNext;
  } else {
    previousP->pNext = nodeP->pNext;
  }
  if (listP->pTail == nodeP) listP->pTail = previousP;
  destroyNode(listP, nodeP);
  listP->count--;
  return 1;
}

void removeAll(dsList* listP) {
  dsListNode* nodeP = listP->pHead;
  while (nodeP != nullptr) {
    dsListNode* nextP = nodeP->pNext;
    destroyNode(listP, nodeP);
    nodeP = nextP;
  }
  listP->count = 0;
  listP->pTail = nullptr;
  listP->pHead = nullptr;
}

dsListNode* find(dsList* listP, const void* keyP, dsListCompareRtn compareRtn) {
  dsListNode* nodeP = listP->pHead;
  while (nodeP != nullptr && compareRtn(nodeP->pData, keyP) != 0) nodeP = nodeP->pNext;
  return nodeP;
}

uint32_t getCount(dsList* listP) {
  return listP->count;
}

void* getData(dsList*, dsListNode* nodeP) {
  return nodeP->pData;
}

dsListNode* getNext(dsList* listP, dsListNode* nodeP) {
  return nodeP == nullptr ? listP->pHead : nodeP->pNext;
}

dsListNode* getAt(dsList* listP, uint32_t index) {
  if (listP->count <= index) return nullptr;
  dsListNode* nodeP = listP->pHead;
  for (uint32_t i = 0; i < index; i++) nodeP = nodeP->pNext;
  return nodeP;
}

}  // namespace

dsList* dsListCreate(dsListDestroyRtn destroyRtn) {
  dsList* listP = static_cast<dsList*>(MALLOC(sizeof(dsList)));
  if (listP == nullptr) return nullptr;
  *listP = dsList{isEmpty, addHead, addTail, removeNode, removeAll, find, getCount,
                  getData, getNext, getAt,   nullptr,    nullptr,   0,    destroyRtn};
  return listP;
}

void dsListDestroy(dsList* listP) {
  if (listP == nullptr) return;
  listP->removeAll(listP);
  FREE(&listP);
}

int dsListCompareUlong(const void* dataP, const void* keyP) {
  uint32_t data = *static_cast<const uint32_t*>(dataP);
  uint32_t key = *static_cast<const uint32_t*>(keyP);
  return data == key ? 0 : (data > key ? 1 : 2);
}

int dsListCompareString(const void* dataP, const void* keyP) {
  const unsigned char* dP = static_cast<const unsigned char*>(dataP);
  const unsigned char* kP = static_cast<const unsigned char*>(keyP);
  while (*dP != 0 && *dP == *kP) {
    dP++;
    kP++;
  }
  return *dP == *kP ? 0 : (*dP > *kP ? 1 : 2);
}
