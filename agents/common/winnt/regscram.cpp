// Password scrambling: a text and random filler, each byte XORed with one key byte, and the
// text's length in the last byte. It hides the password from a casual look at the registry;
// it is not encryption.
#include <cctype>
#include <cstring>
#include <random>

#include "registry.h"

namespace {

// The filler is drawn from the first 35 characters of this alphabet.
const char kFillerAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kFillerChoices = 35;

// The first character of the key text in lower case; 0 for an empty (or missing) key text.
BYTE regKeyByte(const char* keyTextP) {
  if (keyTextP == nullptr) return 0;
  return BYTE(std::tolower(static_cast<unsigned char>(keyTextP[0])));
}

// Each thread draws from its own generator, so scrambling shares no state between threads.
char regFillerChar() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, kFillerChoices - 1);
  return kFillerAlphabet[pick(generator)];
}

}  // namespace

int regScramble(int encryptionType, const char* keyTextP, const char* textP, BYTE* blockP,
                DWORD* lengthP) {
  if (encryptionType != REG_ENCRYPTION_SCRAMBLE) return 1;
  size_t length = std::strlen(textP);
  if (length > REG_SCRAMBLE_MAX_TEXT) return 0;  // it would run past the block
  BYTE key = regKeyByte(keyTextP);
  for (size_t i = 0; i < length; i++) blockP[i] = BYTE(textP[i]) ^ key;
  for (size_t i = length; i < REG_SCRAMBLE_MAX_TEXT; i++) blockP[i] = BYTE(regFillerChar()) ^ key;
  blockP[REG_SCRAMBLE_MAX_TEXT] = BYTE(length) ^ key;
  *lengthP = REG_SCRAMBLE_BLOCK_SIZE;
  return 1;
}

int regUnscramble(int encryptionType, const char* keyTextP, const BYTE* blockP, DWORD blockLength,
                  char* textP, DWORD textSize) {
  if (textSize == 0) return 0;
  textP[0] = '\0';
  if (encryptionType != REG_ENCRYPTION_SCRAMBLE) return 1;
  if (blockLength != REG_SCRAMBLE_BLOCK_SIZE) return 0;  // damaged: not a block we wrote
  BYTE key = regKeyByte(keyTextP);
  DWORD length = blockP[REG_SCRAMBLE_MAX_TEXT] ^ key;
  if (length > REG_SCRAMBLE_MAX_TEXT || length >= textSize) return 0;
  for (DWORD i = 0; i < length; i++) textP[i] = char(blockP[i] ^ key);
  textP[length] = '\0';
  return 1;
}
