// Which products a registration names: numOfProds, prod1 ... prodN and prodName in the
// registration's general answers, taken from the command line or the data file.
#pragma once

#include <map>
#include <string>
#include <vector>

class CRegDataFile;

using RegAnswers = std::map<std::string, std::string>;

inline constexpr char kUnknownProduct[] = "OrbenixLexNone";
inline constexpr char kUnknownProductName[] = "Unknown";
inline constexpr char kSuiteType[] = "SUITE";

// n plain parameters: numOfProds n and prod1 ... prodN in order; none: numOfProds "0".
void setProductsFromCommandLine(RegAnswers& general, const std::vector<std::string>& products);
// prodName from the file; the part numbers the file lists for the language, or else its one
// part number when not blank.
void setProductsFromProductFile(RegAnswers& general, const CRegDataFile& file, int languageIndex);
// The products at start-up: a suite's from the command line and, failing those, the file's;
// any other type's from the file; nothing found: one unknown product.
void regSelectProducts(RegAnswers& general, const CRegDataFile* file,
                       const std::vector<std::string>& products, int languageIndex);
