#include <gtest/gtest.h>

#include "dateutil.h"
#include "dslnklst.h"
#include "nlstestenv.h"

namespace {

TEST(DateMonthNames, TwelveNamesBuiltOnceFromTheLocale) {
  nlsTestTable();
  dsList* listP = dateMonthNames();
  ASSERT_NE(nullptr, listP);
  ASSERT_EQ(12u, listP->getCount(listP));
  EXPECT_STREQ("January", static_cast<const char*>(listP->getData(listP, listP->getAt(listP, 0))));
  EXPECT_STREQ("December",
               static_cast<const char*>(listP->getData(listP, listP->getAt(listP, 11))));
  EXPECT_EQ(listP, dateMonthNames());
}

}  // namespace
