#include "regquestion.h"

#include <iterator>
#include <vector>

#include "regcustom.h"
#include "regquery.h"
#include "regregistrant.h"
#include "regres.h"

namespace {

constexpr DChoice kResponsibility[] = {
    {751, "ADMN", "1", 0},  {752, "BDIR", "2", 0},  {753, "CMHW", "3", 0},  {754, "DMAN", "4", 0},
    {755, "FINA", "5", 0},  {756, "HRES", "6", 0},  {757, "ITAD", "7", 0},  {758, "ITIM", "8", 0},
    {759, "ITNT", "9", 0},  {760, "ITOP", "10", 0}, {761, "ITPL", "11", 0}, {762, "ITSM", "12", 0},
    {763, "ITUS", "13", 0}, {764, "LEGL", "14", 0}, {765, "SMKT", "15", 0},
};

// Numbers are the codes' places in byte order, not the rows' positions.
constexpr DChoice kIndustry[] = {
    {801, "AGRC", "1", 0},   {802, "BANK", "2", 0},  {803, "CSTR", "5", 0},  {804, "CONS", "3", 0},
    {805, "CPRD", "4", 0},   {806, "EDUC", "6", 0},  {807, "GOVF", "9", 0},  {808, "FINL", "7", 0},
    {809, "GOIL", "8", 0},   {810, "GOVT", "10", 0}, {811, "HCAR", "11", 0}, {812, "HTEC", "12", 0},
    {813, "INDP", "13", 0},  {814, "INSU", "14", 0}, {815, "MANF", "15", 0}, {816, "MKTG", "16", 0},
    {817, "NONP", "17", 0},  {818, "PROF", "18", 0}, {819, "PUBL", "19", 0}, {820, "REAL", "20", 0},
    {821, "RETL", "21", 0},  {822, "TELE", "22", 0}, {823, "TRAN", "23", 0}, {824, "TRAV", "24", 0},
    {825, "OTHR", "25", -1},
};

constexpr DChoice kCompanySize[] = {
    {851, "1-9", "1", 0},      {852, "10-24", "2", 0},   {853, "25-49", "5", 0},
    {854, "50-99", "10", 0},   {855, "100-249", "3", 0}, {856, "250-499", "6", 0},
    {857, "500-999", "11", 0}, {858, "1K-1999", "4", 0}, {859, "2K-2999", "7", 0},
    {860, "3K-3999", "8", 0},  {861, "4K-4999", "9", 0}, {862, "5000+", "12", 0},
    {863, "UNKN", "13", 0},
};

constexpr DChoice kPurchaseReason[] = {
    {901, "ADV", "1", 0},  {902, "ART", "2", 0},   {903, "BRND", "3", 0}, {904, "FUNC", "4", 0},
    {905, "INFO", "5", 0}, {906, "MKTG", "6", 0},  {907, "PRCE", "7", 0}, {908, "PDEM", "8", 0},
    {909, "RECM", "9", 0}, {910, "SALE", "10", 0},
};

constexpr DChoice kPlaceOfPurchase[] = {
    {926, "EMAL", "1", 0}, {927, "TELE", "2", 0}, {928, "WEB", "3", 0},
    {929, "CATL", "4", 0}, {930, "PCOT", "5", 0}, {931, "RET", "6", 0},
};

constexpr DChoice kPersonalSituation[] = {
    {951, "COLL", "1", 0}, {952, "HOME", "2", 0}, {953, "OPHO", "3", 0}, {954, "RET", "4", 0},
    {955, "SELF", "5", 0}, {956, "STDT", "6", 0}, {957, "WOHO", "7", 0},
};

constexpr DChoice kListA[] = {
    {976, "COMP", "1", 0}, {977, "BROC", "2", 0},  {978, "INET", "3", 0},  {979, "MAGZ", "4", 0},
    {980, "WORK", "5", 0}, {981, "LIBR", "6", 0},  {982, "SCHL", "7", 0},  {983, "RETL", "8", 0},
    {984, "SALE", "9", 0}, {985, "TELE", "10", 0}, {986, "UPGR", "11", 0},
};

constexpr DChoice kListB[] = {
    {1002, "ADV", "1", 0},  {1003, "BRND", "2", 0},  {1004, "CSCH", "3", 0}, {1005, "INET", "4", 0},
    {1006, "INFO", "5", 0}, {1007, "DEMO", "6", 0},  {1008, "PUSC", "7", 0}, {1009, "READ", "8", 0},
    {1010, "REBT", "9", 0}, {1011, "RECM", "10", 0},
};

constexpr DChoice kListC[] = {
    {1027, "2-4", "1", 0},   {1028, "5-6", "2", 0},   {1029, "7-8", "3", 0},
    {1030, "9-10", "4", 0},  {1031, "11-12", "5", 0}, {1032, "13-15", "6", 0},
    {1033, "16OVR", "7", 0},
};

template <std::size_t N>
constexpr DChoiceTable tableOf(const DChoice (&rows)[N]) {
  return {rows, static_cast<int>(N)};
}

}  // namespace

const DChoiceTable kResponsibilityTable = tableOf(kResponsibility);
const DChoiceTable kIndustryTable = tableOf(kIndustry);
const DChoiceTable kCompanySizeTable = tableOf(kCompanySize);
const DChoiceTable kPurchaseReasonTable = tableOf(kPurchaseReason);
const DChoiceTable kPlaceOfPurchaseTable = tableOf(kPlaceOfPurchase);
const DChoiceTable kPersonalSituationTable = tableOf(kPersonalSituation);
const DChoiceTable kCustomListA = tableOf(kListA);
const DChoiceTable kCustomListB = tableOf(kListB);
const DChoiceTable kCustomListC = tableOf(kListC);

void regFillChoiceList(CChoiceList& list, const DChoiceTable& table, bool sorted) {
  std::vector<const DChoice*> placed;
  for (int i = 0; i < table.count; ++i) {
    const DChoice& row = table.rows[i];
    if (row.placement == 0) {
      list.add(regLoadString(row.textId), &row, sorted);
      continue;
    }
    std::size_t place = static_cast<std::size_t>(-row.placement - 1);
    if (placed.size() <= place) placed.resize(place + 1, nullptr);
    placed[place] = &row;
  }
  for (const DChoice* row : placed) {
    if (row == nullptr) continue;
    list.insertAt(list.count() + row->placement + 1, regLoadString(row->textId), row);
  }
}

void CQuestion::show() {
  if (m_ListP == nullptr) return;
  m_ListP->setLabel(regLoadString(m_TextId));
  m_ListP->clear();
  regFillChoiceList(*m_ListP, m_Table, m_Sorted);
  for (int i = 0; i < m_ListP->count(); ++i) {
    if (m_ListP->textAt(i).rfind(m_LastText, 0) != 0) continue;
    if (!m_LastText.empty()) m_ListP->select(i);
    break;
  }
  m_Shown = true;
}

void CQuestion::hide() {
  if (m_ListP != nullptr && m_ListP->selected() >= 0)
    m_LastText = m_ListP->textAt(m_ListP->selected());
  remember();
  if (m_ListP != nullptr) m_ListP->clear();
  m_Shown = false;
}

const DChoice* CQuestion::selectedChoice() const {
  if (m_ListP == nullptr || m_ListP->selected() < 0) return nullptr;
  return m_ListP->dataAt(m_ListP->selected());
}

// Keeps what the question gives while shown, for the time it is hidden.
void CQuestion::remember() const {
  if (!m_Shown) return;
  const DChoice* choice = selectedChoice();
  m_Text = choice != nullptr ? m_ListP->textAt(m_ListP->selected()) : " ";
  m_Code = choice != nullptr ? choice->code : " ";
  m_Number = choice != nullptr ? choice->number : "";
}

std::string CQuestion::selectedText() const {
  remember();
  return m_Text;
}

std::string CQuestion::selectedCode() const {
  remember();
  return m_Code;
}

std::string CQuestion::selectedNumber() const {
  remember();
  return m_Number;
}

std::string CQuestion::requestPair(bool inUse) const {
  return m_Key + "=" + regEncoded(inUse ? selectedCode() : " ");
}

std::string regUseNumber(const std::string& useCode) {
  if (useCode == "HOME") return "1";
  if (useCode == "BUSI") return "2";
  if (useCode == "HOBU") return "3";
  return "";
}

CQuestionnaire::CQuestionnaire() {
  const CProductCustomization& product = CProductCustomization::instance();
  const DChoiceTable* tables[3][3] = {
      {&kPurchaseReasonTable, &kPlaceOfPurchaseTable, &kPersonalSituationTable},
      {&kResponsibilityTable, &kIndustryTable, &kCompanySizeTable},
      {&kCustomListA, &kCustomListB, &kCustomListC}};
  m_Questions.resize(3);
  for (int g = 0; g < 3; ++g) {
    for (int q = 0; q < 3; ++q) {
      m_Questions[g].emplace_back(product.questionTextId(g, q), product.answerKey(g, q),
                                  product.fieldCode(g, q), *tables[g][q], q != 2 || g == 0);
    }
  }
  m_Customised = !product.answerKey(2, 0).empty();
}

void CQuestionnaire::store(CRegistrant& registrant, const std::string& useCode) {
  registrant.setSecond(kUseKey, useCode);
  registrant.setThird(kUseFieldCode, regUseNumber(useCode));
  int inUse = usesHomeSet(useCode) ? 0 : 1;
  for (int g = 0; g < 2; ++g) {
    for (CQuestion& question : m_Questions[g]) {
      registrant.setSecond(question.key(), question.selectedText());
      registrant.setThird(question.fieldCode(), g == inUse ? question.selectedNumber() : "");
    }
  }
}
