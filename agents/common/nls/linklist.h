// CLinkedList: the engine's doubly linked list of values.
//
// Each element holds a copy of the caller's value followed by its links; the value lies at the
// start of its element, so a value pointer (pData) is also its element's address. Iteration is
// element-based: getFirst/getNext/getLast/getPrevious take and give value pointers, and a walk
// that deletes as it goes continues with the result of remove. The list owns its elements; its
// free routine (given to the constructor or set later with setFreeRtn, null for none) receives
// a copy of each value just before the element is deleted. sortbmrg is a natural two-way merge
// sort, ascending and not stable, that only relinks elements.
//
// Invariants: m_pHead and m_pTail are both null or both set; the head's pPrevious and the tail's
// pNext are null; m_Count is the number of elements reachable from m_pHead (except inside
// sublistSortbmrg, which narrows it to the sublist while it sorts).
//
// No lock: one thread at a time; an owner that shares a list guards it with its own mutex.
// Every member traces its entry and exit under the LINKedlist category.
#pragma once

#include <cinttypes>
#include <cstdint>
#include <new>

#include "agtrc.h"
#include "agttrc.h"

template <class T>
struct CLinkedListElement {
  T data;  // first: its address is the element's address
  CLinkedListElement* pNext;
  CLinkedListElement* pPrevious;
};

template <class T>
class CLinkedList {
 public:
  typedef void (*FreeRtn)(T value);
  // Negative when a sorts before b, zero when equal, positive when after.
  typedef int (*CompareRtn)(T* aP, T* bP);
  // A text describing the sort key of a value, for the trace dumps only.
  typedef const char* (*CompareDataRtn)(T* dataP);

  explicit CLinkedList(FreeRtn freeRtn = nullptr);
  ~CLinkedList();
  // Replaces the free routine (null: none) for the elements deleted from now on; returns the
  // previous one.
  FreeRtn setFreeRtn(FreeRtn freeRtn) {
    FreeRtn previous = m_FreeRtn;
    m_FreeRtn = freeRtn;
    return previous;
  }
  CLinkedList(const CLinkedList&) = delete;
  CLinkedList& operator=(const CLinkedList&) = delete;

  // Appends a copy of *valueP; 0, or 421 with the list unchanged when no memory.
  int addTail(const T* valueP);
  // Unlinks and destroys the element of pData; returns the value pointer that followed it.
  T* remove(T* pData);
  // Destroys every element; the list stays usable. Returns 0.
  int freeAll();
  T* getFirst();
  T* getLast();
  T* getNext(T* pData);
  T* getPrevious(T* pData);
  uint32_t getCount();
  void sortbmrg(CompareRtn compareRtn, CompareDataRtn getCompareDataRtn);
  // Sorts the nCount elements from pStart to pEnd in place; the others keep places and links.
  void sublistSortbmrg(T* pStart, T* pEnd, int nCount, CompareRtn compareRtn,
                       CompareDataRtn getCompareDataRtn);

 private:
  typedef CLinkedListElement<T> Element;
  // A chain of elements under construction by the sort.
  struct Chain {
    Element* pHead = nullptr;
    Element* pTail = nullptr;
    void append(Element* pElement);
    Element* takeHead();
  };

  static Element* toElement(T* pData) { return reinterpret_cast<Element*>(pData); }
  static T* toData(Element* pElement) { return pElement ? &pElement->data : nullptr; }
  static uintptr_t addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }
  static int compare(CompareRtn compareRtn, Element* aP, Element* bP) {
    return compareRtn(&aP->data, &bP->data);
  }
  // The value pointer after (next) or before pData, traced under nameP.
  T* neighbour(T* pData, const char* nameP, const char* exitFormatP, bool next);
  void destroyElement(Element* pElement);
  bool splitRuns(CompareRtn compareRtn, Chain* chainsP);
  static Chain mergeRuns(CompareRtn compareRtn, Chain* chainsP);
  bool isSublist(Element* pStart, Element* pEnd, int nCount);
  void dumpChain(Element* pHead, const char* titleP, CompareDataRtn getCompareDataRtn);
  void dumpSorted(CompareDataRtn getCompareDataRtn);

  Element* m_pHead;
  Element* m_pTail;
  FreeRtn m_FreeRtn;
  uint32_t m_Count;
};

template <class T>
CLinkedList<T>::CLinkedList(FreeRtn freeRtn)
    : m_pHead(nullptr), m_pTail(nullptr), m_FreeRtn(freeRtn), m_Count(0) {
  static const char* const kName = "CLinkedList::CLinkedList()";
  TRACE_LINE(TRC_LINKEDLIST, "Enter %s - %#" PRIxPTR "\n", kName, addr(this));
  TRACE_LINE(TRC_LINKEDLIST, "Exit %s, rc (not returned to caller) = %d\n", kName, 0);
}

template <class T>
CLinkedList<T>::~CLinkedList() {
  static const char* const kName = "CLinkedList::~CLinkedList()";
  TRACE_LINE(TRC_LINKEDLIST, "Enter %s - %#" PRIxPTR "\n", kName, addr(this));
  int rc = freeAll();
  TRACE_LINE(TRC_LINKEDLIST, "Exit %s, rc (not returned to caller) = %d\n", kName, rc);
}

template <class T>
int CLinkedList<T>::addTail(const T* valueP) {
  static const char* const kName = "CLinkedList::addTail()";
  TRACE_LINE(TRC_LINKEDLIST,
             "Enter %s - %#" PRIxPTR "\n  m_pHead: %#" PRIxPTR "\n  m_pTail: %#" PRIxPTR "\n",
             kName, addr(this), addr(m_pHead), addr(m_pTail));
  int rc = RC_OK;
  Element* pElement = new (std::nothrow) Element();
  if (pElement == nullptr) {
    rc = RC_NO_MEMORY;
    TRACE_LINE(TRC_LINKEDLIST, "Insufficent memory, NEW() failed.\n");
  } else {
    m_Count++;
    pElement->pNext = nullptr;
    pElement->pPrevious = nullptr;
    pElement->data = *valueP;
    if (m_pTail == nullptr) {
      m_pHead = pElement;
    } else {
      pElement->pPrevious = m_pTail;
      m_pTail->pNext = pElement;
    }
    m_pTail = pElement;
  }
  TRACE_LINE(TRC_LINKEDLIST,
             "Exit %s, rc = %d\n  m_pHead: %#" PRIxPTR "\n  m_pTail: %#" PRIxPTR "\n", kName, rc,
             addr(m_pHead), addr(m_pTail));
  return rc;
}

template <class T>
void CLinkedList<T>::destroyElement(Element* pElement) {
  if (m_FreeRtn != nullptr) m_FreeRtn(pElement->data);
  delete pElement;
}

template <class T>
T* CLinkedList<T>::remove(T* pData) {
  static const char* const kName = "CLinkedList::remove()";
  Element* pElement = toElement(pData);
  TRACE_LINE(TRC_LINKEDLIST,
             "Enter %s - %#" PRIxPTR "\n  pData              : %#" PRIxPTR
             "\n  m_pHead            : %#" PRIxPTR "\n  m_pTail            : %#" PRIxPTR
             "\n  pElement->pPrevious: %#" PRIxPTR "\n  pElement->pNext    : %#" PRIxPTR "\n",
             kName, addr(this), addr(pData), addr(m_pHead), addr(m_pTail),
             addr(pElement ? pElement->pPrevious : nullptr),
             addr(pElement ? pElement->pNext : nullptr));
  T* pNext = getNext(pData);
  if (pElement != nullptr) {
    if (pElement == m_pHead && pElement == m_pTail) {
      m_pHead = nullptr;
      m_pTail = nullptr;
    } else if (pElement == m_pHead) {
      m_pHead = pElement->pNext;
      m_pHead->pPrevious = nullptr;
    } else if (pElement == m_pTail) {
      m_pTail = pElement->pPrevious;
      m_pTail->pNext = nullptr;
    } else {
      pElement->pPrevious->pNext = pElement->pNext;
      pElement->pNext->pPrevious = pElement->pPrevious;
    }
    destroyElement(pElement);
    m_Count--;
  }
  Element* pNextElement = toElement(pNext);
  Element* pBack = pNextElement ? pNextElement->pPrevious : nullptr;
  TRACE_LINE(TRC_LINKEDLIST,
             "Exit %s, pNext = %#" PRIxPTR "\n  m_pHead                : %#" PRIxPTR
             "\n  m_pTail                : %#" PRIxPTR "\n  pNext->pPrevious       : %#" PRIxPTR
             "\n  pNext->pPrevious->pNext: %#" PRIxPTR "\n",
             kName, addr(pNext), addr(m_pHead), addr(m_pTail), addr(pBack),
             addr(pBack ? pBack->pNext : nullptr));
  return pNext;
}

template <class T>
int CLinkedList<T>::freeAll() {
  static const char* const kName = "CLinkedList::freeAll()";
  TRACE_LINE(TRC_LINKEDLIST,
             "Enter %s - %#" PRIxPTR "\n  m_pHead: %#" PRIxPTR "\n  m_pTail: %#" PRIxPTR "\n",
             kName, addr(this), addr(m_pHead), addr(m_pTail));
  while (m_pHead != nullptr) {
    Element* pElement = m_pHead;
    m_pHead = pElement->pNext;
    destroyElement(pElement);
  }
  m_pTail = nullptr;
  m_Count = 0;
  TRACE_LINE(TRC_LINKEDLIST,
             "Exit %s, rc = %d\n  m_pHead: %#" PRIxPTR "\n  m_pTail: %#" PRIxPTR "\n", kName, RC_OK,
             addr(m_pHead), addr(m_pTail));
  return RC_OK;
}

template <class T>
T* CLinkedList<T>::getFirst() {
  static const char* const kName = "CLinkedList::getFirst()";
  TRACE_LINE(TRC_LINKEDLIST, "Enter %s - %#" PRIxPTR "\n", kName, addr(this));
  T* pData = toData(m_pHead);
  TRACE_LINE(TRC_LINKEDLIST, "Exit %s, pData = %#" PRIxPTR "\n", kName, addr(pData));
  return pData;
}

template <class T>
T* CLinkedList<T>::getLast() {
  static const char* const kName = "CLinkedList::getLast()";
  TRACE_LINE(TRC_LINKEDLIST, "Enter %s - %#" PRIxPTR "\n", kName, addr(this));
  T* pData = toData(m_pTail);
  TRACE_LINE(TRC_LINKEDLIST, "Exit %s, pData = %#" PRIxPTR "\n", kName, addr(pData));
  return pData;
}

template <class T>
T* CLinkedList<T>::getNext(T* pData) {
  return neighbour(pData, "CLinkedList::getNext()", "Exit %s, pNext = %#" PRIxPTR "\n", true);
}

template <class T>
T* CLinkedList<T>::getPrevious(T* pData) {
  return neighbour(pData, "CLinkedList::getPrevious()", "Exit %s, pPrevious = %#" PRIxPTR "\n",
                   false);
}

template <class T>
T* CLinkedList<T>::neighbour(T* pData, const char* nameP, const char* exitFormatP, bool next) {
  TRACE_LINE(TRC_LINKEDLIST, "Enter %s - %#" PRIxPTR "\n  pData: %#" PRIxPTR "\n", nameP,
             addr(this), addr(pData));
  Element* pElement = pData ? toElement(pData) : nullptr;
  T* pNeighbour = pElement ? toData(next ? pElement->pNext : pElement->pPrevious) : nullptr;
  TRACE_LINE(TRC_LINKEDLIST, exitFormatP, nameP, addr(pNeighbour));
  return pNeighbour;
}

template <class T>
uint32_t CLinkedList<T>::getCount() {
  static const char* const kName = "CLinkedList::getCount()";
  TRACE_LINE(TRC_LINKEDLIST, "Enter %s - %#" PRIxPTR "\n", kName, addr(this));
  TRACE_LINE(TRC_LINKEDLIST, "Exit %s, count = %d\n", kName, static_cast<int>(m_Count));
  return m_Count;
}

template <class T>
void CLinkedList<T>::Chain::append(Element* pElement) {
  pElement->pPrevious = pTail;
  pElement->pNext = nullptr;
  if (pTail == nullptr) {
    pHead = pElement;
  } else {
    pTail->pNext = pElement;
  }
  pTail = pElement;
}

template <class T>
typename CLinkedList<T>::Element* CLinkedList<T>::Chain::takeHead() {
  Element* pElement = pHead;
  pHead = pElement->pNext;
  if (pHead == nullptr) pTail = nullptr;
  return pElement;
}

// Deals the list's ascending runs alternately into chainsP[0] and chainsP[1]; a run ends where
// an element compares below the one before it. Returns true when the list was one run.
template <class T>
bool CLinkedList<T>::splitRuns(CompareRtn compareRtn, Chain* chainsP) {
  int current = 0;
  Element* pElement = m_pHead;
  while (pElement != nullptr) {
    Element* pFollowing = pElement->pNext;
    if (chainsP[current].pTail != nullptr &&
        compare(compareRtn, pElement, chainsP[current].pTail) < 0) {
      current = 1 - current;
    }
    chainsP[current].append(pElement);
    pElement = pFollowing;
  }
  return chainsP[1].pHead == nullptr;
}

// Merges the two chains into one with fewer ascending runs: the smaller head goes first, and a
// run of the other chain is taken whole while it continues the merged tail's ascent.
template <class T>
typename CLinkedList<T>::Chain CLinkedList<T>::mergeRuns(CompareRtn compareRtn, Chain* chainsP) {
  Chain merged;
  int first = compare(compareRtn, chainsP[0].pHead, chainsP[1].pHead) > 0 ? 1 : 0;
  merged.append(chainsP[first].takeHead());
  while (chainsP[0].pHead != nullptr && chainsP[1].pHead != nullptr) {
    int j = compare(compareRtn, chainsP[0].pHead, chainsP[1].pHead) > 0 ? 1 : 0;
    int other = 1 - j;
    if (compare(compareRtn, chainsP[j].pHead, merged.pTail) >= 0 ||
        compare(compareRtn, chainsP[other].pHead, merged.pTail) < 0) {
      merged.append(chainsP[j].takeHead());
      continue;
    }
    merged.append(chainsP[other].takeHead());
    while (chainsP[other].pHead != nullptr &&
           compare(compareRtn, chainsP[other].pHead, merged.pTail) >= 0) {
      merged.append(chainsP[other].takeHead());
    }
  }
  for (int i = 0; i < 2; i++) {
    while (chainsP[i].pHead != nullptr) merged.append(chainsP[i].takeHead());
  }
  return merged;
}

template <class T>
void CLinkedList<T>::dumpChain(Element* pHead, const char* titleP,
                               CompareDataRtn getCompareDataRtn) {
  gTrace.header(__FILE__, __LINE__);
  gTrace.printf("%s", titleP);
  for (Element* pElement = pHead; pElement != nullptr; pElement = pElement->pNext) {
    gTrace.header(__FILE__, __LINE__);
    gTrace.printf("  %s\n", getCompareDataRtn(&pElement->data));
  }
}

template <class T>
void CLinkedList<T>::dumpSorted(CompareDataRtn getCompareDataRtn) {
  dumpChain(m_pHead, "Sorted (ascending) list compare data:\n", getCompareDataRtn);
  gTrace.header(__FILE__, __LINE__);
  gTrace.printf("Sorted (descending) list compare data:\n");
  for (T* pData = getLast(); pData != nullptr; pData = getPrevious(pData)) {
    gTrace.header(__FILE__, __LINE__);
    gTrace.printf("  %s\n", getCompareDataRtn(pData));
  }
}

template <class T>
void CLinkedList<T>::sortbmrg(CompareRtn compareRtn, CompareDataRtn getCompareDataRtn) {
  static const char* const kName = "CLinkedList::sortbmrg()";
  TRACE_LINE(TRC_LINKEDLIST,
             "Enter %s - %#" PRIxPTR "\n  getCompareDataRtn: %#" PRIxPTR
             "\n  compareRtn       : %#" PRIxPTR "\n",
             kName, addr(this), reinterpret_cast<uintptr_t>(getCompareDataRtn),
             reinterpret_cast<uintptr_t>(compareRtn));
  bool dump = getCompareDataRtn != nullptr && gTrace.isOn(TRC_SORTLINKEDLIST);
  if (m_Count > 1) {
    if (dump) dumpChain(m_pHead, "List compare data to be sorted:\n", getCompareDataRtn);
    for (;;) {
      Chain chains[2];
      bool sorted = splitRuns(compareRtn, chains);
      if (dump)
        dumpChain(chains[0].pHead, "splitListP[ 0 ] list compare data:\n", getCompareDataRtn);
      if (dump && !sorted) {
        dumpChain(chains[1].pHead, "splitListP[ 1 ] list compare data:\n", getCompareDataRtn);
      }
      Chain merged = sorted ? chains[0] : mergeRuns(compareRtn, chains);
      m_pHead = merged.pHead;
      m_pTail = merged.pTail;
      if (sorted) break;
    }
    if (dump) dumpSorted(getCompareDataRtn);
  }
  TRACE_LINE(TRC_LINKEDLIST, "Exit %s\n", kName);
}

// True when pEnd lies exactly nCount - 1 links after pStart.
template <class T>
bool CLinkedList<T>::isSublist(Element* pStart, Element* pEnd, int nCount) {
  Element* pElement = pStart;
  for (int i = 1; i < nCount && pElement != nullptr; i++) pElement = pElement->pNext;
  return pStart != nullptr && pElement == pEnd;
}

template <class T>
void CLinkedList<T>::sublistSortbmrg(T* pStart, T* pEnd, int nCount, CompareRtn compareRtn,
                                     CompareDataRtn getCompareDataRtn) {
  static const char* const kName = "CLinkedList::sublistSortbmrg()";
  Element* pFirst = toElement(pStart);
  Element* pLast = toElement(pEnd);
  TRACE_LINE(TRC_LINKEDLIST,
             "Enter %s - %#" PRIxPTR "\n  m_pHead(pStart)  : %#" PRIxPTR "(%#" PRIxPTR
             ")\n  m_pTail(pEnd)    : %#" PRIxPTR "(%#" PRIxPTR
             ")\n  m_Count(nCount)  : %d(%d)\n  getCompareDataRtn: %#" PRIxPTR
             "\n  compareRtn       : %#" PRIxPTR "\n",
             kName, addr(this), addr(m_pHead), addr(pStart), addr(m_pTail), addr(pEnd),
             static_cast<int>(m_Count), nCount, reinterpret_cast<uintptr_t>(getCompareDataRtn),
             reinterpret_cast<uintptr_t>(compareRtn));
  if (nCount > 1 && !isSublist(pFirst, pLast, nCount)) {
    TRACE_LINE(TRC_LINKEDLIST, "Invalid sublist passed to sublistSortbmrg\n");
  } else if (nCount > 1) {
    Element* pHead = m_pHead;
    Element* pTail = m_pTail;
    uint32_t count = m_Count;
    Element* pBefore = pFirst->pPrevious;
    Element* pAfter = pLast->pNext;
    m_pHead = pFirst;
    m_pTail = pLast;
    m_Count = static_cast<uint32_t>(nCount);
    pFirst->pPrevious = nullptr;
    pLast->pNext = nullptr;
    sortbmrg(compareRtn, getCompareDataRtn);
    m_Count = count;
    if (pBefore != nullptr) {
      pBefore->pNext = m_pHead;
      m_pHead->pPrevious = pBefore;
      m_pHead = pHead;
    }
    if (pAfter != nullptr) {
      m_pTail->pNext = pAfter;
      pAfter->pPrevious = m_pTail;
      m_pTail = pTail;
    }
  }
  TRACE_LINE(TRC_LINKEDLIST,
             "Exit %s,\n   m_pHead: %#" PRIxPTR "\n  m_pTail: %#" PRIxPTR "\n  m_Count: %d\n",
             kName, addr(m_pHead), addr(m_pTail), static_cast<int>(m_Count));
}
