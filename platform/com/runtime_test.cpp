#include "runtime.h"

#include <gtest/gtest.h>

#include <thread>

#include "object.h"

namespace {

class ICounter : public IUnknown {
 public:
  virtual int next() = 0;
};
constexpr IID IID_ICounter = com::guid("{6C1D0001-0000-4000-8000-000000000001}");
constexpr CLSID CLSID_Counter = com::guid("6C1D0002-0000-4000-8000-000000000001");

class Counter final : public com::Object<ICounter> {
 public:
  int next() override { return ++m_value; }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_ICounter ? static_cast<ICounter*>(this) : nullptr;
  }
  int m_value = 0;
};

const com::ClassRegistrar registrar(CLSID_Counter, [](REFIID riid, void** object) {
  auto counter = com::make<Counter>();
  return counter->QueryInterface(riid, object);
});

struct ComThread {
  ComThread() { EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); }
  ~ComThread() { CoUninitialize(); }
};

TEST(Guid, ParsesAndPrints) {
  constexpr GUID g = com::guid("{10020100-E260-11CF-AE68-00AA004A34D5}");
  EXPECT_EQ(g.Data1, 0x10020100u);
  EXPECT_EQ(g.Data4[7], 0xD5);
  OLECHAR text[39];
  ASSERT_EQ(StringFromGUID2(g, text, 39), 39);
  EXPECT_EQ(std::u16string_view(text), u"{10020100-E260-11CF-AE68-00AA004A34D5}");
  EXPECT_EQ(StringFromGUID2(g, text, 38), 0);
  GUID bad;
  EXPECT_FALSE(com::parseGuid("10020100-E260-11CF-AE68-00AA004A34DZ", bad));
  EXPECT_FALSE(com::parseGuid("10020100E260-11CF-AE68-00AA004A34D5", bad));
}

TEST(Runtime, InitialisationCountsPerThread) {
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
  CoUninitialize();
  CoUninitialize();
  CoUninitialize();  // one too many: ignored
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  CoUninitialize();
}

TEST(Runtime, CreationNeedsInitialisation) {
  com::Ptr<ICounter> counter;
  EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter,
                             counter.putVoid()),
            CO_E_NOTINITIALIZED);
  ComThread com;
  EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter,
                             counter.putVoid()),
            S_OK);
  // Another thread joins the process's multithreaded apartment implicitly.
  std::thread([] {
    com::Ptr<ICounter> other;
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter,
                               other.putVoid()),
              S_OK);
  }).join();
}

TEST(Runtime, AnswersForUnknownClassesInterfacesAndAggregation) {
  ComThread com;
  void* object = &object;
  EXPECT_EQ(CoCreateInstance(com::guid("6C1D00FF-0000-4000-8000-000000000001"), nullptr,
                             CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(
      CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory, &object),
      E_NOINTERFACE);
  com::Ptr<ICounter> outer;
  ASSERT_EQ(
      CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, outer.putVoid()),
      S_OK);
  EXPECT_EQ(
      CoCreateInstance(CLSID_Counter, outer.get(), CLSCTX_INPROC_SERVER, IID_ICounter, &object),
      CLASS_E_NOAGGREGATION);
}

TEST(Runtime, ObjectsMoveBetweenThreads) {
  ComThread com;
  com::Ptr<ICounter> counter;
  ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter,
                             counter.putVoid()),
            S_OK);
  EXPECT_EQ(counter->next(), 1);
  // Used and released on a thread other than its creator's: the last release frees it there.
  std::thread([c = counter]() mutable {
    EXPECT_EQ(c->next(), 2);
    c.reset();
  }).join();
  EXPECT_EQ(counter->AddRef(), 2u);
  EXPECT_EQ(counter->Release(), 1u);
}

TEST(Runtime, RevokedClassIsGone) {
  ComThread com;
  constexpr CLSID clsid = com::guid("6C1D0003-0000-4000-8000-000000000001");
  DWORD cookie = com::registerClass(clsid, [](REFIID riid, void** object) {
    return com::make<Counter>()->QueryInterface(riid, object);
  });
  com::Ptr<ICounter> counter;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, counter.putVoid()),
            S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, counter.putVoid()),
            REGDB_E_CLASSNOTREG);
}

}  // namespace
