#include <gtest/gtest.h>

#include <vector>

#include "dtreeview_testutil.h"

namespace {

constexpr int kPlain = 7;  // a server or database picture

using CheckTest = TreeFixture<>;

// A parent's check value after one child changed, by pictures (ciPropogateImageUp) and, with
// the same table, by state pictures in state-image mode (ciPropogateStateUp).
struct ParentCase {
  const char* name;
  int parent;
  std::vector<int> children;  // 0: a plain picture
  int changed;                // the child that changes
  int newValue;               // to this
  int expected;               // the parent's value afterwards
};

const ParentCase kParentCases[] = {
    {"last clear child checked", S_CLEAR, {S_CHECK, S_CHECK, S_CLEAR}, 2, S_CHECK, S_CHECK},
    {"one of all checked cleared", S_CHECK, {S_CHECK, S_CHECK, S_CHECK}, 0, S_CLEAR, S_PARTIAL},
    {"every child cleared", S_PARTIAL, {S_CLEAR, S_CLEAR, S_CHECK}, 2, S_CLEAR, S_CLEAR},
    {"only not-selectable children", S_CHECK, {S_NOSELECT, S_NOSELECT}, 0, S_NOSELECT, S_CLEAR},
    {"checked beside a plain picture", S_CLEAR, {S_CLEAR, 0}, 0, S_CHECK, S_PARTIAL},
    {"a partial child", S_CHECK, {S_CHECK, S_CHECK}, 1, S_PARTIAL, S_PARTIAL},
    {"disabled children not counted", S_CLEAR, {S_CLEAR, S_DISABLED}, 0, S_CHECK, S_CHECK},
};

TEST_F(CheckTest, ParentPictureFollowsItsChildren) {
  for (const ParentCase& c : kParentCases) {
    SCOPED_TRACE(c.name);
    m_view.ciDeleteAllItems();
    HTREEITEM top = add(nullptr, "server", kPlain);
    HTREEITEM parent = add(top, "db", c.parent);
    std::vector<HTREEITEM> kids;
    for (int value : c.children) kids.push_back(add(parent, "f", value == 0 ? kPlain : value));
    m_view.ciSetImage(kids[c.changed], c.newValue, c.newValue);
    EXPECT_EQ(m_view.ciPropogateImageUp(kids[c.changed]), 1);
    EXPECT_EQ(image(parent), c.expected);
    EXPECT_EQ(m_ctrlP->getSelectedImage(parent), c.expected);
    EXPECT_EQ(record(parent)->m_image, c.expected);
    EXPECT_EQ(image(top), kPlain);  // a plain picture ends the pass
  }
}

TEST_F(CheckTest, ParentStateFollowsItsChildrenInStateImageMode) {
  m_view.ciSetTreeDefaults(0, 0, 1);
  for (const ParentCase& c : kParentCases) {
    SCOPED_TRACE(c.name);
    m_view.ciDeleteAllItems();
    HTREEITEM top = add(nullptr, "server", kPlain, 0);
    HTREEITEM parent = add(top, "db", kPlain, c.parent);
    std::vector<HTREEITEM> kids;
    for (int value : c.children)
      kids.push_back(add(parent, "f", kPlain, value == 0 ? kPlain : value));
    m_view.ciSetState(kids[c.changed], c.newValue);
    EXPECT_EQ(m_view.ciPropogateStateUp(kids[c.changed]), 1);
    EXPECT_EQ(state(parent), c.expected);
    EXPECT_EQ(record(parent)->m_state, c.expected);
    EXPECT_EQ(state(top), 0);
  }
}

TEST_F(CheckTest, PartialCascadesThroughEveryCheckPictureUpToAPlainOne) {
  HTREEITEM outer = add(nullptr, "outer", S_CLEAR);
  HTREEITEM plain = add(outer, "plain", kPlain);
  HTREEITEM noselect = add(plain, "noselect", S_NOSELECT);
  HTREEITEM grand = add(noselect, "grand", S_CHECK);
  HTREEITEM parent = add(grand, "parent", S_CLEAR);
  HTREEITEM kid1 = add(parent, "kid1", S_CLEAR);
  HTREEITEM kid2 = add(parent, "kid2", S_CLEAR);

  m_view.ciSetImage(kid1, S_CHECK, S_CHECK);
  m_view.ciPropogateImageUp(kid1);
  EXPECT_EQ(image(parent), S_PARTIAL);
  EXPECT_EQ(image(grand), S_PARTIAL);
  EXPECT_EQ(image(noselect), S_PARTIAL);  // not-selectable, and still made partial
  EXPECT_EQ(image(plain), kPlain);
  EXPECT_EQ(image(outer), S_CLEAR);  // beyond the plain picture

  // Without a partial result each ancestor is recomputed, and a not-selectable one stops it.
  m_view.ciSetImage(noselect, S_NOSELECT, S_NOSELECT);
  m_view.ciSetImage(kid2, S_CHECK, S_CHECK);
  m_view.ciPropogateImageUp(kid2);
  EXPECT_EQ(image(parent), S_CHECK);
  EXPECT_EQ(image(grand), S_CHECK);
  EXPECT_EQ(image(noselect), S_NOSELECT);
}

TEST_F(CheckTest, NotSelectableParentStopsPicturesButIsRecomputedForStates) {
  HTREEITEM grand = add(nullptr, "grand", S_CLEAR);
  HTREEITEM parent = add(grand, "parent", S_NOSELECT);
  HTREEITEM kid1 = add(parent, "kid1", S_CHECK);
  add(parent, "kid2", S_CHECK);

  m_view.ciPropogateImageUp(kid1);
  EXPECT_EQ(image(parent), S_NOSELECT);
  EXPECT_EQ(image(grand), S_CLEAR);

  // The state pass reads the not-selectable picture as clear and goes on; it writes states.
  m_view.ciPropogateStateUp(kid1);
  EXPECT_EQ(state(parent), S_CHECK);
  EXPECT_EQ(image(parent), S_NOSELECT);
  EXPECT_EQ(state(grand), S_CLEAR);  // its one child is not-selectable by picture: not counted
}

TEST_F(CheckTest, StatePassCascadesPartialThroughNotSelectableStates) {
  m_view.ciSetTreeDefaults(0, 0, 1);
  HTREEITEM top = add(nullptr, "top", kPlain, 0);
  HTREEITEM noselect = add(top, "noselect", kPlain, S_NOSELECT);
  HTREEITEM parent = add(noselect, "parent", kPlain, S_CLEAR);
  HTREEITEM kid1 = add(parent, "kid1", kPlain, S_CLEAR);
  add(parent, "kid2", kPlain, S_CLEAR);

  m_view.ciSetState(kid1, S_CHECK);
  m_view.ciPropogateStateUp(kid1);
  EXPECT_EQ(state(parent), S_PARTIAL);
  EXPECT_EQ(state(noselect), S_PARTIAL);
  EXPECT_EQ(state(top), 0);
}

TEST_F(CheckTest, UpwardPassesOfNoItemDoNothing) {
  EXPECT_EQ(m_view.ciPropogateImageUp(nullptr), 0);
  EXPECT_EQ(m_view.ciPropogateStateUp(nullptr), 0);
  HTREEITEM root = add(nullptr, "root", S_CHECK);
  EXPECT_EQ(m_view.ciPropogateImageUp(root), 1);  // no parent: nothing to recompute
  EXPECT_EQ(image(root), S_CHECK);
}

TEST_F(CheckTest, ChildrenCountedByCheckValue) {
  HTREEITEM parent = add(nullptr, "p", S_CLEAR);
  for (int value :
       std::vector<int>{S_CLEAR, S_CHECK, S_PARTIAL, S_NOSELECT, S_DISABLED, 0, kPlain}) {
    add(parent, "k", value);
  }
  int32_t children = -1, checked = -1, partial = -1, clear = -1;
  EXPECT_EQ(m_view.ciCheckOnKids(parent, &children, &checked, &partial, &clear), 1);
  EXPECT_EQ(children, 5);  // the not-selectable and the disabled one are not counted
  EXPECT_EQ(checked, 1);
  EXPECT_EQ(partial, 1);
  EXPECT_EQ(clear, 1);

  HTREEITEM leaf = add(parent, "leaf", S_CLEAR);
  EXPECT_EQ(m_view.ciCheckOnKids(leaf, &children, &checked, &partial, &clear), 1);
  EXPECT_EQ(children + checked + partial + clear, 0);
}

// A tree whose items hold content that is not shown as children.
class ContentTree : public DTreeView {
 public:
  int32_t m_checked = 0;
  int32_t m_clear = 0;
  int ciCheckOnDir(HTREEITEM, int32_t* databasesP, int32_t* checkedP, int32_t* clearP) override {
    *databasesP += m_checked + m_clear;
    *checkedP += m_checked;
    *clearP += m_clear;
    return 1;
  }
};
using ContentTest = TreeFixture<ContentTree>;

TEST_F(ContentTest, ContentThatIsNotShownCountsToo) {
  HTREEITEM parent = add(nullptr, "p", S_CLEAR);
  HTREEITEM kid = add(parent, "kid", S_CHECK);
  m_view.m_checked = 2;
  m_view.m_clear = 1;
  int32_t children, checked, partial, clear;
  m_view.ciCheckOnKids(kid, &children, &checked, &partial, &clear);
  EXPECT_EQ(children, 3);
  EXPECT_EQ(checked, 2);
  EXPECT_EQ(clear, 1);

  // All shown children checked, but content left clear: the parent is partial.
  m_view.ciPropogateStateUp(kid);
  EXPECT_EQ(state(parent), S_PARTIAL);
}

TEST_F(CheckTest, PictureDownCoversSubtreeAndFollowingSiblingsButKeepsExcludedItems) {
  HTREEITEM parent = add(nullptr, "p", S_CLEAR);
  HTREEITEM before = add(parent, "before", S_CLEAR);
  HTREEITEM start = add(parent, "start", S_CLEAR);
  HTREEITEM startKid = add(start, "startKid", S_CLEAR);
  HTREEITEM startNoselect = add(start, "startNoselect", S_NOSELECT);
  HTREEITEM disabled = add(parent, "disabled", S_DISABLED);
  HTREEITEM disabledKid = add(disabled, "disabledKid", S_CLEAR);
  HTREEITEM after = add(parent, "after", S_PARTIAL);

  EXPECT_EQ(m_view.ciPropogateImageDown(start, S_CHECK), 0);
  EXPECT_EQ(image(start), S_CHECK);
  EXPECT_EQ(image(startKid), S_CHECK);
  EXPECT_EQ(record(startKid)->m_image, S_CHECK);
  EXPECT_EQ(image(startNoselect), S_NOSELECT);
  EXPECT_EQ(image(disabled), S_DISABLED);
  EXPECT_EQ(image(disabledKid), S_CHECK);  // below a disabled item the pass goes on
  EXPECT_EQ(image(after), S_CHECK);
  EXPECT_EQ(image(before), S_CLEAR);
  EXPECT_EQ(image(parent), S_CLEAR);
}

// Counts the items the state pass visits.
class VisitTree : public DTreeView {
 public:
  std::vector<HTREEITEM> m_visited;
  int ciPropogateStateToNode(HTREEITEM item, int) override {
    m_visited.push_back(item);
    return 1;
  }
};
using VisitTest = TreeFixture<VisitTree>;

TEST_F(VisitTest, StateDownCoversSubtreeAndFollowingSiblingsInOrder) {
  HTREEITEM parent = add(nullptr, "p", S_CLEAR);
  HTREEITEM before = add(parent, "before", S_CLEAR);
  HTREEITEM start = add(parent, "start", S_CLEAR);
  HTREEITEM startKid = add(start, "startKid", S_NOSELECT);
  HTREEITEM after = add(parent, "after", S_CLEAR);

  EXPECT_EQ(m_view.ciPropogateStateDown(start, S_CHECK), 0);
  EXPECT_EQ(m_view.m_visited, (std::vector<HTREEITEM>{start, startKid, after}));
  EXPECT_EQ(state(startKid), S_CHECK);  // states take no exception
  EXPECT_EQ(record(after)->m_state, S_CHECK);
  EXPECT_EQ(state(before), 0);
  EXPECT_EQ(m_view.ciPropogateStateDown(nullptr, S_CHECK), 0);
}

TEST_F(CheckTest, PictureDownOverALongListOfSiblings) {
  // Siblings are walked, not recursed into: ten thousand backups under one database.
  HTREEITEM parent = add(nullptr, "db", S_CLEAR);
  HTREEITEM first = add(parent, "0", S_CLEAR);
  HTREEITEM last = first;
  for (int i = 1; i < 10000; ++i) last = add(parent, std::to_string(i), S_CLEAR);
  m_view.ciPropogateImageDown(first, S_CHECK);
  EXPECT_EQ(image(last), S_CHECK);
}

TEST_F(CheckTest, PicturesAcrossAndToTheParentLeaveTheRecords) {
  HTREEITEM parent = add(nullptr, "p", S_CLEAR);
  HTREEITEM a = add(parent, "a", S_CLEAR);
  HTREEITEM b = add(parent, "b", S_CLEAR);
  HTREEITEM c = add(parent, "c", S_CLEAR);

  EXPECT_EQ(m_view.ciPropogateImageToSiblings(b, S_CHECK), 1);
  EXPECT_EQ(image(a), S_CHECK);
  EXPECT_EQ(image(c), S_CHECK);
  EXPECT_EQ(image(b), S_CLEAR);
  EXPECT_EQ(record(a)->m_image, S_CLEAR);
  EXPECT_EQ(m_view.ciPropogateImageToSiblings(nullptr, S_CHECK), 0);

  EXPECT_EQ(m_view.ciPropogateImageToParent(b, S_PARTIAL), 1);
  EXPECT_EQ(image(parent), S_PARTIAL);
  EXPECT_EQ(m_ctrlP->getSelectedImage(parent), S_PARTIAL);
  EXPECT_EQ(record(parent)->m_image, S_CLEAR);
  EXPECT_EQ(m_view.ciPropogateImageToParent(parent, S_CHECK), 1);  // a root: nothing to set
}

TEST_F(CheckTest, StateQueriesReadPicturesOrStatePicturesByMode) {
  m_view.ciSetTreeDefaults(0, 0, 1);
  HTREEITEM parent = add(nullptr, "p", S_CHECK, S_CLEAR);
  add(parent, "a", S_CHECK, S_CLEAR);
  HTREEITEM leaf = add(parent, "b", S_CHECK, S_CHECK);
  EXPECT_EQ(m_view.ciIsTiState(parent, S_CHECK), 0);
  EXPECT_EQ(m_view.ciIsTiState(parent, S_CLEAR), 1);
  EXPECT_EQ(m_view.ciIsTiStateOfChildren(parent, S_CHECK), 0);
  EXPECT_EQ(m_view.ciIsTiStateOfChildren(leaf, S_PARTIAL), 1);  // no children
  m_view.ciSetTreeDefaults(0, 0, 0);
  EXPECT_EQ(m_view.ciIsTiState(parent, S_CHECK), 1);
  EXPECT_EQ(m_view.ciIsTiStateOfChildren(parent, S_CHECK), 1);
  EXPECT_EQ(m_view.ciIsTiImage(leaf, S_CHECK), 1);
}

}  // namespace
