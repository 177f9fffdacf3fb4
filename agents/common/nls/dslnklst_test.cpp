#include "dslnklst.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gDestroyed;
void recordDestroy(void* dataP) {
  gDestroyed.push_back(static_cast<const char*>(dataP));
}

class DsListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gDestroyed.clear();
    m_ListP = dsListCreate(recordDestroy);
    ASSERT_NE(m_ListP, nullptr);
  }
  void TearDown() override { dsListDestroy(m_ListP); }

  std::vector<std::string> walk() {
    std::vector<std::string> result;
    for (dsListNode* nodeP = m_ListP->getNext(m_ListP, nullptr); nodeP != nullptr;
         nodeP = m_ListP->getNext(m_ListP, nodeP)) {
      result.push_back(static_cast<const char*>(m_ListP->getData(m_ListP, nodeP)));
    }
    return result;
  }

  dsList* m_ListP = nullptr;
  // The records live as long as the fixture: TearDown's destroy routine still reads them.
  char m_A[2] = "a", m_B[2] = "b", m_C[2] = "c", m_OtherB[2] = "b";
};

TEST_F(DsListTest, AnEmptyListWalksToNothing) {
  EXPECT_EQ(m_ListP->isEmpty(m_ListP), 1);
  EXPECT_EQ(m_ListP->getNext(m_ListP, nullptr), nullptr);
  EXPECT_EQ(m_ListP->getAt(m_ListP, 0), nullptr);
  EXPECT_EQ(m_ListP->removeNode(m_ListP, nullptr), 0);
  EXPECT_EQ(m_ListP->find(m_ListP, "a", dsListCompareString), nullptr);
}

TEST_F(DsListTest, HeadAndTailAdditionsWalkInOrderAndByPosition) {
  dsListNode* bP = m_ListP->addTail(m_ListP, m_B);
  m_ListP->addHead(m_ListP, m_A);
  dsListNode* cP = m_ListP->addTail(m_ListP, m_C);
  EXPECT_EQ(walk(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(m_ListP->getCount(m_ListP), 3u);
  EXPECT_EQ(m_ListP->isEmpty(m_ListP), 0);
  EXPECT_EQ(m_ListP->getAt(m_ListP, 1), bP);
  EXPECT_EQ(m_ListP->getAt(m_ListP, 2), cP);
  EXPECT_EQ(m_ListP->getAt(m_ListP, 3), nullptr);
  EXPECT_EQ(m_ListP->getNext(m_ListP, cP), nullptr);
}

TEST_F(DsListTest, FindStopsAtTheFirstMatch) {
  m_ListP->addTail(m_ListP, m_A);
  dsListNode* firstB = m_ListP->addTail(m_ListP, m_B);
  m_ListP->addTail(m_ListP, m_OtherB);
  EXPECT_EQ(m_ListP->find(m_ListP, "b", dsListCompareString), firstB);
  EXPECT_EQ(m_ListP->find(m_ListP, "z", dsListCompareString), nullptr);
}

TEST_F(DsListTest, RemovalsCallTheDestroyRoutineOnceEachAndKeepTheListUsable) {
  dsListNode* aP = m_ListP->addTail(m_ListP, m_A);
  dsListNode* bP = m_ListP->addTail(m_ListP, m_B);
  dsListNode* cP = m_ListP->addTail(m_ListP, m_C);
  EXPECT_EQ(m_ListP->removeNode(m_ListP, cP), 1);  // the tail
  EXPECT_EQ(m_ListP->removeNode(m_ListP, aP), 1);  // the head
  EXPECT_EQ(walk(), std::vector<std::string>{"b"});
  EXPECT_EQ(m_ListP->pTail, bP);
  EXPECT_EQ(m_ListP->removeNode(m_ListP, bP), 1);  // the only node
  EXPECT_EQ(m_ListP->pHead, nullptr);
  EXPECT_EQ(m_ListP->pTail, nullptr);
  EXPECT_EQ(gDestroyed, (std::vector<std::string>{"c", "a", "b"}));
  gDestroyed.clear();
  m_ListP->addTail(m_ListP, m_A);
  m_ListP->addTail(m_ListP, m_B);
  m_ListP->removeAll(m_ListP);
  EXPECT_EQ(gDestroyed, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(m_ListP->isEmpty(m_ListP), 1);
  m_ListP->addTail(m_ListP, m_C);
  EXPECT_EQ(walk(), std::vector<std::string>{"c"});
}

TEST(DsListCompare, EqualGreaterSmaller) {
  struct Case {
    uint32_t data;
    uint32_t key;
    int result;
  };
  for (const Case& c : {Case{5, 5, 0}, Case{6, 5, 1}, Case{4, 5, 2}, Case{0xFFFFFFFF, 1, 1}}) {
    EXPECT_EQ(dsListCompareUlong(&c.data, &c.key), c.result) << c.data << " " << c.key;
  }
  EXPECT_EQ(dsListCompareString("abc", "abc"), 0);
  EXPECT_EQ(dsListCompareString("abd", "abc"), 1);
  EXPECT_EQ(dsListCompareString("ab", "abc"), 2);
  EXPECT_EQ(dsListCompareString("\xe9", "z"), 1);  // bytes compare unsigned
}

}  // namespace
