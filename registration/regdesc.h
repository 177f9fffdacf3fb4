// The lines of the product description in the data file, one handler class per kind. The
// first kind whose key starts the line (exactly, case counts) takes it; other lines are
// ignored.
//   tamrelVersion:  dateOfFileCreation:  productName:  productType: (kept in upper case)
//   partNumber:     the rest of the line without surrounding blanks replaces the value
//   lang xxx: w1 w2 ...  (any line starting "lang") adds each word to the list of language
//                        code xxx (an unknown code: index -1)
#pragma once

#include <memory>
#include <string>

class CRegDataFile;

class CDescriptionLine {
 public:
  explicit CDescriptionLine(std::string line) : m_Line(std::move(line)) {}
  virtual ~CDescriptionLine() = default;

  // The handler of the line's kind, or null for a line of no known kind.
  static std::unique_ptr<CDescriptionLine> create(const std::string& line);
  // Performs the line's effect on the product description.
  virtual void apply(CRegDataFile& description) const = 0;

 protected:
  std::string m_Line;
};
