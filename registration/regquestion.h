// The questionnaire of the Additional Information page: the choice tables, the three question
// sets (home, business, customised) and the rule by which a table fills its drop-down list.
// The tables are static data built once; a question keeps its last selected text between
// hide and show.
#pragma once

#include <string>
#include <vector>

struct DChoice {
  int textId;
  const char* code;    // sent in the registration request
  const char* number;  // stored under the question's field code
  int placement;       // 0, or -n: after the ordinary rows, at place n - 1 among such rows
};

struct DChoiceTable {
  const DChoice* rows;
  int count;
};

// The tables by name.
extern const DChoiceTable kResponsibilityTable;
extern const DChoiceTable kIndustryTable;
extern const DChoiceTable kCompanySizeTable;
extern const DChoiceTable kPurchaseReasonTable;
extern const DChoiceTable kPlaceOfPurchaseTable;
extern const DChoiceTable kPersonalSituationTable;
extern const DChoiceTable kCustomListA;
extern const DChoiceTable kCustomListB;
extern const DChoiceTable kCustomListC;

// A drop-down list and its label as a question sees them.
class CChoiceList {
 public:
  virtual ~CChoiceList() = default;
  virtual void setLabel(const std::string& text) = 0;
  virtual void clear() = 0;
  // Adds an entry: in text order when sorted, else at the end; returns its index.
  virtual int add(const std::string& text, const DChoice* data, bool sorted) = 0;
  virtual void insertAt(int index, const std::string& text, const DChoice* data) = 0;
  virtual int count() const = 0;
  virtual std::string textAt(int index) const = 0;
  virtual const DChoice* dataAt(int index) const = 0;
  virtual int selected() const = 0;  // -1 when none
  virtual void select(int index) = 0;
};

class CQuestion {
 public:
  CQuestion(int textId, std::string key, std::string fieldCode, const DChoiceTable& table,
            bool sorted)
      : m_TextId(textId),
        m_Key(std::move(key)),
        m_FieldCode(std::move(fieldCode)),
        m_Table(table),
        m_Sorted(sorted) {}

  void bind(CChoiceList* list) { m_ListP = list; }
  // The text a saved answer gave; the next show() selects the entry that begins with it.
  void restore(const std::string& text) { m_LastText = text; }
  // Fills the list from the table and selects the entry that begins with the last text.
  void show();
  // Keeps the selected entry's text, empties the list.
  void hide();
  // Of the selected entry; with none " ", " " and "". Not shown: what it gave last.
  std::string selectedText() const;
  std::string selectedCode() const;
  std::string selectedNumber() const;
  // key=value: the encoded code when in use, else an encoded blank.
  std::string requestPair(bool inUse) const;

  const std::string& key() const { return m_Key; }
  const std::string& fieldCode() const { return m_FieldCode; }
  int textId() const { return m_TextId; }
  bool shown() const { return m_Shown; }

 private:
  const DChoice* selectedChoice() const;
  void remember() const;

  int m_TextId;
  std::string m_Key;
  std::string m_FieldCode;
  const DChoiceTable& m_Table;
  bool m_Sorted;
  CChoiceList* m_ListP = nullptr;
  std::string m_LastText;
  bool m_Shown = false;
  // What a question not shown gives: the last answers it gave while shown.
  mutable std::string m_Text = " ", m_Code = " ", m_Number;
};

// Fills list from table: ordinary rows added (sorted or appended), then the placed rows.
void regFillChoiceList(CChoiceList& list, const DChoiceTable& table, bool sorted);

// The use answer: "HOME", "BUSI" or "HOBU" and its number "1", "2" or "3".
std::string regUseNumber(const std::string& useCode);
inline constexpr char kUseKey[] = "q18";
inline constexpr char kUseFieldCode[] = "7518";

class CRegistrant;

// The nine questions of the page, made from the product customisation's question tables: the
// home set (group 0), the business set (group 1) and the customised set (group 2, only for a
// product that fills it).
class CQuestionnaire {
 public:
  CQuestionnaire();
  CQuestion& home(int q) { return m_Questions[0][q]; }
  CQuestion& business(int q) { return m_Questions[1][q]; }
  CQuestion& customised(int q) { return m_Questions[2][q]; }
  bool isCustomised() const { return m_Customised; }
  // Home and Home/Business use the home set, Business the business set.
  static bool usesHomeSet(const std::string& useCode) { return useCode != "BUSI"; }
  // Into the registrant's second map: the use code under q18 and each home and business
  // question's text under its key; into the third map: the use number under 7518, the
  // numbers of the set in use under their field codes and "" under the other set's.
  void store(CRegistrant& registrant, const std::string& useCode);

 private:
  std::vector<std::vector<CQuestion>> m_Questions;
  bool m_Customised = false;
};
