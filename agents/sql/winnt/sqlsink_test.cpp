// The agent's server event sink: its interfaces, answers and life under the advice.
#include "sqlsink.h"

#include <gtest/gtest.h>

#include "com.h"

namespace {

// A sink with a reference held by the test, so its count can be watched.
class SinkTest : public testing::Test {
 protected:
  void SetUp() override {
    m_SinkP = new CSqlApi::CSqlServerSink();
    m_SinkP->AddRef();
  }
  void TearDown() override { EXPECT_EQ(m_SinkP->Release(), 0u); }
  CSqlApi::CSqlServerSink* m_SinkP = nullptr;
};

TEST_F(SinkTest, AnswersForItsOwnInterfacesOnly) {
  void* objectP = nullptr;
  EXPECT_EQ(m_SinkP->QueryInterface(IID_IConnectionPoint, &objectP), E_NOINTERFACE);
  EXPECT_EQ(objectP, nullptr);
  EXPECT_EQ(m_SinkP->AddRef(), 2u);  // the failed query added nothing
  m_SinkP->Release();
  for (const IID& iid : {IID_IUnknown, IID_ISQLDMOServerSink}) {
    ASSERT_EQ(m_SinkP->QueryInterface(iid, &objectP), S_OK);
    EXPECT_EQ(objectP, static_cast<ISQLDMOServerSink*>(m_SinkP));
    EXPECT_EQ(m_SinkP->Release(), 1u);
  }
}

TEST_F(SinkTest, ContinuesAfterATimeOutAndRetriesABrokenConnection) {
  com::Bstr text(u"event");
  BOOL answer = FALSE;
  EXPECT_EQ(m_SinkP->QueryTimeout(text.get(), &answer), S_OK);
  EXPECT_EQ(answer, TRUE);
  answer = FALSE;
  EXPECT_EQ(m_SinkP->ConnectionBroken(text.get(), &answer), S_OK);
  EXPECT_EQ(answer, TRUE);
  EXPECT_EQ(m_SinkP->ServerMessage(10, 5701, 1, text.get()), S_OK);
  EXPECT_EQ(m_SinkP->RemoteLoginFailed(14, 18456, 1, text.get()), S_OK);
  EXPECT_EQ(m_SinkP->CommandSent(text.get()), S_OK);
}

// A connection point of the COM runtime holds the only reference of a sink made with a count
// of 0: Unadvise frees it (ASan reports a leak otherwise).
class Container final : public com::Object<IConnectionPointContainer> {
 public:
  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }

 private:
  void* interfaceFor(REFIID) override { return nullptr; }
};

TEST(SinkAdviceTest, AdviseThenUnadviseFreesTheSink) {
  auto container = com::make<Container>();
  auto point = com::make<com::ConnectionPoint>(IID_ISQLDMOServerSink, container.get());
  auto* sinkP = new CSqlApi::CSqlServerSink();
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(static_cast<ISQLDMOServerSink*>(sinkP), &cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

}  // namespace
