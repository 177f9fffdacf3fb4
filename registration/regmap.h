// CRegStringMap: the wizard's string-to-string map. Its iteration order is part of what the
// registration sends (the order of the query's pairs), so it is that of a hash table of 17
// buckets with the hash h = h * 33 + byte: buckets in ascending order, and in each bucket the
// newest key first. Setting a key again keeps its place.
#pragma once

#include <array>
#include <functional>
#include <string>
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
  std::array<std::vector<Pair>, kBuckets> m_Buckets;  // each newest first
};
