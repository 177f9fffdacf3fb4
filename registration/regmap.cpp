#include "regmap.h"

#include <algorithm>

std::size_t CRegStringMap::bucketOf(const std::string& key) {
  std::uint32_t hash = 0;
  for (char c : key) hash = hash * 33 + static_cast<unsigned char>(c);
  return hash % kBuckets;
}

void CRegStringMap::set(const std::string& key, const std::string& value) {
  std::vector<Pair>& bucket = m_Buckets[bucketOf(key)];
  auto it =
      std::find_if(bucket.begin(), bucket.end(), [&](const Pair& p) { return p.first == key; });
  if (it != bucket.end()) {
    it->second = value;
    return;
  }
  bucket.insert(bucket.begin(), {key, value});
}

bool CRegStringMap::lookup(const std::string& key, std::string& value) const {
  const std::vector<Pair>& bucket = m_Buckets[bucketOf(key)];
  auto it =
      std::find_if(bucket.begin(), bucket.end(), [&](const Pair& p) { return p.first == key; });
  if (it == bucket.end()) return false;
  value = it->second;
  return true;
}

std::string CRegStringMap::get(const std::string& key) const {
  std::string value;
  lookup(key, value);
  return value;
}

bool CRegStringMap::remove(const std::string& key) {
  std::vector<Pair>& bucket = m_Buckets[bucketOf(key)];
  auto it =
      std::find_if(bucket.begin(), bucket.end(), [&](const Pair& p) { return p.first == key; });
  if (it == bucket.end()) return false;
  bucket.erase(it);
  return true;
}

void CRegStringMap::clear() {
  for (std::vector<Pair>& bucket : m_Buckets) bucket.clear();
}

std::size_t CRegStringMap::size() const {
  std::size_t count = 0;
  for (const std::vector<Pair>& bucket : m_Buckets) count += bucket.size();
  return count;
}

std::vector<std::pair<std::string, std::string>> CRegStringMap::entries() const {
  std::vector<Pair> all;
  for (const std::vector<Pair>& bucket : m_Buckets)
    all.insert(all.end(), bucket.begin(), bucket.end());
  return all;
}
