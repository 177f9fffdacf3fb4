// The one walk over the stripes of a database backup or restore run: a run uses the first
// `count` records of its stripe list (the list keeps records of earlier, wider runs).
#pragma once

#include <cstdint>

#include "linklist.h"

// Calls fn(record) on the run's stripe records in order while it returns true; true when every
// stripe was walked.
template <typename Record, typename Fn>
bool walkStripes(CLinkedList<Record>& list, uint32_t count, Fn fn) {
  uint32_t k = 0;
  for (Record* p = list.getFirst(); p != nullptr && k < count; p = list.getNext(p), k++) {
    if (!fn(p)) return false;
  }
  return true;
}
