// CRegDataFile: the wizard's data file meskoreg.dat beside its program, which describes the
// product being registered (line kinds: regdesc.h), with a store of per-language values.
//
// File format: each line's bytes inverted (XOR 0xFF), then 0x0A, then one pad byte that the
// reader skips. A last line without its 0x0A is dropped. regEncodeDataLine writes one line.
//
// Values: each language index has a list of texts in file order. A list that starts with
// "#default" takes the default value in that place, or disappears when there is none; the
// default is the one set explicitly, else the first English (18) value, else the first value.
#pragma once

#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

inline constexpr char kDataFileName[] = "meskoreg.dat";
inline constexpr char kDefaultMarker[] = "#default";
inline constexpr char kDataPadByte = '\x0D';

// Reads one line; false at the end of the input (an unfinished line is dropped).
bool regReadDataLine(std::istream& in, std::string& line);
// The stored form of one line; false when a byte would store as the line end (0xF5).
bool regEncodeDataLine(const std::string& line, std::string& stored);

class CRegDataFile {
 public:
  // The one object, located beside the program on first use; null while no file is there
  // (each call then looks again).
  static CRegDataFile* dataFile();
  // Forgets the process-wide object (end-of-process clean-up, tests).
  static void release();

  // An object over an open input; load reads it.
  explicit CRegDataFile(std::unique_ptr<std::istream> in);

  // Reads the whole file once, hands every line to its description line, settles the
  // defaults, and closes the file. Later calls do nothing.
  void load();
  bool loaded() const { return m_Loaded; }

  // Appends text to the index's list, keeping the first values (before a default is set).
  bool addValue(int languageIndex, const std::string& text);
  // The first text of the index's list, or the default value when it has none.
  std::string valueForLanguage(int languageIndex) const;
  // Every text of the index's list (empty when none).
  std::vector<std::string> valuesForLanguage(int languageIndex) const;
  void setDefaultValue(const std::string& text) {
    m_Default = text;
    m_DefaultSet = true;
  }
  const std::string& defaultValue() const { return m_Default; }

  // The description the lines set.
  std::string m_Version;
  std::string m_CreationDate;
  std::string m_ProductName;
  std::string m_ProductType;
  std::string m_PartNumber;

 private:
  void settleDefaults();

  std::unique_ptr<std::istream> m_In;  // open until the load has finished
  bool m_Loaded = false;
  std::string m_FirstValue;
  std::string m_FirstDefaultLanguageValue;
  std::string m_Default;
  bool m_DefaultSet = false;
  std::map<int, std::vector<std::string>> m_Values;
};
