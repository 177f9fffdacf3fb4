#include "hive.h"

#include <algorithm>
#include <iterator>

namespace zkreg {

std::string foldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool splitPath(std::string_view text, Path& path) {
  path.clear();
  if (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  if (text.empty()) return true;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\\', start);
    std::string_view level = text.substr(start, end == std::string_view::npos ? end : end - start);
    if (level.empty() || level.size() > kMaxKeyNameLength) return false;
    path.emplace_back(level);
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

std::string joinPath(const Path& path) {
  std::string text;
  for (const std::string& level : path) {
    if (!text.empty()) text += '\\';
    text += level;
  }
  return text;
}

Key* findKey(Key& top, const Path& path, Path* stored) {
  Key* key = &top;
  for (const std::string& level : path) {
    auto it = key->subkeys.find(foldName(level));
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
    if (stored != nullptr) stored->push_back(key->name);
  }
  return key;
}

Key& createKey(Key& top, const Path& path, const std::string& className, bool& created) {
  Key* key = &top;
  created = false;
  for (const std::string& level : path) {
    std::unique_ptr<Key>& slot = key->subkeys[foldName(level)];
    created = slot == nullptr;
    if (created) {
      slot = std::make_unique<Key>();
      slot->name = level;
    }
    key = slot.get();
  }
  if (created) key->className = className;
  return *key;
}

bool removeChild(Key& parent, std::string_view name) {
  return parent.subkeys.erase(foldName(name)) > 0;
}

const Key* childAt(const Key& parent, std::size_t index) {
  if (index >= parent.subkeys.size()) return nullptr;
  return std::next(parent.subkeys.begin(), static_cast<std::ptrdiff_t>(index))->second.get();
}

Value* findValue(Key& key, std::string_view name) {
  std::string folded = foldName(name);
  auto it = std::find_if(key.values.begin(), key.values.end(),
                         [&](const Value& v) { return foldName(v.name) == folded; });
  return it == key.values.end() ? nullptr : &*it;
}

void setValue(Key& key, Value value) {
  if (Value* old = findValue(key, value.name)) {
    old->type = value.type;
    old->data = std::move(value.data);
    return;
  }
  key.values.push_back(std::move(value));
}

bool removeValue(Key& key, std::string_view name) {
  Value* value = findValue(key, name);
  if (value == nullptr) return false;
  key.values.erase(key.values.begin() + (value - key.values.data()));
  return true;
}

}  // namespace zkreg
