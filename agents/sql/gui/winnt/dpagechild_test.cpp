#include "dpagechild.h"

#include <gtest/gtest.h>

namespace {

TEST(PageAlignRect, FlagsApplyInTheirOrder) {
  const DPageRect w{10, 20, 110, 70};  // 100 x 50
  const DPageRect r{0, 0, 400, 300};
  struct Case {
    unsigned flags;
    int dx, dy;
    DPageRect expected;
  };
  const Case cases[] = {
      {0, 7, 7, w},
      {16, 7, 0, {293, 20, 393, 70}},       // right to right, width kept
      {256, 7, 0, {-107, 20, -7, 70}},      // right to left
      {8, 0, 7, {10, 243, 110, 293}},       // bottom to bottom, height kept
      {128, 0, 7, {10, -57, 110, -7}},      // bottom to top
      {2, 0, 5, {10, 5, 110, 70}},          // top to top: only the top edge
      {32, 0, 5, {10, 305, 110, 70}},       // top to bottom
      {4, 3, 0, {3, 20, 110, 70}},          // left to left: only the left edge
      {64, 3, 0, {403, 20, 110, 70}},       // left to right
      {1, 9, 9, w},                         // origin alone changes nothing
      {25, 7, 7, {10, 20, 393, 293}},       // the tab views' page: origin kept, stretched
      {16 | 4, 7, 0, {7, 20, 393, 70}},     // right first, then the left edge
      {256 | 64, 5, 0, {405, 20, -5, 70}},  // right to left, then left to right
      {8 | 2, 0, 4, {10, 4, 110, 296}},     // bottom first, then the top edge
      {16 | 1, 7, 7, {10, 20, 393, 70}},    // shift then origin back: the width grows
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, pageAlignRect(w, r, c.flags, c.dx, c.dy)) << "flags " << c.flags;
  }
}

TEST(PageAlignRect, ReferenceOffsetIsTakenFromTheReference) {
  const DPageRect w{0, 0, 50, 20};
  const DPageRect r{100, 200, 300, 260};
  EXPECT_EQ((DPageRect{107, 210, 50, 20}), pageAlignRect(w, r, 4 | 2, 7, 10));  // edges only
  EXPECT_EQ((DPageRect{243, 233, 293, 253}), pageAlignRect(w, r, 16 | 8, 7, 7));
}

TEST(DPageChildWnd, DoesNothingWithoutBothWindows) {
  DPageChildWnd helper;  // with null windows nothing is touched (no display needed)
  helper.alignWindowTo(nullptr, nullptr, 25, 7, 7);
  helper.alignWindowToRect(nullptr, nullptr, 25, 7, 7, nullptr);
  helper.alignComboBoxTo(nullptr, nullptr, 25, 7, 7);
  helper.fitWindowTo(nullptr, nullptr, true, 1, 1);
  helper.fitWindowWidthTo(nullptr, nullptr, true, 1, 1);
}

}  // namespace
