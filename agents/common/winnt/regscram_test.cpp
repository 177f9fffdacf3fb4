#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "registry.h"

namespace {

constexpr std::string_view kFiller = "abcdefghijklmnopqrstuvwxyz012345678";  // never the '9'

struct Block {
  BYTE bytes[REG_SCRAMBLE_BLOCK_SIZE + 1];
  DWORD length = 0;
};

Block scramble(const char* keyTextP, const std::string& text) {
  Block block;
  std::memset(block.bytes, 0xee, sizeof block.bytes);
  EXPECT_EQ(
      regScramble(REG_ENCRYPTION_SCRAMBLE, keyTextP, text.c_str(), block.bytes, &block.length), 1);
  return block;
}

// The text, or "<refused>" when unscrambling answers 0.
std::string unscramble(const char* keyTextP, const Block& block, DWORD textSize = 209) {
  char text[300];
  std::memset(text, 'x', sizeof text);
  int rc =
      regUnscramble(REG_ENCRYPTION_SCRAMBLE, keyTextP, block.bytes, block.length, text, textSize);
  if (rc == RC_OK) return text[0] == '\0' ? "<refused>" : "<refused, text left>";
  return text;
}

TEST(RegScramble, EveryLengthTheBlockHoldsComesBack) {
  for (const char* key : {"sa", "Admin", "", "9z"}) {
    for (size_t length = 0; length <= REG_SCRAMBLE_MAX_TEXT; length++) {
      std::string text(length, ' ');
      for (size_t i = 0; i < length; i++) text[i] = char(' ' + (i * 7 + length) % 95);
      Block block = scramble(key, text);
      ASSERT_EQ(block.length, REG_SCRAMBLE_BLOCK_SIZE);
      ASSERT_EQ(block.bytes[REG_SCRAMBLE_BLOCK_SIZE], 0xee);  // nothing past the block
      ASSERT_EQ(unscramble(key, block), text) << "key \"" << key << "\", length " << length;
    }
  }
}

TEST(RegScramble, LayoutIsTextThenFillerThenLengthUnderTheKeyByte) {
  const BYTE key = 's';
  Block first = scramble("Sa", "pw");
  Block second = scramble("sa", "pw");
  EXPECT_EQ(first.bytes[0], BYTE('p' ^ key));
  EXPECT_EQ(first.bytes[1], BYTE('w' ^ key));
  EXPECT_EQ(first.bytes[207], BYTE(2 ^ key));
  bool fillerDiffers = false;
  for (int i = 2; i < 207; i++) {
    EXPECT_NE(kFiller.find(char(first.bytes[i] ^ key)), std::string_view::npos) << i;
    fillerDiffers |= first.bytes[i] != second.bytes[i];
  }
  EXPECT_TRUE(fillerDiffers);
  EXPECT_EQ(scramble("sa", "").bytes[207], key);  // an empty text: byte 207 is the key byte
  Block plain = scramble("", "abc");              // an empty key text stores the text as it is
  EXPECT_EQ(std::string(reinterpret_cast<char*>(plain.bytes), 3), "abc");
}

TEST(RegScramble, TheKeyTextsFirstLetterDecidesWithoutRegardToCase) {
  Block block = scramble("Sa", "secret");
  EXPECT_EQ(unscramble("SYSADM", block), "secret");
  std::string other = unscramble("ta", block);
  EXPECT_NE(other, "secret");
  // 't' ^ 's' turns the stored length 6 into 1 ('s' ^ 6 ^ 't' = 1): a one-character text.
  EXPECT_EQ(other.size(), 1u);
  EXPECT_EQ(unscramble("\xa5", block), "<refused>");  // 6 ^ 's' ^ 0xa5 = 208: over 207
}

TEST(RegScramble, DamagedBlocksAndShortBuffersAreRefused) {
  Block block = scramble("sa", std::string(128, 'p'));
  EXPECT_EQ(unscramble("sa", block, 129), std::string(128, 'p'));
  EXPECT_EQ(unscramble("sa", block, 128), "<refused>");  // 128 characters need 129 bytes
  Block shortBlock = block;
  shortBlock.length = 10;
  EXPECT_EQ(unscramble("sa", shortBlock), "<refused>");
  Block longBlock = block;
  longBlock.length = 209;
  EXPECT_EQ(unscramble("sa", longBlock), "<refused>");
  Block damaged = block;
  damaged.bytes[207] = BYTE(208 ^ 's');
  EXPECT_EQ(unscramble("sa", damaged), "<refused>");
}

TEST(RegScramble, ATextTooLongForTheBlockIsRefusedAndTheBlockKept) {
  Block block;
  std::memset(block.bytes, 0xee, sizeof block.bytes);
  block.length = 77;
  EXPECT_EQ(regScramble(REG_ENCRYPTION_SCRAMBLE, "sa", std::string(208, 'p').c_str(), block.bytes,
                        &block.length),
            0);
  EXPECT_EQ(block.length, 77u);
  for (BYTE b : block.bytes) ASSERT_EQ(b, 0xee);
}

TEST(RegScramble, AnUnknownEncryptionTypeTouchesNothing) {
  Block block;
  std::memset(block.bytes, 0xee, sizeof block.bytes);
  block.length = 77;
  EXPECT_EQ(regScramble(2, "sa", "pw", block.bytes, &block.length), 1);
  EXPECT_EQ(block.length, 77u);
  EXPECT_EQ(block.bytes[0], 0xee);
  Block good = scramble("sa", "pw");
  char text[16] = "left over";
  EXPECT_EQ(regUnscramble(2, "sa", good.bytes, good.length, text, sizeof text), 1);
  EXPECT_STREQ(text, "");
}

}  // namespace
