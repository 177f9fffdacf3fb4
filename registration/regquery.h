// The registration's query: the encoder every writer of query pairs uses, and the survey
// record with the gateway's service parameters.
#pragma once

#include <string>

#include "regmap.h"

// Replaces text by its encoded form: letters, digits and "_" stay; every other byte becomes
// "%" and two lower-case hexadecimal digits. "" stays "".
void encodeQueryValue(std::string& text);
// The encoded form of text.
std::string regEncoded(std::string text);
// "key=value" pairs of a map in its iteration order, joined by "&"; an empty value is sent as
// one blank, and every value is encoded.
std::string regQueryPairs(const CRegStringMap& map);

class CSurveyRecord {
 public:
  static CSurveyRecord& instance();

  void setCampaign(const std::string& text) { m_Pairs.set("campaign", text); }
  void setService(const std::string& text) { m_Pairs.set("service", text); }
  void setMethod(const std::string& text) { m_Pairs.set("method", text); }
  void setSurveyId(const std::string& text) { m_Pairs.set("surveyId", text); }
  void setNumOfQuestions(const std::string& text) { m_Pairs.set("numOfQuestions", text); }
  // Sets the five from strings 1050 to 1054 (what the submission puts in every time).
  void setDefaults();

  const std::string& queryText();
  void release();

 private:
  CRegStringMap m_Pairs;
  std::string m_Text;
};
