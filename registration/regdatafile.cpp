#include "regdatafile.h"

#include <filesystem>
#include <fstream>

#include "regdesc.h"
#include "reglang.h"
#include "regprogram.h"

namespace {

std::unique_ptr<CRegDataFile>& current() {
  static std::unique_ptr<CRegDataFile> object;
  return object;
}

// meskoreg.dat in the folder of this program as the search finds it; "" when not found.
std::string dataFilePath() {
  std::string program;
  if (!regSearchPath(regAppName(), program)) return "";
  return (std::filesystem::path(program).parent_path() / kDataFileName).string();
}

}  // namespace

bool regReadDataLine(std::istream& in, std::string& line) {
  line.clear();
  std::istream::int_type byte;
  while ((byte = in.get()) != std::istream::traits_type::eof()) {
    if (byte == 0x0A) {
      in.get();  // the pad byte
      return true;
    }
    line += static_cast<char>(~byte & 0xFF);
  }
  return false;
}

bool regEncodeDataLine(const std::string& line, std::string& stored) {
  stored.clear();
  for (char c : line) {
    char inverted = static_cast<char>(~static_cast<unsigned char>(c));
    if (inverted == '\x0A') return false;
    stored += inverted;
  }
  stored += '\x0A';
  stored += kDataPadByte;
  return true;
}

CRegDataFile* CRegDataFile::dataFile() {
  std::unique_ptr<CRegDataFile>& object = current();
  if (object != nullptr) return object.get();
  std::string path = dataFilePath();
  if (path.empty()) return nullptr;
  auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*in) return nullptr;
  object = std::make_unique<CRegDataFile>(std::move(in));
  return object.get();
}

void CRegDataFile::release() {
  current().reset();
}

CRegDataFile::CRegDataFile(std::unique_ptr<std::istream> in) : m_In(std::move(in)) {}

void CRegDataFile::load() {
  if (m_Loaded) return;
  std::string line;
  while (m_In != nullptr && regReadDataLine(*m_In, line)) {
    std::unique_ptr<CDescriptionLine> handler = CDescriptionLine::create(line);
    if (handler != nullptr) handler->apply(*this);
  }
  settleDefaults();
  m_Loaded = true;
  m_In.reset();
}

void CRegDataFile::settleDefaults() {
  if (!m_DefaultSet && !m_FirstDefaultLanguageValue.empty()) {
    setDefaultValue(m_FirstDefaultLanguageValue);
  } else if (!m_DefaultSet && !m_FirstValue.empty()) {
    setDefaultValue(m_FirstValue);
  }
  for (auto it = m_Values.begin(); it != m_Values.end();) {
    std::vector<std::string>& values = it->second;
    if (values.empty() || values.front() != kDefaultMarker) {
      ++it;
    } else if (m_DefaultSet) {
      values.front() = m_Default;
      ++it;
    } else {
      it = m_Values.erase(it);
    }
  }
}

bool CRegDataFile::addValue(int languageIndex, const std::string& text) {
  bool marker = text == kDefaultMarker;
  if (!m_DefaultSet && !marker) {
    if (m_FirstValue.empty()) {
      m_FirstValue = text;
    } else if (m_FirstDefaultLanguageValue.empty() && languageIndex == kLanguageEnglish) {
      m_FirstDefaultLanguageValue = text;
    }
  }
  m_Values[languageIndex].push_back(text);
  return true;
}

std::string CRegDataFile::valueForLanguage(int languageIndex) const {
  auto it = m_Values.find(languageIndex);
  return it == m_Values.end() || it->second.empty() ? m_Default : it->second.front();
}

std::vector<std::string> CRegDataFile::valuesForLanguage(int languageIndex) const {
  auto it = m_Values.find(languageIndex);
  return it == m_Values.end() ? std::vector<std::string>() : it->second;
}
