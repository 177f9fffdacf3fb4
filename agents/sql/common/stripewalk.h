// The one walk over the stripes of a database backup or restore: a range of stripe records for
// a range-for. A run uses the first `count` records of its stripe list (the list keeps the
// records of earlier, wider runs, and only the owner's end of life walks them all).
//
//   for (StripeData* p : stripeRange(m_StripeDataList, m_NumStripes)) { ... }
//
// The walk asks the list for its first record and for each next one as it goes on, so a loop
// that breaks or returns early asks no further. The list must not change during the walk.
#pragma once

#include <cstdint>

#include "linklist.h"

template <typename Record>
class CStripeRange {
 public:
  class Iterator {
   public:
    Iterator(CLinkedList<Record>* listP, Record* recordP, uint32_t left)
        : m_ListP(listP), m_RecordP(left > 0 ? recordP : nullptr), m_Left(left) {}
    Record* operator*() const { return m_RecordP; }
    Iterator& operator++() {
      m_RecordP = m_ListP->getNext(m_RecordP);
      if (--m_Left == 0) m_RecordP = nullptr;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return m_RecordP != other.m_RecordP; }

   private:
    CLinkedList<Record>* m_ListP;
    Record* m_RecordP;
    uint32_t m_Left;  // records the walk may still give, this one included
  };

  CStripeRange(CLinkedList<Record>& list, uint32_t count) : m_List(list), m_Count(count) {}
  Iterator begin() { return Iterator(&m_List, m_List.getFirst(), m_Count); }
  Iterator end() { return Iterator(&m_List, nullptr, 0); }

 private:
  CLinkedList<Record>& m_List;
  uint32_t m_Count;
};

// The first `count` records of the list, in order.
template <typename Record>
CStripeRange<Record> stripeRange(CLinkedList<Record>& list, uint32_t count) {
  return CStripeRange<Record>(list, count);
}

// Every record of the list, those of earlier wider runs included.
template <typename Record>
CStripeRange<Record> allStripes(CLinkedList<Record>& list) {
  return CStripeRange<Record>(list, UINT32_MAX);
}
