#include "regquery.h"

#include "regres.h"

namespace {

bool keptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

void encodeQueryValue(std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (keptAsIs(byte)) {
      encoded += c;
      continue;
    }
    encoded += '%';
    encoded += kHex[byte >> 4];
    encoded += kHex[byte & 0x0F];
  }
  text = std::move(encoded);
}

std::string regEncoded(std::string text) {
  encodeQueryValue(text);
  return text;
}

std::string regQueryPairs(const CRegStringMap& map) {
  std::string text;
  for (const auto& [key, value] : map.entries()) {
    if (!text.empty()) text += '&';
    text += key + "=" + regEncoded(value.empty() ? " " : value);
  }
  return text;
}

CSurveyRecord& CSurveyRecord::instance() {
  static CSurveyRecord record;
  return record;
}

void CSurveyRecord::setDefaults() {
  setCampaign(regLoadString(1050));
  setService(regLoadString(1051));
  setMethod(regLoadString(1052));
  setSurveyId(regLoadString(1053));
  setNumOfQuestions(regLoadString(1054));
}

const std::string& CSurveyRecord::queryText() {
  m_Text = regQueryPairs(m_Pairs);
  return m_Text;
}

void CSurveyRecord::release() {
  m_Pairs.clear();
  m_Text.clear();
}
