// Expansion of a message's inserts into a bounded destination.
#include "msgexpand.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "msgformat.h"
#include "msgrepo.h"

namespace {

// The reordering form taken apart: byte 0 is 0, byte 1 the number of inserts n, then n insert
// numbers in argument order, n descriptors (width count, value kind, format) in insert order,
// and n + 1 pieces of literal text.
struct Reordered {
  unsigned n = 0;
  const uint8_t* orderP = nullptr;
  unsigned widths[NLS_INSERTS_MAX] = {};
  const char* formatP[NLS_INSERTS_MAX] = {};
  const char* pieceP[NLS_INSERTS_MAX + 1] = {};
};

// The zero-terminated string at `at`, or null when its terminator lies outside the text.
const char* stringAt(const char* textP, size_t length, size_t& at) {
  const void* endP = at < length ? std::memchr(textP + at, '\0', length - at) : nullptr;
  if (endP == nullptr) return nullptr;
  const char* s = textP + at;
  at = static_cast<size_t>(static_cast<const char*>(endP) - textP) + 1;
  return s;
}

// One conversion and nothing else, with as many "*" widths as its descriptor names.
bool isSingleConversion(const char* formatP, unsigned widths) {
  NlsConversion conv;
  const char* why = nullptr;
  if (formatP[0] != '%' || nlsParseConversion(formatP, &conv, &why) != 0) return false;
  return conv.type != NLS_ARG_NONE && conv.position == 0 && !conv.starNumbered &&
         conv.starWidths == widths && formatP[conv.length] == '\0';
}

bool parseReordered(const char* textP, size_t length, Reordered* rP) {
  if (length < 2 || textP[0] != '\0') return false;
  rP->n = static_cast<uint8_t>(textP[1]);
  size_t at = 2 + rP->n;
  if (at > length) return false;
  rP->orderP = reinterpret_cast<const uint8_t*>(textP + 2);
  bool seen[NLS_INSERTS_MAX] = {};
  for (unsigned a = 0; a < rP->n; ++a) {
    unsigned k = rP->orderP[a];
    if (k >= rP->n || seen[k]) return false;
    seen[k] = true;
  }
  for (unsigned k = 0; k < rP->n; ++k) {
    if (at + 2 > length) return false;
    rP->widths[k] = static_cast<uint8_t>(textP[at]);
    at += 2;  // the width count and the value kind; the type comes from the conversion
    rP->formatP[k] = stringAt(textP, length, at);
    if (rP->formatP[k] == nullptr || rP->widths[k] > 2 ||
        !isSingleConversion(rP->formatP[k], rP->widths[k]))
      return false;
  }
  for (unsigned k = 0; k <= rP->n; ++k) {
    rP->pieceP[k] = stringAt(textP, length, at);
    if (rP->pieceP[k] == nullptr) return false;
  }
  return true;
}

struct Value {
  NlsArgType type;
  int widths[2];
  union {
    int i;
    unsigned u;
    long l;
    unsigned long ul;
    long long ll;
    unsigned long long ull;
    size_t z;
    double d;
    const char* s;
    void* p;
  };
};

NlsArgType conversionType(const char* formatP) {
  NlsConversion conv;
  const char* why = nullptr;
  nlsParseConversion(formatP, &conv, &why);
  return conv.type;
}

// Takes one argument with the type its conversion names.
void takeValue(Value* vP, va_list args) {
  switch (vP->type) {
    case NLS_ARG_INT:
    case NLS_ARG_CHAR:
      vP->i = va_arg(args, int);
      break;
    case NLS_ARG_UINT:
      vP->u = va_arg(args, unsigned);
      break;
    case NLS_ARG_LONG:
      vP->l = va_arg(args, long);
      break;
    case NLS_ARG_ULONG:
      vP->ul = va_arg(args, unsigned long);
      break;
    case NLS_ARG_LLONG:
      vP->ll = va_arg(args, long long);
      break;
    case NLS_ARG_ULLONG:
      vP->ull = va_arg(args, unsigned long long);
      break;
    case NLS_ARG_SIZE:
      vP->z = va_arg(args, size_t);
      break;
    case NLS_ARG_DOUBLE:
      vP->d = va_arg(args, double);
      break;
    case NLS_ARG_STR:
      vP->s = va_arg(args, const char*);
      break;
    case NLS_ARG_PTR:
      vP->p = va_arg(args, void*);
      break;
    case NLS_ARG_NONE:
      break;
  }
}

template <typename T>
int formatWith(char* bufP, size_t size, const char* formatP, unsigned widths, const int* w, T v) {
  if (widths == 0) return std::snprintf(bufP, size, formatP, v);
  if (widths == 1) return std::snprintf(bufP, size, formatP, w[0], v);
  return std::snprintf(bufP, size, formatP, w[0], w[1], v);
}

int formatValue(char* bufP, size_t size, const char* formatP, unsigned widths, const Value& v) {
  switch (v.type) {
    case NLS_ARG_INT:
    case NLS_ARG_CHAR:
      return formatWith(bufP, size, formatP, widths, v.widths, v.i);
    case NLS_ARG_UINT:
      return formatWith(bufP, size, formatP, widths, v.widths, v.u);
    case NLS_ARG_LONG:
      return formatWith(bufP, size, formatP, widths, v.widths, v.l);
    case NLS_ARG_ULONG:
      return formatWith(bufP, size, formatP, widths, v.widths, v.ul);
    case NLS_ARG_LLONG:
      return formatWith(bufP, size, formatP, widths, v.widths, v.ll);
    case NLS_ARG_ULLONG:
      return formatWith(bufP, size, formatP, widths, v.widths, v.ull);
    case NLS_ARG_SIZE:
      return formatWith(bufP, size, formatP, widths, v.widths, v.z);
    case NLS_ARG_DOUBLE:
      return formatWith(bufP, size, formatP, widths, v.widths, v.d);
    case NLS_ARG_STR:
      return formatWith(bufP, size, formatP, widths, v.widths, v.s);
    case NLS_ARG_PTR:
      return formatWith(bufP, size, formatP, widths, v.widths, v.p);
    case NLS_ARG_NONE:
      break;
  }
  return 0;
}

// Appends text to dest (size bytes) at `used`, cutting it to what fits; returns the new length.
size_t appendBounded(char* destP, size_t size, size_t used, const char* textP) {
  size_t room = used + 1 < size ? size - used - 1 : 0;
  size_t len = std::min(std::strlen(textP), room);
  std::memcpy(destP + used, textP, len);
  destP[used + len] = '\0';
  return used + len;
}

// Takes the arguments in argument order, formats each insert by its own format into the
// repository's insert area, and joins pieces and inserts in insert order.
int expandReordered(nlsRepository* repoP, const char* textP, size_t length, char* destP,
                    size_t size, va_list args) {
  static thread_local Reordered r;  // large; the caller holds the NLS mutex in any case
  r = Reordered{};
  if (!parseReordered(textP, length, &r)) return (destP[0] = '\0'), 0;
  Value values[NLS_INSERTS_MAX];
  for (unsigned a = 0; a < r.n; ++a) {
    unsigned k = r.orderP[a];
    values[k].type = conversionType(r.formatP[k]);
    for (unsigned w = 0; w < r.widths[k]; ++w) values[k].widths[w] = va_arg(args, int);
    takeValue(&values[k], args);
  }
  // Invariant: used < sizeof(m_InsertArea), so every insert has room for its terminator.
  size_t used = 0;
  for (unsigned k = 0; k < r.n; ++k) {
    size_t room = sizeof(repoP->m_InsertArea) - used;
    char* insertP = repoP->m_InsertArea + used;
    repoP->m_InsertP[k] = insertP;
    int len = formatValue(insertP, room, r.formatP[k], r.widths[k], values[k]);
    if (len < 0) insertP[0] = '\0';
    size_t wrote = len < 0 ? 0 : std::min(static_cast<size_t>(len), room - 1);
    used = std::min(used + wrote + 1, sizeof(repoP->m_InsertArea) - 1);
  }
  size_t out = appendBounded(destP, size, 0, r.pieceP[0]);
  for (unsigned k = 0; k < r.n; ++k) {
    out = appendBounded(destP, size, out, repoP->m_InsertP[k]);
    out = appendBounded(destP, size, out, r.pieceP[k + 1]);
  }
  return static_cast<int>(out);
}

void appendType(std::string* typesP, NlsArgType type, unsigned widths) {
  for (unsigned w = 0; w <= widths; ++w) {
    if (!typesP->empty()) *typesP += ',';
    *typesP += nlsArgTypeName(w < widths ? NLS_ARG_INT : type);
  }
}

// The types a plain printf format takes, in order; false for a conversion printf must not see.
bool plainTypes(const char* textP, std::string* typesP) {
  for (const char* p = std::strchr(textP, '%'); p != nullptr; p = std::strchr(p, '%')) {
    NlsConversion conv;
    const char* why = nullptr;
    if (nlsParseConversion(p, &conv, &why) != 0 || conv.position != 0 || conv.starNumbered)
      return false;
    if (conv.type != NLS_ARG_NONE) appendType(typesP, conv.type, conv.starWidths);
    p += conv.length;
  }
  return true;
}

// The types the reordering form takes, in argument order.
bool reorderedTypes(const char* textP, size_t length, std::string* typesP) {
  static thread_local Reordered r;
  r = Reordered{};
  if (!parseReordered(textP, length, &r)) return false;
  for (unsigned a = 0; a < r.n; ++a) {
    unsigned k = r.orderP[a];
    appendType(typesP, conversionType(r.formatP[k]), r.widths[k]);
  }
  return true;
}

// Copies as much of the entry's prefix as fits with a terminator; returns the bytes copied.
size_t copyPrefix(const nlsMsgEntry* entryP, char* destP, size_t size) {
  size_t prefix = std::min<size_t>(entryP->m_HasPrefix ? NLS_PREFIX_LEN : 0, size - 1);
  std::memcpy(destP, entryP->m_TextP, prefix);
  destP[prefix] = '\0';
  return prefix;
}

}  // namespace

const char* nlsMsgBody(const nlsMsgEntry* entryP, size_t* lengthP) {
  size_t prefix = entryP->m_HasPrefix ? NLS_PREFIX_LEN : 0;
  *lengthP = entryP->m_TextLen - prefix;
  return entryP->m_TextP + prefix;
}

int nlsCheckMsgText(const char* textP, size_t length) {
  if (length == 0 || textP[0] != '\0') return 1;
  static thread_local Reordered r;
  r = Reordered{};
  return parseReordered(textP, length, &r) ? 1 : 0;
}

int nlsTextTakesInserts(const char* textP, size_t length, const char* typesP) {
  std::string types;
  bool read = length > 0 && textP[0] == '\0' ? reorderedTypes(textP, length, &types)
                                             : plainTypes(textP, &types);
  if (!read) return 0;
  return types.empty() || (typesP != nullptr && types == typesP) ? 1 : 0;
}

int nlsExpandMsg(nlsRepository* repoP, const nlsMsgEntry* entryP, char* destP, size_t size,
                 va_list args) {
  if (!entryP->m_TakesInserts) return nlsCopyMsgText(entryP, destP, size);
  size_t prefix = copyPrefix(entryP, destP, size);
  size_t length = 0;
  const char* textP = nlsMsgBody(entryP, &length);
  if (length > 0 && textP[0] == '\0') {
    return expandReordered(repoP, textP, length, destP + prefix, size - prefix, args);
  }
  int len = std::vsnprintf(destP + prefix, size - prefix, textP, args);
  if (len < 0) return (destP[prefix] = '\0'), 0;
  return static_cast<int>(std::min(static_cast<size_t>(len), size - prefix - 1));
}

int nlsCopyMsgText(const nlsMsgEntry* entryP, char* destP, size_t size) {
  size_t prefix = copyPrefix(entryP, destP, size);
  size_t length = 0;
  const char* textP = nlsMsgBody(entryP, &length);
  char* outP = destP + prefix;
  size_t room = size - prefix;
  if (length > 0 && textP[0] == '\0') {
    static thread_local Reordered r;
    r = Reordered{};
    if (!parseReordered(textP, length, &r)) return 0;
    size_t out = appendBounded(outP, room, 0, r.pieceP[0]);
    for (unsigned k = 0; k < r.n; ++k) {
      out = appendBounded(outP, room, out, r.formatP[k]);
      out = appendBounded(outP, room, out, r.pieceP[k + 1]);
    }
    return static_cast<int>(out);
  }
  size_t out = 0;
  for (size_t i = 0; i < length && out + 1 < room; ++i) {
    outP[out++] = textP[i];
    if (textP[i] == '%' && i + 1 < length && textP[i + 1] == '%') ++i;
  }
  outP[out] = '\0';
  return static_cast<int>(out);
}
