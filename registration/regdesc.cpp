#include "regdesc.h"

#include "regdatafile.h"
#include "reglang.h"
#include "regtextutil.h"

namespace {

bool startsWith(const std::string& line, const char* key) {
  return line.rfind(key, 0) == 0;
}

// A "key: value" line whose value replaces one field of the description.
template <const char* Key, std::string CRegDataFile::*Field, bool Upper = false>
class CValueLine : public CDescriptionLine {
 public:
  using CDescriptionLine::CDescriptionLine;
  static bool matches(const std::string& line) { return startsWith(line, Key); }
  void apply(CRegDataFile& description) const override {
    std::string value =
        regTrimBlanks(std::string_view(m_Line).substr(std::char_traits<char>::length(Key)));
    description.*Field = Upper ? regUpper(value) : value;
  }
};

constexpr char kVersionKey[] = "tamrelVersion:";
constexpr char kDateKey[] = "dateOfFileCreation:";
constexpr char kNameKey[] = "productName:";
constexpr char kTypeKey[] = "productType:";
constexpr char kPartKey[] = "partNumber:";
constexpr char kLanguageKey[] = "lang";

using CVersionLine = CValueLine<kVersionKey, &CRegDataFile::m_Version>;
using CDateLine = CValueLine<kDateKey, &CRegDataFile::m_CreationDate>;
using CNameLine = CValueLine<kNameKey, &CRegDataFile::m_ProductName>;
using CTypeLine = CValueLine<kTypeKey, &CRegDataFile::m_ProductType, true>;
using CPartLine = CValueLine<kPartKey, &CRegDataFile::m_PartNumber>;

// "lang xxx: word word ..." adds each word to the list of language code xxx.
class CLanguageLine : public CDescriptionLine {
 public:
  using CDescriptionLine::CDescriptionLine;
  static bool matches(const std::string& line) { return startsWith(line, kLanguageKey); }
  void apply(CRegDataFile& description) const override {
    std::string text = m_Line.size() > 5 ? m_Line.substr(5) : "";
    int index = languageIndex(text.substr(0, 3));
    text = text.size() > 4 ? text.substr(4) : "";
    text.erase(0, text.find_first_not_of(' '));
    text += ' ';
    while (!text.empty()) {
      std::size_t blank = text.find(' ');
      // A line without words adds nothing (not one empty word).
      if (blank > 0) description.addValue(index, text.substr(0, blank));
      text.erase(0, blank);
      text.erase(0, text.find_first_not_of(' '));
    }
  }
};

template <class Line>
std::unique_ptr<CDescriptionLine> tryKind(const std::string& line) {
  return Line::matches(line) ? std::make_unique<Line>(line) : nullptr;
}

using LineFactory = std::unique_ptr<CDescriptionLine> (*)(const std::string&);

// In the order the kinds are tried.
constexpr LineFactory kKinds[] = {
    tryKind<CVersionLine>, tryKind<CDateLine>, tryKind<CNameLine>,
    tryKind<CTypeLine>,    tryKind<CPartLine>, tryKind<CLanguageLine>,
};

}  // namespace

std::unique_ptr<CDescriptionLine> CDescriptionLine::create(const std::string& line) {
  for (LineFactory kind : kKinds) {
    std::unique_ptr<CDescriptionLine> handler = kind(line);
    if (handler != nullptr) return handler;
  }
  return nullptr;
}
