// The client's device set on its own: creation, versions, names, configuration checks and the
// calls made out of order.
#include "client_device_set.h"

#include <gtest/gtest.h>

#include "vdi_test_support.h"

using vditest::configFor;
using vditest::newSet2;
using vditest::Ref;

namespace {

constexpr IID kOtherIid = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};

Ref<IClientVirtualDeviceSet> newSet1() {
  IClientVirtualDeviceSet* set = nullptr;
  EXPECT_EQ(vdiCreateClientVirtualDeviceSet(CLSID_MSSQL_ClientVirtualDeviceSet,
                                            reinterpret_cast<void**>(&set)),
            S_OK);
  return Ref<IClientVirtualDeviceSet>(set);
}

TEST(ClientDeviceSet, FactoryAndInterfacesByVersion) {
  struct Case {
    const IID* asked;
    HRESULT created;
    bool offersVersion2;
  };
  const Case cases[] = {
      {&CLSID_MSSQL_ClientVirtualDeviceSet, S_OK, false},
      {&IID_IClientVirtualDeviceSet2, S_OK, true},
      {&IID_IUnknown, S_OK, true},
      {&kOtherIid, E_NOINTERFACE, false},
  };
  for (const Case& c : cases) {
    IUnknown* object = nullptr;
    ASSERT_EQ(vdiCreateClientVirtualDeviceSet(*c.asked, reinterpret_cast<void**>(&object)),
              c.created);
    if (c.created != S_OK) {
      EXPECT_EQ(object, nullptr);
      continue;
    }
    void* v2 = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IClientVirtualDeviceSet2, &v2),
              c.offersVersion2 ? S_OK : E_NOINTERFACE);
    if (v2) {
      EXPECT_EQ(static_cast<IUnknown*>(static_cast<IClientVirtualDeviceSet2*>(v2))->Release(), 1u);
    }
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(object->Release(), 0u);
  }
  EXPECT_EQ(vdiCreateClientVirtualDeviceSet(IID_IUnknown, nullptr), E_POINTER);
}

TEST(ClientDeviceSet, CreateChecksNameAndConfiguration) {
  struct Case {
    const char* what;
    bool version2;
    const char16_t* name;
    DWORD devices;
    DWORD features;
    HRESULT expected;
  };
  const Case cases[] = {
      {"no name", true, nullptr, 1, 0, VD_E_INVALID},
      {"empty name", true, u"", 1, 0, VD_E_INVALID},
      {"no devices", true, u"cfg-a", 0, 0, VD_E_INVALID},
      {"33 devices on version 1", false, u"cfg-b", 33, 0, VD_E_INVALID},
      {"32 devices on version 1", false, u"cfg-c", 32, VDF_Discard, S_OK},
      {"64 devices on version 2", true, u"cfg-d", 64, VDF_Discard | VDF_Removable, S_OK},
      {"65 devices on version 2", true, u"cfg-e", 65, 0, VD_E_INVALID},
      {"unknown feature", true, u"cfg-f", 1, 0x2, VD_E_NOTSUPPORTED},
  };
  for (const Case& c : cases) {
    VDConfig config = configFor(c.devices, c.features);
    HRESULT hr =
        c.version2 ? newSet2()->Create(c.name, &config) : newSet1()->Create(c.name, &config);
    EXPECT_EQ(hr, c.expected) << c.what;
  }
  VDConfig config = configFor(1, 0);
  EXPECT_EQ(newSet2()->Create(u"cfg-g", nullptr), VD_E_INVALID);
  EXPECT_EQ(newSet2()->CreateEx(u"", u"cfg-g", &config), S_OK);
}

TEST(ClientDeviceSet, NameIsTakenFromCreateToCloseWithinItsInstance) {
  VDConfig config = configFor(1, 0);
  auto first = newSet2();
  auto second = newSet2();
  ASSERT_EQ(first->Create(u"names-1", &config), S_OK);
  EXPECT_EQ(second->Create(u"names-1", &config), VD_E_BUSY);
  EXPECT_EQ(second->CreateEx(nullptr, u"names-1", &config), VD_E_BUSY);  // the default instance
  EXPECT_EQ(newSet1()->Create(u"names-1", &config), VD_E_BUSY);

  EXPECT_EQ(second->CreateEx(u"Inst1", u"names-1", &config), S_OK);
  EXPECT_EQ(newSet2()->CreateEx(u"INST1", u"names-1", &config), VD_E_BUSY);  // case ignored
  EXPECT_EQ(second->Close(), S_OK);

  EXPECT_EQ(first->Close(), S_OK);
  EXPECT_EQ(second->Create(u"names-1", &config), S_OK);
  second.reset();  // the last reference closes the set and frees the name
  EXPECT_EQ(first->Create(u"names-1", &config), S_OK);
}

TEST(ClientDeviceSet, InstanceNamesFollowSqlServerRules) {
  VDConfig config = configFor(1, 0);
  for (const char16_t* bad :
       {u"SEVENTEEN_CHARSXX", u"A B", u"A\\B", u"A,B", u"A:B", u"A;B", u"A'B", u"A&B", u"A@B"}) {
    EXPECT_EQ(newSet2()->CreateEx(bad, u"inst-x", &config), VD_E_INSTANCE_NAME);
  }
  EXPECT_EQ(newSet2()->CreateEx(u"SIXTEEN_CHARS_XX", u"inst-x", &config), S_OK);
}

TEST(ClientDeviceSet, OneSetAtATimeAndCallsNeedAnOpenSet) {
  VDConfig config = configFor(2, 0);
  auto set = newSet2();
  Ref<IClientVirtualDevice> device;
  EXPECT_EQ(set->GetConfiguration(0, &config), VD_E_NOTOPEN);
  EXPECT_EQ(set->OpenDevice(u"order-1", device.out()), VD_E_NOTOPEN);
  EXPECT_EQ(set->SignalAbort(), VD_E_NOTOPEN);
  EXPECT_EQ(set->Close(), VD_E_NOTOPEN);

  ASSERT_EQ(set->Create(u"order-1", &config), S_OK);
  EXPECT_EQ(set->Create(u"order-2", &config), VD_E_PROTOCOL);
  EXPECT_EQ(set->GetConfiguration(0, &config), VD_E_TIMEOUT);
  EXPECT_EQ(set->GetConfiguration(20, &config), VD_E_TIMEOUT);
  EXPECT_EQ(set->GetConfiguration(20, nullptr), VD_E_INVALID);
  EXPECT_EQ(set->OpenDevice(u"order-1", device.out()), VD_E_PROTOCOL);  // SQL Server not there yet
  EXPECT_EQ(device.get(), nullptr);
  EXPECT_EQ(set->Close(), S_OK);
  EXPECT_EQ(set->Create(u"order-2", &config), S_OK);  // the object creates again after Close
}

}  // namespace
