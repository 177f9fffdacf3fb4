#include "agtmem.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "trcfile_testutil.h"

namespace {

std::string hex(const void* blockP) {
  char text[32];
  snprintf(text, sizeof(text), "%" PRIxPTR, reinterpret_cast<uintptr_t>(blockP));
  return text;
}

TEST(AgtMem, BlocksAreTakenResizedAndFreedWithTheCallerTraced) {
  TraceFileForTest trace({TRC_MEMORY});
  char* blockP = static_cast<char*>(agtMalloc("a\\b\\caller.cpp", 10, 16));
  ASSERT_NE(blockP, nullptr);
  std::string first = hex(blockP);
  strcpy(blockP, "kept");
  char* resizedP = agtReallocTyped("caller.cpp", 11, &blockP, 4096);
  ASSERT_NE(resizedP, nullptr);
  EXPECT_EQ(resizedP, blockP);
  EXPECT_STREQ(blockP, "kept");
  std::string second = hex(blockP);
  int* numbersP = static_cast<int*>(agtCalloc("caller.cpp", 12, 4, sizeof(int)));
  ASSERT_NE(numbersP, nullptr);
  for (int i = 0; i < 4; i++) EXPECT_EQ(numbersP[i], 0);
  std::string third = hex(numbersP);
  agtFreeTyped(&numbersP, "caller.cpp", 13);
  EXPECT_EQ(numbersP, nullptr);
  agtFreeTyped(&numbersP, nullptr, 14);  // a second free finds the word null
  FREE(&blockP);
  EXPECT_EQ(blockP, nullptr);

  std::vector<std::string> texts = trace.texts();
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0],
            "MALLOC()ed <16> bytes at address: <" + first + "> in ==> a\\b\\caller.cpp(10).");
  EXPECT_EQ(texts[1], "REALLOC()ed memory to <4096> bytes at address: <" + second +
                          "> in ==> caller.cpp(11).");
  EXPECT_EQ(texts[2], "CALLOC()ed <4> elements of size <4> at address <" + third +
                          "> in ==> caller.cpp(12).");
  EXPECT_EQ(texts[3], "FREE()ing memory at address <" + third + "> in ==> caller.cpp(13).");
  EXPECT_EQ(texts[4], "ERROR: Tried to free NULL pointer in ==> <NULL>(14).");
  EXPECT_EQ(texts[5].rfind("FREE()ing memory at address <" + second + "> in ==> ", 0), 0u);
}

TEST(AgtMem, MeaninglessRequestsAreRefusedWithNull) {
  TraceFileForTest trace({TRC_MEMORY});
  EXPECT_EQ(agtMalloc("f.cpp", 1, 0), nullptr);
  void* nullWord = nullptr;
  EXPECT_EQ(agtRealloc("f.cpp", 2, &nullWord, 8), nullptr);
  EXPECT_EQ(nullWord, nullptr);
  EXPECT_EQ(agtCalloc("f.cpp", 3, 0, 0), nullptr);  // the count is checked first
  EXPECT_EQ(agtCalloc("f.cpp", 4, 2, 0), nullptr);
  const std::vector<std::string> expected = {
      "ERROR: Tried to MALLOC() <0> bytes in ==> f.cpp(1).",
      "ERROR: Tried to REALLOC() <8> bytes with NULL pointer in ==> f.cpp(2).",
      "ERROR: Tried to CALLOC() <0> elements in ==> f.cpp(3).",
      "ERROR: Tried to CALLOC() elements of size <0> in ==> f.cpp(4)."};
  EXPECT_EQ(trace.texts(), expected);
}

TEST(AgtMem, ReallocToSizeZeroGivesTheBlockBackAndClearsTheWord) {
  TraceFileForTest trace({TRC_MEMORY});
  void* blockP = MALLOC(8);
  ASSERT_NE(blockP, nullptr);
  EXPECT_EQ(agtRealloc("f.cpp", 5, &blockP, 0), nullptr);
  EXPECT_EQ(blockP, nullptr);
  std::vector<std::string> texts = trace.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "ERROR: Failed to realloc() <0> bytes in ==>  f.cpp(5).");
}

TEST(AgtMem, NothingIsTracedWhileTheCategoryIsOff) {
  TraceFileForTest trace({TRC_GENERAL});
  void* blockP = MALLOC(8);
  FREE(&blockP);
  FREE(&blockP);
  EXPECT_TRUE(trace.lines().empty());
}

}  // namespace
