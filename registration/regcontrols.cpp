#include "regcontrols.h"

#include "regtextutil.h"

int CRegControls::addItem(int id, const std::string& text, long data, bool sorted) {
  int count = itemCount(id);
  int at = count;
  if (sorted) {
    std::string key = regLower(text);
    for (int i = 0; i < count; ++i) {
      if (key < regLower(itemText(id, i))) {
        at = i;
        break;
      }
    }
  }
  insertItem(id, at, text, data);
  return at;
}

int CRegControls::findPrefix(int id, const std::string& prefix) const {
  if (prefix.empty()) return -1;
  std::string key = regLower(prefix);
  int count = itemCount(id);
  for (int i = 0; i < count; ++i) {
    if (regLower(itemText(id, i)).compare(0, key.size(), key) == 0) return i;
  }
  return -1;
}

int CRegControls::findData(int id, long data) const {
  int count = itemCount(id);
  for (int i = 0; i < count; ++i) {
    if (itemData(id, i) == data) return i;
  }
  return -1;
}

bool CRegControls::selectPrefix(int id, const std::string& prefix) {
  int index = findPrefix(id, prefix);
  if (index < 0) return false;
  select(id, index);
  return true;
}

void CRegControls::showPair(int labelId, int fieldId, bool shown) {
  show(labelId, shown);
  show(fieldId, shown);
}
