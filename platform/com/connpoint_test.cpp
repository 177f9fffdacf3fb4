#include "connpoint.h"

#include <gtest/gtest.h>

namespace {

class IPing : public IUnknown {
 public:
  virtual HRESULT Ping(int n) = 0;
};
constexpr IID IID_IPing = com::guid("6C1D0010-0000-4000-8000-000000000001");

class PingSink final : public com::Object<IPing> {
 public:
  explicit PingSink(bool* freed) : m_freed(freed) {}
  ~PingSink() override { *m_freed = true; }
  HRESULT Ping(int n) override {
    m_total += n;
    return S_OK;
  }
  int m_total = 0;

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_IPing ? static_cast<IPing*>(this) : nullptr;
  }
  bool* m_freed;
};

class Source final : public com::Object<IConnectionPointContainer> {
 public:
  Source() : m_point(com::make<com::ConnectionPoint>(IID_IPing, this)) {}
  ~Source() override { m_point->clear(); }
  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    *point = nullptr;
    if (!(riid == IID_IPing)) return CONNECT_E_NOCONNECTION;
    *point = com::Ptr<IConnectionPoint>::share(m_point.get()).detach();
    return S_OK;
  }
  void ping(int n) {
    m_point->fire<IPing>([n](IPing* sink) { sink->Ping(n); });
  }

 private:
  void* interfaceFor(REFIID riid) override {
    return riid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                                 : nullptr;
  }
  com::Ptr<com::ConnectionPoint> m_point;
};

TEST(ConnectionPoint, AdviseHoldsTheSinkUntilUnadvise) {
  auto source = com::make<Source>();
  com::Ptr<IConnectionPoint> point;
  ASSERT_EQ(source->FindConnectionPoint(IID_IPing, point.put()), S_OK);
  IID iid;
  point->GetConnectionInterface(&iid);
  EXPECT_EQ(iid, IID_IPing);

  bool freed = false;
  auto* sink = new PingSink(&freed);  // like a client's sink: the advice takes over the reference
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink, &cookie), S_OK);
  sink->Release();
  source->ping(2);
  source->ping(3);
  EXPECT_EQ(sink->m_total, 5);
  EXPECT_FALSE(freed);

  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_TRUE(freed);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

TEST(ConnectionPoint, RefusesWrongSinksAndUnknownInterfaces) {
  auto source = com::make<Source>();
  com::Ptr<IConnectionPoint> point;
  EXPECT_EQ(source->FindConnectionPoint(IID_IUnknown, point.put()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(source->FindConnectionPoint(IID_IPing, point.put()), S_OK);
  DWORD cookie = 7;
  EXPECT_EQ(point->Advise(point.get(), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
}

}  // namespace
