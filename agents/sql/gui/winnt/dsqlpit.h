// The point-in-time dialog (template 118): how far the log backups of the next restore go. The
// choices: the whole log (none), up to a date and time, up to a named mark, or up to just
// before a named mark, the last two optionally only for a mark set after a date and time. SQL
// Server 7 knows no marks: there both mark choices are disabled.
//
// The pickers show month/day/year and a 24-hour time ("03/07/2001", "14:05:09") whatever the
// locale. The dialog starts from the options record's stop fields and writes the choice back
// into them on OK, as texts of the form "YYYYMMDD HH:MM:SS" (year, month and day without
// separators, one blank, hours 00 to 23); Cancel leaves the record as it was. An empty mark name
// with a mark choice is refused with message 5723 and the dialog stays open.
//
// User-interface thread only; the dialog is built on the caller's stack and run once.
#pragma once

#include <cstddef>
#include <string>

#include "datetime.h"
#include "dfcidlg.h"

struct OptionsInfo;

constexpr int DSQLPIT_TEMPLATE_ID = 118;
constexpr int DSQLPIT_MARK_MAX = 128;  // characters of a mark name

enum DSqlPitControl : int {
  IDC_PIT_NONE = 1089,
  IDC_PIT_STOPAT = 1086,
  IDC_PIT_STOPAT_DATE_LABEL = 1052,
  IDC_PIT_STOPAT_DATE = 1050,
  IDC_PIT_STOPAT_TIME_LABEL = 1053,
  IDC_PIT_STOPAT_TIME = 1051,
  IDC_PIT_ATMARK = 1087,
  IDC_PIT_ATMARK_LABEL = 1059,
  IDC_PIT_ATMARK_NAME = 1055,
  IDC_PIT_ATMARK_AFTER = 1056,
  IDC_PIT_ATMARK_DATE_LABEL = 1060,
  IDC_PIT_ATMARK_DATE = 1057,
  IDC_PIT_ATMARK_TIME_LABEL = 1061,
  IDC_PIT_ATMARK_TIME = 1058,
  IDC_PIT_BEFOREMARK = 1088,
  IDC_PIT_BEFOREMARK_LABEL = 1067,
  IDC_PIT_BEFOREMARK_NAME = 1063,
  IDC_PIT_BEFOREMARK_AFTER = 1064,
  IDC_PIT_BEFOREMARK_DATE_LABEL = 1068,
  IDC_PIT_BEFOREMARK_DATE = 1065,
  IDC_PIT_BEFOREMARK_TIME_LABEL = 1069,
  IDC_PIT_BEFOREMARK_TIME = 1066,
  IDC_PIT_NOW = 1072,
  IDC_PIT_HELP = 1073,
};

// The choices, in the order of the radio group.
enum DSqlPitChoice : int {
  PIT_NONE = 0,
  PIT_STOP_AT = 1,
  PIT_STOP_AT_MARK = 2,
  PIT_STOP_BEFORE_MARK = 3
};

// Splits a stored "YYYYMMDD HH:MM:SS" into its six numbers. The date comes from the first eight
// characters; the time only when the text has a time part of exactly that form, otherwise the
// hour, minute and second keep what the caller put there. A null text changes nothing.
void convertOptionsDatetoDP(const char* szDateTime, int* yearP, int* monthP, int* dayP, int* hourP,
                            int* minuteP, int* secondP);
// Joins a picker's date text (month/day/year; a two-digit year is in the 2000s) and time text
// (hour:minute:second, with an optional AM or PM behind a blank) into "YYYYMMDD HH:MM:SS" in
// the result buffer. A date text without its three parts leaves the date empty; a time text
// without its three parts leaves the buffer unchanged.
void convertPickerDateToOptions(const std::string& dateText, const std::string& timeText,
                                char* resultP, size_t resultSize);

class DSqlPitDlg : public DFciDialog {
 public:
  // The dialog works on the options record, which must outlive it.
  DSqlPitDlg(wxWindow* parentP, OptionsInfo* optionsP);

  int choice() const { return m_choice; }
  bool sqlServer7() const { return m_bSqlServer7; }
  // The texts the pickers show: the stop-at date and time, and the after date and time of the
  // chosen mark choice (for the page's summary after OK).
  std::string stopAtDateText() const;
  std::string stopAtTimeText() const;
  std::string afterDateText() const;
  std::string afterTimeText() const;

 protected:
  void onInitDialog() override;
  void doDataExchange(zkui::DataExchange& dx) override;
  bool onCommand(int id) override;
  void onOK() override;

 private:
  void OnRadioNone();
  void OnRadioStopAt();
  void OnRadioStopAtMark();
  void OnRadioStopBeforeMark();
  void OnCheckAtMarkAfter();
  void OnCheckBeforeMarkAfter();
  void OnButtonNow();
  void OnButtonHelp();
  void chooseMark(int choice);
  void readAfter(int choice);
  void enableStopAt(bool enable);
  // The controls of a mark choice (2 or 3): label, name, after box and, with `after`, its
  // after labels and pickers.
  void enableMark(int choice, bool enable, bool after);
  void focusOn(int id);
  void fromOptions();
  int markAfter(int choice) const;

  OptionsInfo* m_optionsP;
  zkui::DateTime m_stopAt;
  std::string m_atMarkName;
  int m_bAtMarkAfter = 0;
  zkui::DateTime m_atMarkAfter;
  std::string m_beforeMarkName;
  int m_bBeforeMarkAfter = 0;
  zkui::DateTime m_beforeMarkAfter;
  int m_choice = PIT_NONE;
  bool m_bSqlServer7 = false;
};
