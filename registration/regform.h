// The lines of the printed or faxed registration form: field-code lines and separators, from
// the registrant record, the system facts and the product's mapped answers.
#pragma once

#include <string>
#include <vector>

struct DFormLine {
  int kind = 0;  // 0 a field line, 1 a separator
  std::string code;
  std::string value;
};

// Clears lines and fills them with the form, in its fixed order.
void buildFormLines(std::vector<DFormLine>& lines);

// The lines of the postal address to which a registration from the country is mailed
// (deployment data: the registration centres).
std::vector<std::string> regMailingLines(int countryIndex);
