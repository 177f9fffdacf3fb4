#include "moxtarmover.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "moxtar_testutil.h"
#include "pcmend_testutil.h"

namespace {

const char* const kFs = "\\\\SRV\\data\\0001";

std::string pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<char>((i * 131 + i / 4096) & 0xff);
  return bytes;
}

class MoxtarMoverTest : public MoxtarFixture {
 protected:
  void SetUp() override {
    MoxtarFixture::SetUp();
    addFilespace(kFs);
  }
  void TearDown() override {
    clearFaults();
    MoxtarFixture::TearDown();
  }

  // Sends the object in a transaction of its own with consumeToMoxtar; returns the transfer's
  // code. The transaction commits only when the transfer succeeded.
  int send(const std::string& ll, const std::string& data, uint32_t bufferKb,
           std::string* textP = nullptr, bool cancelFirst = false) {
    pelkObjName name = objNameOf(kFs, "\\db", ll);
    ObjAttr attr;
    memset(&attr, 0, sizeof attr);
    attr.stVersion = PELK_OBJATTR_VERSION;
    DPelkApi* apiP = m_Api.get();
    EXPECT_EQ(DPelkApi::dpelkBeginTxn(apiP, &m_Status, m_Handle), 0);
    EXPECT_EQ(DPelkApi::dpelkSendObj(apiP, &m_Status, m_Handle, PELK_SEND_BACKUP, nullptr, &name,
                                     &attr, nullptr),
              0);
    CFnTransfer transfer(3, bufferKb, feedBytes(data), [&](CPcm* pcmP) {
      if (cancelFirst) pcmP->cancel();
      return consumeToMoxtar(pcmP, m_Handle);
    });
    int rc = transfer.runOnce();
    if (textP != nullptr) *textP = transfer.consumerText();
    if (rc == RC_OK) {
      EXPECT_EQ(transfer.consumed(), data.size());
    }
    DPelkApi::dpelkEndSendObj(apiP, &m_Status, m_Handle);
    pelkUint16_t reason = 0;
    DPelkApi::dpelkEndTxn(apiP, &m_Status, m_Handle,
                          rc == RC_OK ? PELK_VOTE_COMMIT : PELK_VOTE_ABORT, &reason);
    return rc;
  }

  pelkUint64_t idOf(const std::string& ll) {
    for (const qryRespBackupData& o : objects(kFs)) {
      if (ll == o.objName.ll) return o.objId;
    }
    ADD_FAILURE() << "no object " << ll;
    return {0, 0};
  }

  // Reads the object back with produceFromMoxtar in a retrieval of its own.
  int read(pelkUint64_t id, uint32_t bufferKb, std::string* dataP, std::string* countsP,
           std::string* textP = nullptr) {
    pelkGetList list = {PELK_GETLIST_VERSION, 1, &id, nullptr};
    DPelkApi* apiP = m_Api.get();
    EXPECT_EQ(DPelkApi::dpelkBeginGetData(apiP, &m_Status, m_Handle, 0, PELK_GET_BACKUP, &list), 0);
    CFnTransfer transfer(
        3, bufferKb, [&](CPcm* pcmP) { return produceFromMoxtar(pcmP, m_Handle, id); },
        collectBytes(dataP, countsP));
    int rc = transfer.runOnce();
    if (textP != nullptr) *textP = transfer.producerText();
    EXPECT_EQ(DPelkApi::dpelkEndGetData(apiP, &m_Status, m_Handle), 0);
    return rc;
  }
};

TEST_F(MoxtarMoverTest, ObjectsGoAndComeBackByteForByteAtOtherBufferSizes) {
  struct Case {
    const char* ll;
    size_t size;
    const char* countsAt4k;  // the buffers the reader hands on with 4 KiB buffers
  };
  const Case cases[] = {
      {"\\empty", 0, "0 "},
      {"\\one", 4096, "4096 "},
      {"\\twoandhalf", 10240, "4096 4096 2048 "},
  };
  for (const Case& c : cases) {
    std::string data = pattern(c.size);
    ASSERT_EQ(send(c.ll, data, 4), 0) << c.ll;
    pelkUint64_t id = idOf(c.ll);
    std::string back, counts;
    ASSERT_EQ(read(id, 8, &back, &counts), 0) << c.ll;
    EXPECT_TRUE(back == data) << c.ll;
    back.clear();
    counts.clear();
    ASSERT_EQ(read(id, 4, &back, &counts), 0) << c.ll;
    EXPECT_TRUE(back == data) << c.ll;
    EXPECT_EQ(counts, c.countsAt4k) << c.ll;
  }
}

TEST_F(MoxtarMoverTest, SendFailuresGiveTheirCodesAndTheInterfaceText) {
  struct Case {
    const char* fault;
    int rc;
    bool text;
  };
  const Case cases[] = {
      {"pelkSendData nth=2 code=PELK_RC_WILL_ABORT", 1304, true},
      {"pelkSendData nth=1 code=PELK_RC_STORE_ERROR", 418, true},
      // An interface that reports success with nothing sent must not be asked for ever.
      {"pelkSendData code=0", 418, false},
  };
  for (const Case& c : cases) {
    armFault(c.fault);
    std::string text;
    EXPECT_EQ(send("\\failed", pattern(20000), 4, &text), c.rc) << c.fault;
    EXPECT_EQ(!text.empty(), c.text) << c.fault << ": " << text;
    clearFaults();
  }
  EXPECT_TRUE(objects(kFs).empty());
}

TEST_F(MoxtarMoverTest, CancelBeforeTheFirstBufferSendsNothing) {
  EXPECT_EQ(send("\\cancelled", pattern(9000), 4, nullptr, true), 200);
  EXPECT_TRUE(objects(kFs).empty());
}

TEST_F(MoxtarMoverTest, GetFailuresGiveTheirCodesAndTheFirstTextStays) {
  ASSERT_EQ(send("\\obj", pattern(10000), 4), 0);
  pelkUint64_t id = idOf("\\obj");
  struct Case {
    const char* faults[2];
    int rc;
    bool text = true;  // the interface's text of the code
  };
  const Case cases[] = {
      {{"pelkGetObj code=PELK_RC_WILL_ABORT", nullptr}, 1304},
      {{"pelkGetData nth=1 code=PELK_RC_OBJ_UNAVAILABLE", nullptr}, 418},
      // The end fails after an earlier failure: the earlier code and text stay.
      {{"pelkGetData nth=1 code=PELK_RC_WILL_ABORT", "pelkEndGetObj code=PELK_RC_STORE_ERROR"},
       1304},
      {{"pelkEndGetObj code=PELK_RC_STORE_ERROR", nullptr}, 418},
      // More data promised with nothing delivered must not be asked for ever.
      {{"pelkGetData code=PELK_RC_MORE_DATA", nullptr}, 418, false},
  };
  for (const Case& c : cases) {
    for (const char* f : c.faults) {
      if (f != nullptr) armFault(f);
    }
    std::string back, text;
    EXPECT_EQ(read(id, 4, &back, nullptr, &text), c.rc) << c.faults[0];
    EXPECT_EQ(!text.empty(), c.text) << c.faults[0];
    clearFaults();
  }
  std::string text157;
  char expected[PELK_RCMSG_SIZE];
  size_t length = 0;
  m_Api->AgtPelkRCMsg(&m_Status, m_Handle, PELK_RC_WILL_ABORT, expected, sizeof expected, &length);
  armFault("pelkGetData nth=1 code=PELK_RC_WILL_ABORT");
  armFault("pelkEndGetObj code=PELK_RC_STORE_ERROR");
  std::string back;
  EXPECT_EQ(read(id, 4, &back, nullptr, &text157), 1304);
  EXPECT_EQ(text157, expected);
}

}  // namespace
