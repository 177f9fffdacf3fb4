#include "nlsnumber.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "nlsformatcheck.h"
#include "nlstable.h"

namespace {

struct NumberMsg {
  int msgNum;
  const char* args;
};
constexpr NumberMsg kNumberMsgs[] = {
    {NLS_MSG_MESSAGE_NUMBER, "u"}, {NLS_MSG_ONE_DECIMAL, "f"}, {NLS_MSG_TWO_DECIMALS, "f"},
    {NLS_MSG_THREE_DECIMALS, "f"}, {NLS_MSG_SIGNED, "d"},      {NLS_MSG_UNSIGNED, "u"},
    {NLS_MSG_BYTES, "*u"},         {NLS_MSG_KIB, "*f"},        {NLS_MSG_MIB, "*f"},
    {NLS_MSG_GIB, "*f"},
};

constexpr size_t kFormatSize = 512;  // a message text is at most 511 bytes a segment
constexpr size_t kWorkSize = 512;

const char* const kSizeUnits[] = {"B ", "KB", "MB", "GB", "TB", "PB", "EB"};
constexpr uint64_t kLargestShownInUnit = 9999;
constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = kKiB * 1024;
constexpr uint64_t kGiB = kMiB * 1024;

std::atomic<nlsNumberFormatSource> s_FormatSource{nullptr};

// Fetches the format of a number message and checks it against the arguments the formatters
// pass for it. Returns false when there is no source, the message is missing or does not match.
bool numberFormat(int msgNum, char* formatP, nlsFormatCheck* checkP) {
  nlsNumberFormatSource sourceP = s_FormatSource.load();
  const char* argsP = nlsNumberMsgArgs(msgNum);
  if (sourceP == nullptr || argsP == nullptr) {
    return false;
  }
  formatP[0] = '\0';
  if (sourceP(msgNum, formatP, kFormatSize) != 0) {
    return false;
  }
  formatP[kFormatSize - 1] = '\0';
  return nlsCheckFormat(formatP, argsP, checkP);
}

int finish(int written, size_t outSize) {
  return written < 0 || static_cast<size_t>(written) >= outSize ? -1 : written;
}

// Rewrites a plain number text: whatever stands before the first digit is kept, the run of
// integer digits gets the thousands separator between groups of three, the character after them
// (the point) becomes the decimal separator, and the rest is kept. False when it does not fit.
bool groupNumberText(const char* plainP, char* outP, size_t outSize) {
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  size_t prefix = strcspn(plainP, "0123456789");
  size_t digits = strspn(plainP + prefix, "0123456789");
  const char* restP = plainP + prefix + digits;
  size_t length = prefix + digits + (digits > 0 ? (digits - 1) / 3 : 0) + strlen(restP);
  if (length + 1 > outSize) {
    return false;
  }
  char* p = outP;
  memcpy(p, plainP, prefix);
  p += prefix;
  for (size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) {
      *p++ = tableP->m_ThousandsSeparator;
    }
    *p++ = plainP[prefix + i];
  }
  if (*restP != '\0') {
    *p++ = tableP->m_DecimalSeparator[0];
    ++restP;
  }
  strcpy(p, restP);
  return true;
}

char* failed(char* outputP, size_t outputSize) {
  if (outputP != nullptr && outputSize > 0) {
    outputP[0] = '\0';
  }
  return nullptr;
}

// Formats a double with a number message and groups it into the output.
char* formatGrouped(int msgNum, double value, const char* suffixP, char* outputP,
                    size_t outputSize) {
  char plain[kWorkSize];
  if (nlsFormatNumberMsgDouble(msgNum, plain, sizeof plain, 0, value) < 0) {
    return failed(outputP, outputSize);
  }
  if (!groupNumberText(plain, outputP, outputSize)) {
    return failed(outputP, outputSize);
  }
  if (strlen(outputP) + strlen(suffixP) + 1 > outputSize) {
    return failed(outputP, outputSize);
  }
  strcat(outputP, suffixP);
  return outputP;
}

// A 32-bit value formatted with a number message, then laid into the field.
char* formatDigitsWith(int msgNum, int64_t value, char* fieldP, int fieldLength, int decimals) {
  if (fieldP == nullptr || fieldLength < 2) {
    return nullptr;
  }
  char digits[NLS_DIGITS_MAX_TEXT + 1];
  if (nlsFormatNumberMsg(msgNum, digits, sizeof digits, 0, value) < 0) {
    return nullptr;
  }
  return nlsFormatDigits(digits, fieldP, fieldLength, decimals);
}

}  // namespace

const char* nlsNumberMsgArgs(int msgNum) {
  for (const NumberMsg& entry : kNumberMsgs) {
    if (entry.msgNum == msgNum) {
      return entry.args;
    }
  }
  return nullptr;
}

void nlsSetNumberFormatSource(nlsNumberFormatSource sourceP) { s_FormatSource.store(sourceP); }

int nlsFormatNumberMsg(int msgNum, char* outP, size_t outSize, int width, int64_t value) {
  char format[kFormatSize];
  nlsFormatCheck check;
  if (!numberFormat(msgNum, format, &check) || check.m_IsFloating) {
    return -1;
  }
  return finish(nlsPrintInteger(outP, outSize, format, check, width, value), outSize);
}

int nlsFormatNumberMsgDouble(int msgNum, char* outP, size_t outSize, int width, double value) {
  char format[kFormatSize];
  nlsFormatCheck check;
  if (!numberFormat(msgNum, format, &check) || !check.m_IsFloating) {
    return -1;
  }
  int written = check.m_HasWidth ? snprintf(outP, outSize, format, width, value)
                                 : snprintf(outP, outSize, format, value);
  return finish(written, outSize);
}

char* nlsFormatDigits(const char* digitsP, char* fieldP, int fieldLength, int decimals) {
  if (fieldP == nullptr) {
    return nullptr;
  }
  int problem = 0;
  if (digitsP == nullptr) {
    problem |= NLS_DIGITS_NULL_TEXT;
  } else if (strlen(digitsP) > NLS_DIGITS_MAX_TEXT) {
    problem |= NLS_DIGITS_TEXT_TOO_LONG;
  }
  if (fieldLength < 2) {
    problem |= NLS_DIGITS_FIELD_TOO_SMALL;
  }
  if (problem != 0) {
    fieldP[0] = static_cast<char>(problem);
    return nullptr;
  }
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  bool negative = digitsP[0] == '-';
  const char* firstDigitP = digitsP + (negative ? 1 : 0);
  int digitCount = static_cast<int>(strlen(firstDigitP));
  if (decimals < 0) {
    decimals = 0;
  }
  // Zeros stand in for missing digits so that one digit comes before the decimal separator.
  int shownDigits = digitCount > decimals ? digitCount : decimals + 1;

  memset(fieldP, ' ', static_cast<size_t>(fieldLength - 1));
  char* p = fieldP + fieldLength - 1;
  *p = '\0';
  // Writes one character leftwards; false when the field is full.
  auto put = [&](char ch) {
    if (p == fieldP) {
      return false;
    }
    *--p = ch;
    return true;
  };
  bool fits = true;
  for (int i = 0; i < shownDigits && fits; ++i) {
    int integerIndex = i - decimals;
    if (decimals > 0 && i == decimals) {
      fits = put(tableP->m_DecimalSeparator[0]);
    } else if (integerIndex > 0 && integerIndex % 3 == 0) {
      fits = put(tableP->m_ThousandsSeparator);
    }
    fits = fits && put(i < digitCount ? firstDigitP[digitCount - 1 - i] : '0');
  }
  if (fits && negative) {
    fits = put('-');
  }
  if (!fits) {
    fieldP[0] = NLS_DIGITS_FIELD_TOO_SHORT;
    return nullptr;
  }
  return p;
}

char* nlsFormatULong(uint32_t value, char* fieldP, int fieldLength, int decimals) {
  return formatDigitsWith(NLS_MSG_UNSIGNED, value, fieldP, fieldLength, decimals);
}

char* nlsFormatLong(int32_t value, char* fieldP, int fieldLength, int decimals) {
  return formatDigitsWith(NLS_MSG_SIGNED, value, fieldP, fieldLength, decimals);
}

char* nlsFormatInt64(pkInt64 value, char* bufferP, size_t bufferLength) {
  char digits[PK_INT64_TEXT_SIZE];
  if (bufferP == nullptr || pkInt64ToString(value, digits, 10) == nullptr) {
    return nullptr;
  }
  char grouped[NLS_DIGITS_MAX_TEXT];
  if (!groupNumberText(digits, grouped, sizeof grouped) || strlen(grouped) + 1 > bufferLength) {
    return nullptr;
  }
  return strcpy(bufferP, grouped);
}

char* nlsFormatDouble(double value, char* outputP, int decimals, size_t outputSize) {
  int msgNum = decimals == 3 ? NLS_MSG_THREE_DECIMALS : NLS_MSG_TWO_DECIMALS;
  return formatGrouped(msgNum, value, "", outputP, outputSize);
}

char* nlsFormatSize(pkInt64 byteCount, char* outputP, size_t outputSize) {
  uint64_t value = pkInt64ToNative(byteCount);
  uint64_t previous = value;
  size_t steps = 0;
  while (value > kLargestShownInUnit) {
    previous = value;
    value /= kKiB;
    ++steps;
  }
  double shown = steps == 0 ? static_cast<double>(value)
                            : pkInt64DivToDouble(pkInt64FromNative(static_cast<int64_t>(previous)),
                                                 static_cast<uint32_t>(kKiB));
  return formatGrouped(NLS_MSG_ONE_DECIMAL, shown, kSizeUnits[steps], outputP, outputSize);
}

char* nlsFormatByteCount(pkInt64 byteCount, int width, char* outputP, size_t outputSize) {
  uint64_t count = pkInt64ToNative(byteCount);
  int written;
  if (count < kKiB) {
    written = nlsFormatNumberMsg(NLS_MSG_BYTES, outputP, outputSize, width,
                                 static_cast<int64_t>(count));
  } else if (count < kMiB) {
    written = nlsFormatNumberMsgDouble(NLS_MSG_KIB, outputP, outputSize, width,
                                       pkInt64DivToDouble(byteCount, kKiB));
  } else if (count < kGiB) {
    written = nlsFormatNumberMsgDouble(NLS_MSG_MIB, outputP, outputSize, width,
                                       pkInt64DivToDouble(byteCount, kMiB));
  } else {
    written = nlsFormatNumberMsgDouble(NLS_MSG_GIB, outputP, outputSize, width,
                                       pkInt64DivToDouble(byteCount, kGiB));
  }
  return written < 0 ? failed(outputP, outputSize) : outputP;
}
