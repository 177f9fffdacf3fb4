#include "regres.h"

#include <iterator>
#include <map>

namespace {

// The program's own strings: the failure and question texts that the wizard's checks and
// start-up raise, and the caption of its windows.
const std::map<int, std::string> kOwnStrings = {
    {201, "First Name is a required field."},
    {202, "Last Name is a required field."},
    {203, "Address is a required field."},
    {204, "City is a required field."},
    {205, "State/Province is a required field."},
    {206, "Zip/Postal Code is a required field."},
    {207, "Country is a required field."},
    {208, "Phone is a required field."},
    {212, "COM Initialization Failed."},
    {213,
     "When you provide us with your e-mail address, we are able to make you aware of special "
     "offerings.  Would you like to enter your e-mail address?"},
    {216, "Your e-mail address does not look like name@domain.  Would you like to change it?"},
    {217,
     "Pipe ( | ) and backslash ( \\ ) characters are not valid. Please remove them from your "
     "response."},
    {221,
     "A character in this entry field is not valid.  This field can only contain alphabetic "
     "characters.  Please remove the character that is not valid from your response."},
    {222,
     "Your address must contain alphabetic characters (such as PO Box 123).  Please change "
     "your address."},
    {246, "A character in this entry field is not valid. Please remove it from your response. "},
    {313, "Veltrona Product Registration"},
    {1515,
     "Your phone number does not contain the minimum number of required digits.  Would you "
     "like to change it?"},
    {1516,
     "Your zip code does not contain the minimum number of required characters.  Would you "
     "like to change it?"},
    {1517,
     "Your zip code does not contain the minimum number of required digits.  Would you like "
     "to change it?"},
    {1519, "Prefix is a required field."},
    {1520, "Suffix is a required field."},
    {1547, "No connect parameter was specified."},
};

// Names of Japan's prefectures, strings 1900 to 1946 in the order of their codes.
constexpr const char* kPrefectures[] = {
    "Hokkaido",  "Aomori",   "Iwate",    "Miyagi",    "Akita",     "Yamagata",  "Fukushima",
    "Ibaraki",   "Tochigi",  "Gunma",    "Saitama",   "Chiba",     "Tokyo",     "Kanagawa",
    "Niigata",   "Toyama",   "Ishikawa", "Fukui",     "Yamanashi", "Nagano",    "Gifu",
    "Shizuoka",  "Aichi",    "Mie",      "Shiga",     "Kyoto",     "Osaka",     "Hyogo",
    "Nara",      "Wakayama", "Tottori",  "Shimane",   "Okayama",   "Hiroshima", "Yamaguchi",
    "Tokushima", "Kagawa",   "Ehime",    "Kochi",     "Fukuoka",   "Saga",      "Nagasaki",
    "Kumamoto",  "Oita",     "Miyazaki", "Kagoshima", "Okinawa",
};
constexpr int kPrefectureBase = 1900;

class COwnResources : public CRegResourceModule {
 public:
  bool loadString(int id, std::string& text) const override {
    int prefecture = id - kPrefectureBase;
    if (prefecture >= 0 && prefecture < static_cast<int>(std::size(kPrefectures))) {
      text = kPrefectures[prefecture];
      return true;
    }
    auto it = kOwnStrings.find(id);
    if (it == kOwnStrings.end()) return false;
    text = it->second;
    return true;
  }
};

const COwnResources gOwn;
const CRegResourceModule* gCurrentP = nullptr;  // set at start-up on the user-interface thread

}  // namespace

const CRegResourceModule& regOwnResources() {
  return gOwn;
}

void regSetResourceModule(const CRegResourceModule* module) {
  gCurrentP = module;
}

const CRegResourceModule& regResourceModule() {
  return gCurrentP != nullptr ? *gCurrentP : gOwn;
}

std::string regLoadString(int id) {
  std::string text;
  regResourceModule().loadString(id, text);
  return text;
}
