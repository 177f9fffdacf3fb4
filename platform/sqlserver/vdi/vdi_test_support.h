// Helpers for the tests of the virtual device interface: COM references, sets made by the client
// and opened by the server, and the agent's usual command loop.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vdi.h"
#include "vdi_server.h"
#include "vdi_test_loop.h"

namespace vditest {

// Holds one COM reference and releases it at the end.
template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : m_p(p) {}
  ~Ref() { reset(); }
  Ref(Ref&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    reset();
    m_p = std::exchange(other.m_p, nullptr);
    return *this;
  }
  T* operator->() const { return m_p; }
  T* get() const { return m_p; }
  T** out() {
    reset();
    return &m_p;
  }
  void reset() {
    if (m_p) {
      m_p->Release();
    }
    m_p = nullptr;
  }

 private:
  T* m_p = nullptr;
};

inline Ref<IClientVirtualDeviceSet2> newSet2() {
  IClientVirtualDeviceSet2* set = nullptr;
  EXPECT_EQ(
      vdiCreateClientVirtualDeviceSet(IID_IClientVirtualDeviceSet2, reinterpret_cast<void**>(&set)),
      S_OK);
  return Ref<IClientVirtualDeviceSet2>(set);
}

inline VDConfig configFor(DWORD devices, DWORD features) {
  VDConfig config{};
  config.deviceCount = devices;
  config.features = features;
  return config;
}

// Device names as the agent builds them: the first names the set.
inline std::vector<std::u16string> deviceNames(const std::u16string& setName, DWORD count) {
  std::vector<std::u16string> names{setName};
  for (DWORD i = 1; i < count; ++i) {
    names.push_back(setName + u"-" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
  }
  return names;
}

// A set created by the client, opened by the server and with every device opened by the client.
struct Conversation {
  Ref<IClientVirtualDeviceSet2> client;
  std::unique_ptr<vdi::ServerSet> server;
  std::vector<std::unique_ptr<Ref<IClientVirtualDevice>>> devices;

  Conversation(const std::u16string& setName, DWORD count, DWORD features,
               vdi::ServerOptions options = {}) {
    client = newSet2();
    VDConfig config = configFor(count, features);
    EXPECT_EQ(client->Create(setName.c_str(), &config), S_OK);
    std::vector<std::u16string> names = deviceNames(setName, count);
    EXPECT_EQ(vdi::ServerSet::Open(u"", names, options, &server), S_OK);
    EXPECT_EQ(client->GetConfiguration(1000, &config), S_OK);
    for (const std::u16string& name : names) {
      devices.push_back(std::make_unique<Ref<IClientVirtualDevice>>());
      EXPECT_EQ(client->OpenDevice(name.c_str(), devices.back()->out()), S_OK);
    }
  }

  IClientVirtualDevice* device(std::size_t i) const { return devices[i]->get(); }
};

// A shared buffer of n bytes for the server's commands.
inline std::shared_ptr<BYTE> buffer(std::size_t n) {
  return std::shared_ptr<BYTE>(new BYTE[n](), std::default_delete<BYTE[]>());
}

// The byte at offset i of stream s: every stream different, every offset checked.
inline BYTE patternByte(unsigned s, std::size_t i) {
  return static_cast<BYTE>((i * 31 + s * 7 + (i >> 12)) & 0xFF);
}

}  // namespace vditest
