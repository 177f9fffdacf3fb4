#include "linklist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "trcfile_testutil.h"

namespace {

// A record sorted by key alone; tag tells records with equal keys apart.
struct Rec {
  int key;
  char tag;
};

int gCompares = 0;
int compareKeys(Rec* aP, Rec* bP) {
  gCompares++;
  return aP->key - bP->key;
}

char gKeyText[16];
const char* keyText(Rec* recP) {
  snprintf(gKeyText, sizeof(gKeyText), "%d%c", recP->key, recP->tag);
  return gKeyText;
}

std::vector<Rec> gFreed;
void recordFree(Rec rec) {
  gFreed.push_back(rec);
}

std::string tagsOf(CLinkedList<Rec>& list) {
  std::string tags;
  for (Rec* recP = list.getFirst(); recP != nullptr; recP = list.getNext(recP)) tags += recP->tag;
  return tags;
}

// Walks forward and back and checks that both directions agree with the count.
void expectConsistent(CLinkedList<Rec>& list) {
  std::vector<Rec*> forward, backward;
  for (Rec* recP = list.getFirst(); recP != nullptr; recP = list.getNext(recP)) {
    forward.push_back(recP);
  }
  for (Rec* recP = list.getLast(); recP != nullptr; recP = list.getPrevious(recP)) {
    backward.push_back(recP);
  }
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(forward, backward);
  EXPECT_EQ(forward.size(), list.getCount());
}

void fill(CLinkedList<Rec>& list, const std::vector<int>& keys) {
  char tag = 'a';
  for (int key : keys) {
    Rec rec{key, tag++};
    ASSERT_EQ(list.addTail(&rec), 0);
  }
}

TEST(CLinkedList, BuildsCopiesAndWalksBothWays) {
  CLinkedList<Rec> list;
  EXPECT_EQ(list.getFirst(), nullptr);
  EXPECT_EQ(list.getLast(), nullptr);
  Rec rec{1, 'a'};
  list.addTail(&rec);
  rec = {2, 'b'};  // the list holds its own copy
  list.addTail(&rec);
  EXPECT_EQ(list.getFirst()->tag, 'a');
  EXPECT_EQ(list.getLast()->tag, 'b');
  EXPECT_EQ(list.getNext(list.getLast()), nullptr);
  EXPECT_EQ(list.getPrevious(list.getFirst()), nullptr);
  EXPECT_EQ(list.getNext(nullptr), nullptr);
  EXPECT_EQ(list.getPrevious(nullptr), nullptr);
  expectConsistent(list);
}

TEST(CLinkedList, RemoveUnlinksAnywhereAndAnswersTheNextValue) {
  gFreed.clear();
  CLinkedList<Rec> list(recordFree);
  fill(list, {1, 2, 3, 4, 5});
  Rec* thirdP = list.getNext(list.getNext(list.getFirst()));
  EXPECT_EQ(list.remove(thirdP)->tag, 'd');           // middle
  EXPECT_EQ(list.remove(list.getFirst())->tag, 'b');  // head
  EXPECT_EQ(list.remove(list.getLast()), nullptr);    // tail
  EXPECT_EQ(list.remove(nullptr), nullptr);
  EXPECT_EQ(tagsOf(list), "bd");
  expectConsistent(list);
  // A walk that deletes as it goes.
  for (Rec* recP = list.getFirst(); recP != nullptr;) recP = list.remove(recP);
  EXPECT_EQ(list.getCount(), 0u);
  EXPECT_EQ(list.getFirst(), nullptr);
  EXPECT_EQ(list.getLast(), nullptr);
  std::string freed;
  for (const Rec& rec : gFreed) freed += rec.tag;
  EXPECT_EQ(freed, "caebd");
}

TEST(CLinkedList, FreeAllCallsTheFreeRoutineHeadToTailAndTheListStaysUsable) {
  gFreed.clear();
  CLinkedList<Rec> list(recordFree);
  EXPECT_EQ(list.freeAll(), 0);
  EXPECT_TRUE(gFreed.empty());
  fill(list, {3, 1, 2});
  EXPECT_EQ(list.freeAll(), 0);
  ASSERT_EQ(gFreed.size(), 3u);
  EXPECT_EQ(gFreed[0].tag, 'a');
  EXPECT_EQ(gFreed[2].tag, 'c');
  EXPECT_EQ(list.getCount(), 0u);
  fill(list, {7});
  EXPECT_EQ(tagsOf(list), "a");
}

TEST(CLinkedList, DestructorFreesWhatRemainsWithOrWithoutAFreeRoutine) {
  gFreed.clear();
  {
    CLinkedList<Rec> withRoutine(recordFree);
    fill(withRoutine, {1, 2});
    CLinkedList<std::string> strings;
    std::string text(100, 'x');  // heap-held values are destroyed with their elements
    strings.addTail(&text);
  }
  EXPECT_EQ(gFreed.size(), 2u);
}

TEST(CLinkedList, AFreeRoutineSetLaterServesTheElementsDeletedFromThenOn) {
  gFreed.clear();
  CLinkedList<Rec> list;
  fill(list, {1, 2, 3});
  list.remove(list.getFirst());  // no routine yet
  EXPECT_TRUE(gFreed.empty());
  EXPECT_EQ(list.setFreeRtn(recordFree), nullptr);
  list.remove(list.getFirst());
  ASSERT_EQ(gFreed.size(), 1u);
  EXPECT_EQ(gFreed[0].tag, 'b');
  EXPECT_EQ(list.setFreeRtn(nullptr), &recordFree);
  EXPECT_EQ(list.freeAll(), 0);
  EXPECT_EQ(gFreed.size(), 1u);
}

TEST(CLinkedListSort, EqualKeysMayChangeTheirOrder) {
  CLinkedList<Rec> list;
  fill(list, {1, 0, 1, 2, 1});  // the 1s are a, c and e
  list.sortbmrg(compareKeys, nullptr);
  EXPECT_EQ(tagsOf(list), "baecd");
  expectConsistent(list);
}

TEST(CLinkedListSort, AnAscendingListIsComparedOncePerNeighbourPair) {
  CLinkedList<Rec> list;
  fill(list, {1, 2, 2, 3, 9});
  gCompares = 0;
  list.sortbmrg(compareKeys, nullptr);
  EXPECT_EQ(gCompares, 4);
  EXPECT_EQ(tagsOf(list), "abcde");
  CLinkedList<Rec> single;
  fill(single, {1});
  gCompares = 0;
  single.sortbmrg(compareKeys, keyText);
  CLinkedList<Rec> empty;
  empty.sortbmrg(compareKeys, keyText);
  EXPECT_EQ(gCompares, 0);
}

std::vector<int> keysOf(CLinkedList<Rec>& list) {
  std::vector<int> keys;
  for (Rec* recP = list.getFirst(); recP != nullptr; recP = list.getNext(recP)) {
    keys.push_back(recP->key);
  }
  return keys;
}

TEST(CLinkedListSort, RandomListsBecomeSortedPermutations) {
  std::mt19937 random(20261210);
  for (int size : {2, 3, 7, 64, 257, 1000}) {
    for (int range : {3, 1000}) {
      std::vector<int> keys(size);
      for (int& key : keys) key = static_cast<int>(random() % range);
      CLinkedList<Rec> list;
      fill(list, keys);
      list.sortbmrg(compareKeys, nullptr);
      std::sort(keys.begin(), keys.end());
      EXPECT_EQ(keysOf(list), keys) << size << " " << range;
      expectConsistent(list);
    }
  }
  CLinkedList<Rec> reversed;
  std::vector<int> keys;
  for (int i = 100; i > 0; i--) keys.push_back(i);
  fill(reversed, keys);
  reversed.sortbmrg(compareKeys, nullptr);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keysOf(reversed), keys);
}

TEST(CLinkedListSort, ASublistIsSortedInPlaceAndAWrongCountIsRefused) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 50; trial++) {
    std::vector<int> keys(12);
    for (int& key : keys) key = static_cast<int>(random() % 20);
    int start = static_cast<int>(random() % 12);
    int count = 1 + static_cast<int>(random() % (12 - start));
    CLinkedList<Rec> list;
    fill(list, keys);
    Rec* startP = list.getFirst();
    for (int i = 0; i < start; i++) startP = list.getNext(startP);
    Rec* endP = startP;
    for (int i = 1; i < count; i++) endP = list.getNext(endP);
    list.sublistSortbmrg(startP, endP, count + 1, compareKeys, nullptr);
    EXPECT_EQ(keysOf(list), keys);  // refused: nothing moved
    list.sublistSortbmrg(startP, endP, count, compareKeys, nullptr);
    std::sort(keys.begin() + start, keys.begin() + start + count);
    EXPECT_EQ(keysOf(list), keys) << start << " " << count;
    expectConsistent(list);
  }
  CLinkedList<Rec> list;
  fill(list, {2, 1});
  list.sublistSortbmrg(nullptr, list.getLast(), 2, compareKeys, nullptr);
  EXPECT_EQ(tagsOf(list), "ab");
}

TEST(CLinkedListTrace, MembersTraceEntryAndExitAndTheSortDumpsItsKeys) {
  TraceFileForTest trace({TRC_LINKEDLIST, TRC_SORTLINKEDLIST});
  CLinkedList<Rec> list;
  fill(list, {2, 1});
  gTrace.setFlag(TRC_LINKEDLIST, 0);
  list.sortbmrg(compareKeys, keyText);
  std::vector<std::string> texts = trace.texts();
  ASSERT_GE(texts.size(), 22u);
  EXPECT_EQ(texts[0].rfind("Enter CLinkedList::CLinkedList() - 0x", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1], "Exit CLinkedList::CLinkedList(), rc (not returned to caller) = 0");
  EXPECT_EQ(texts[2].rfind("Enter CLinkedList::addTail() - 0x", 0), 0u);
  EXPECT_EQ(texts[3], "  m_pHead: 0");
  EXPECT_EQ(texts[4], "  m_pTail: 0");
  EXPECT_EQ(texts[5], "Exit CLinkedList::addTail(), rc = 0");
  std::vector<std::string> dump(texts.end() - 16, texts.end());
  const std::vector<std::string> expected = {"List compare data to be sorted:",
                                             "  2a",
                                             "  1b",
                                             "splitListP[ 0 ] list compare data:",
                                             "  2a",
                                             "splitListP[ 1 ] list compare data:",
                                             "  1b",
                                             "splitListP[ 0 ] list compare data:",
                                             "  1b",
                                             "  2a",
                                             "Sorted (ascending) list compare data:",
                                             "  1b",
                                             "  2a",
                                             "Sorted (descending) list compare data:",
                                             "  2a",
                                             "  1b"};
  EXPECT_EQ(dump, expected);
}

}  // namespace
