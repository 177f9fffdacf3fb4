// The tree of keys and values of one hive, in memory. Names compare without regard to ASCII
// case and keep the case they were created with. Not thread-safe: each call of the registry
// builds its own tree from the hive file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zkreg {

// The longest key name; longer ones are refused like the platform refuses them.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
// The most bytes one value holds; a longer value is refused when set and marks a hive damaged.
inline constexpr std::size_t kMaxValueDataLength = 1 << 20;

using Bytes = std::vector<std::uint8_t>;
// A key path split at its backslashes, one name per level.
using Path = std::vector<std::string>;

struct Value {
  std::string name;  // "" is the key's default value
  std::uint32_t type = 0;
  Bytes data;  // exactly the bytes written
};

struct Key {
  std::string name;
  std::string className;
  std::vector<Value> values;  // in the order first set
  // Keyed by the folded name, so enumeration runs in name order without regard to case.
  std::map<std::string, std::unique_ptr<Key>> subkeys;
};

std::string foldName(std::string_view name);

// Splits "A\B\C" (one trailing backslash allowed; "" is the key itself). False for an empty
// level ("\A", "A\\B") or a name longer than kMaxKeyNameLength.
bool splitPath(std::string_view text, Path& path);
std::string joinPath(const Path& path);

// The key at path; stored (when given) receives the names as the keys keep them.
Key* findKey(Key& top, const Path& path, Path* stored = nullptr);
// Finds or creates every level of the path; created tells whether the last level is new, and
// a new last level gets className.
Key& createKey(Key& top, const Path& path, const std::string& className, bool& created);
// Removes the child named name of parent with all below it; false when there is none.
bool removeChild(Key& parent, std::string_view name);
// The child at index in name order, nullptr past the end.
const Key* childAt(const Key& parent, std::size_t index);

Value* findValue(Key& key, std::string_view name);
// Replaces the value of that name, keeping its place, or appends it.
void setValue(Key& key, Value value);
bool removeValue(Key& key, std::string_view name);

}  // namespace zkreg
