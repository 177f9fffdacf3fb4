// CRegStringMap: the wizard's string-to-string map. Its iteration order is part of what the
// registration sends (the order of the query's pairs), so it is that of a hash table of 17
// buckets with the hash h = h * 33 + byte: buckets in ascending order, and in each bucket the
// newest key first. Setting a key again keeps its place.
//
// Each bucket keeps its pairs oldest first and is walked backwards, and an index finds a key's
// place: setting and looking up take constant time however many keys there are (the wizard
// puts every part number of its data file here at start).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class CRegStringMap {
 public:
  static constexpr std::size_t kBuckets = 17;

  void set(const std::string& key, const std::string& value);
  // The value of key, "" when it has none.
  std::string get(const std::string& key) const;
  bool lookup(const std::string& key, std::string& value) const;
  bool remove(const std::string& key);
  void clear();
  std::size_t size() const;
  bool empty() const { return size() == 0; }
  // Every pair in iteration order.
  std::vector<std::pair<std::string, std::string>> entries() const;

  static std::size_t bucketOf(const std::string& key);

 private:
  using Pair = std::pair<std::string, std::string>;
  std::array<std::vector<Pair>, kBuckets> m_Buckets;      // each oldest first
  std::unordered_map<std::string, std::size_t> m_Places;  // key -> its place in its bucket
};
