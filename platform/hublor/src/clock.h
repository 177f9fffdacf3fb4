// The server's clock (which tests may fix) and the interface's local date record.
#pragma once

#include <cstdint>

#include "hublorapi.h"

namespace hublor {

int64_t nowSeconds();
void fixClock(int64_t secondsSinceEpoch);  // 0: the real clock

pelkDate toDate(int64_t secondsSinceEpoch);  // all zero for 0
int64_t fromDate(const pelkDate& date);      // 0 for an all-zero date
bool isZeroDate(const pelkDate& date);

}  // namespace hublor
