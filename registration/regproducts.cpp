#include "regproducts.h"

#include <cstdlib>

#include "regconst.h"
#include "regdatafile.h"
#include "regtextutil.h"

namespace {

int productCount(const RegAnswers& general) {
  auto it = general.find(regconst::kNumOfProds);
  return it == general.end() ? 0 : std::atoi(it->second.c_str());
}

void setProducts(RegAnswers& general, const std::vector<std::string>& products) {
  general[regconst::kNumOfProds] = std::to_string(products.size());
  for (std::size_t i = 0; i < products.size(); ++i) {
    general[regconst::kProdPrefix + std::to_string(i + 1)] = products[i];
  }
}

}  // namespace

void setProductsFromCommandLine(RegAnswers& general, const std::vector<std::string>& products) {
  setProducts(general, products);
}

void setProductsFromProductFile(RegAnswers& general, const CRegDataFile& file, int languageIndex) {
  general[regconst::kProdName] = file.m_ProductName;
  std::vector<std::string> parts = file.valuesForLanguage(languageIndex);
  if (!parts.empty()) {
    setProducts(general, parts);
    return;
  }
  std::string part = regTrimBlanks(file.m_PartNumber);
  if (!part.empty()) setProducts(general, {part});
}

void regSelectProducts(RegAnswers& general, const CRegDataFile* file,
                       const std::vector<std::string>& products, int languageIndex) {
  if (file != nullptr && file->m_ProductType == kSuiteType) {
    general[regconst::kProdName] = file->m_ProductName;
    setProductsFromCommandLine(general, products);
  }
  if (file != nullptr && productCount(general) == 0) {
    setProductsFromProductFile(general, *file, languageIndex);
  }
  if (productCount(general) != 0) return;
  general[regconst::kNumOfProds] = "1";
  general[regconst::kProdPrefix + std::string("1")] = kUnknownProduct;
  general[regconst::kProdName] = kUnknownProductName;
}
