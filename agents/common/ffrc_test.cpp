#include "ffrc.h"

#include <gtest/gtest.h>

#include "agtrc.h"

namespace {

TEST(ExitStatus, IsTheLowByteAndNeverSuccessForAFailure) {
  const struct {
    int rc, status;
  } cases[] = {{RC_OK, 0}, {415, 159}, {255, 255}, {256, 255}, {512, 255}, {257, 1}};
  for (const auto& c : cases) EXPECT_EQ(exitStatusOf(c.rc), c.status) << c.rc;
}

TEST(Ffrc, KeepsTheFirstFailure) {
  Ffrc rc = 0;
  EXPECT_EQ(rc, 0);
  rc = 0;
  EXPECT_EQ(rc, 0);
  rc = 406;
  rc = 0;
  rc = 415;
  rc = 419;
  EXPECT_EQ(rc, 406);
}

TEST(Ffrc, AssignedFromAnotherHolderTakesItsCodeOnlyWhileEmpty) {
  Ffrc failed(421);
  Ffrc empty(0);
  Ffrc first(406);
  first = empty;
  EXPECT_EQ(first, 406);
  first = failed;
  EXPECT_EQ(first, 406);
  empty = failed;
  EXPECT_EQ(empty, 421);
  Ffrc chained(0);
  chained = 0;
  (chained = 0) = 415;  // assignments chain on the holder
  EXPECT_EQ(chained, 415);
}

}  // namespace
