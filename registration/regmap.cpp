#include "regmap.h"

#include <cstddef>
#include <cstdint>

std::size_t CRegStringMap::bucketOf(const std::string& key) {
  std::uint32_t hash = 0;
  for (char c : key) hash = hash * 33 + static_cast<unsigned char>(c);
  return hash % kBuckets;
}

void CRegStringMap::set(const std::string& key, const std::string& value) {
  std::vector<Pair>& bucket = m_Buckets[bucketOf(key)];
  auto [place, added] = m_Places.try_emplace(key, bucket.size());
  if (!added) {
    bucket[place->second].second = value;
    return;
  }
  bucket.emplace_back(key, value);
}

bool CRegStringMap::lookup(const std::string& key, std::string& value) const {
  auto place = m_Places.find(key);
  if (place == m_Places.end()) return false;
  value = m_Buckets[bucketOf(key)][place->second].second;
  return true;
}

std::string CRegStringMap::get(const std::string& key) const {
  std::string value;
  lookup(key, value);
  return value;
}

bool CRegStringMap::remove(const std::string& key) {
  auto place = m_Places.find(key);
  if (place == m_Places.end()) return false;
  std::vector<Pair>& bucket = m_Buckets[bucketOf(key)];
  std::size_t at = place->second;
  m_Places.erase(place);
  bucket.erase(bucket.begin() + static_cast<std::ptrdiff_t>(at));
  for (std::size_t i = at; i < bucket.size(); ++i) m_Places[bucket[i].first] = i;
  return true;
}

void CRegStringMap::clear() {
  for (std::vector<Pair>& bucket : m_Buckets) bucket.clear();
  m_Places.clear();
}

std::size_t CRegStringMap::size() const {
  return m_Places.size();
}

std::vector<std::pair<std::string, std::string>> CRegStringMap::entries() const {
  std::vector<Pair> all;
  all.reserve(size());
  for (const std::vector<Pair>& bucket : m_Buckets)
    all.insert(all.end(), bucket.rbegin(), bucket.rend());
  return all;
}
