// Storage-side work against the stand-in's server: filespace registration and dates, the
// server's event log, queries into lists, and inactivation and deletion in transactions.
#include "moxtarutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "moxtar_testutil.h"
#include "trcfile_testutil.h"

namespace {

constexpr char kFs[] = "SRV1\\data\\0001";

// ---- Filespaces and the server log ---------------------------------------------------------

class Filespaces : public MoxtarFixture {};

TEST_F(Filespaces, RegistrationTwiceIsSuccessAndTheDatesShowInAQuery) {
  std::strcpy(m_ErrorText, "untouched");
  EXPECT_EQ(registerFs(&m_Status, m_ErrorText, m_Handle, kFs, "SqlData", agentFsAttr()), 0);
  EXPECT_EQ(registerFs(&m_Status, m_ErrorText, m_Handle, kFs, "SqlData", agentFsAttr()), 0);
  EXPECT_STREQ(m_ErrorText, "untouched");

  MoxtarFilespaceList list;
  ASSERT_EQ(
      qryFilespaces(&m_Status, m_Handle, 0, kFs, "API:SqlData", nullptr, &list, m_ErrorText, 1), 0);
  ASSERT_EQ(list.getCount(), 1u);
  EXPECT_EQ(list.getFirst()->fsAttr.fsInfo[0], 'Z');
  EXPECT_EQ(static_cast<int>(list.getFirst()->backStartDate.year), 0);

  EXPECT_EQ(updateFsBackupDate(&m_Status, m_ErrorText, m_Handle, kFs, agentFsAttr(),
                               FS_UPDATE_BACKUP_START),
            0);
  EXPECT_EQ(updateFsBackupDate(&m_Status, m_ErrorText, m_Handle, kFs, agentFsAttr(),
                               FS_UPDATE_BACKUP_COMPLETE),
            0);
  list.freeAll();
  ASSERT_EQ(
      qryFilespaces(&m_Status, m_Handle, 0, kFs, "API:SqlData", nullptr, &list, m_ErrorText, 1), 0);
  ASSERT_EQ(list.getCount(), 1u);
  EXPECT_GT(static_cast<int>(list.getFirst()->backStartDate.year), 2000);
  EXPECT_GT(static_cast<int>(list.getFirst()->backCompleteDate.year), 2000);
}

TEST_F(Filespaces, FailuresCarryTheInterfaceTextAndBadActionsCallNothing) {
  addFilespace(kFs);
  // Armed so that any call of the interface would fail with 418.
  sim({"fault", "add", "pelkUpdateFS", "code=PELK_RC_STORE_ERROR"});
  for (uint32_t action : {4u, 24u, 0u}) {
    EXPECT_EQ(updateFsBackupDate(&m_Status, m_ErrorText, m_Handle, kFs, agentFsAttr(), action),
              419);
  }
  EXPECT_EQ(updateFsBackupDate(&m_Status, m_ErrorText, m_Handle, kFs, agentFsAttr(), 8), 418);
  EXPECT_NE(std::string(m_ErrorText), "");
  sim({"fault", "clear"});
  m_ErrorText[0] = '\0';
  EXPECT_EQ(registerFs(&m_Status, m_ErrorText, m_Handle, "SRV*", "SqlData", agentFsAttr()), 418);
  EXPECT_NE(std::string(m_ErrorText), "");
}

TEST_F(Filespaces, ServerLogEntriesTakeTheSeverityOfTheirPrefix) {
  const struct {
    const char* text;
    uint32_t msgNum;
    const char* severity;
    const char* msgId;
    const char* logged;
  } kCases[] = {
      {nullptr, 150, "warning", "ZUD0150", "The operation was cancelled by the user."},
      {nullptr, 5061, "error", "ZUD5061", "The storage server refused the request."},
      {"ZUD0301S A severe thing.", 301, "severe", "ZUD0301", "A severe thing."},
      {"ZUD0152I", 152, "info", "ZUD0152", ""},
      {"Backup of Sales started.", 7, "info", "ZUD0007", "Backup of Sales started."},
  };
  for (const auto& c : kCases) {
    ASSERT_EQ(writeMoxtarServerLog(&m_Status, m_ErrorText, m_Handle, c.text, c.msgNum), 0);
  }
  std::string events = simOutput({"events"});
  for (const auto& c : kCases) {
    size_t at = events.find(c.msgId);
    ASSERT_NE(at, std::string::npos) << c.msgId;
    size_t start = events.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    std::string line = events.substr(start, events.find('\n', at) - start);
    EXPECT_NE(line.find(std::string(" ") + c.severity + " "), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - std::strlen(c.logged)), c.logged) << line;
    EXPECT_EQ(line.find("ZUD", line.find(c.msgId) + 1), std::string::npos) << line;
  }
}

TEST_F(Filespaces, QueuedLogMessagesStayQueuedFromTheFirstFailedWrite) {
  ServerLogMessageList messages;
  for (uint32_t msgNum : {150u, 5061u, 151u}) {
    EXPECT_EQ(addServerLogMessage(&messages, msgNum), 0);
  }
  EXPECT_EQ(std::string(messages.getFirst()->szMsgText).rfind("ZUD0150W ", 0), 0u);
  sim({"fault", "add", "pelkLogEventEx", "nth=2", "code=PELK_RC_STORE_ERROR"});
  EXPECT_EQ(writeServerLogMessages(&m_Status, m_ErrorText, m_Handle, &messages), 418);
  ASSERT_EQ(messages.getCount(), 2u);
  EXPECT_EQ(messages.getFirst()->msgNum, 5061u);
  EXPECT_EQ(messages.getLast()->msgNum, 151u);
  EXPECT_EQ(writeServerLogMessages(&m_Status, m_ErrorText, m_Handle, &messages), 0);
  EXPECT_EQ(messages.getCount(), 0u);
  EXPECT_EQ(countOf(simOutput({"events"}), "ZUD"), 3);
}

TEST(ObjectOrders, RestoreOrderIsUnsignedWordByWordAndIdsAreOneNumber) {
  auto withOrder = [](pelkUint32_t top, pelkUint32_t last) {
    qryRespBackupData r{};
    r.restoreOrderExt.top = top;
    r.restoreOrderExt.lo_lo = last;
    return r;
  };
  const struct {
    qryRespBackupData a, b;
    int order;
  } kOrders[] = {
      {withOrder(1, 1), withOrder(1, 2), -1},
      {withOrder(1, 2), withOrder(1, 1), 1},
      {withOrder(0x80000000u, 0), withOrder(1, 0xFFFFFFFFu), 1},
      {withOrder(5, 5), withOrder(5, 5), 0},
  };
  for (const auto& c : kOrders) {
    EXPECT_EQ(compareRestoreOrder(&c.a, &c.b), c.order);
    const qryRespBackupData* aP = &c.a;
    const qryRespBackupData* bP = &c.b;
    EXPECT_EQ(compareRestoreOrderP(&aP, &bP), c.order);
  }
  auto withId = [](pelkUint32_t hi, pelkUint32_t lo) {
    qryRespBackupData r{};
    r.objId.hi = hi;
    r.objId.lo = lo;
    return r;
  };
  qryRespBackupData a = withId(1, 2), b = withId(1, 3), c = withId(2, 0), z = withId(0, 0);
  EXPECT_EQ(compareObjId(&a, &b), -1);
  EXPECT_EQ(compareObjId(&c, &b), 1);
  EXPECT_EQ(compareObjId(&z, &z), 0);
  qryRespBackupData high = withId(0, 0x80000000u);
  EXPECT_EQ(compareObjId(&high, &a), -1);
}

// ---- Queries -------------------------------------------------------------------------------

class Queries : public MoxtarFixture {
 protected:
  void SetUp() override {
    MoxtarFixture::SetUp();
    addFilespace(kFs);
    for (const char* hl : {"\\Sales", "\\Stock", "\\Sales"}) storeObject(kFs, hl, "\\full");
  }
  int query(uint8_t state, const char* hl, MoxtarBackupList* listP) {
    agentDateTime none{};
    return qryBackupObjects(&m_Status, m_Handle, state, none, objNameOf(kFs, hl, "\\*"), nullptr,
                            nullptr, listP, m_ErrorText);
  }
};

TEST_F(Queries, AnswersAreAppendedToWhatTheListHolds) {
  MoxtarBackupList list;
  EXPECT_EQ(query(PELK_ANYMATCH, "\\S*", &list), 0);
  EXPECT_EQ(list.getCount(), 3u);  // two versions of Sales and one of Stock
  EXPECT_EQ(query(PELK_ACTIVE, "\\Sales", &list), 0);
  EXPECT_EQ(list.getCount(), 4u);
  EXPECT_EQ(list.getLast()->objState, PELK_ACTIVE);
  MoxtarBackupList active;
  EXPECT_EQ(qryActiveBackupObjects(&m_Status, m_Handle, objNameOf(kFs, "*", "*"), nullptr, &active,
                                   m_ErrorText),
            0);
  EXPECT_EQ(active.getCount(), 2u);
}

TEST_F(Queries, NoMatchGives112AndLeavesTheListAsItWas) {
  MoxtarBackupList list;
  ASSERT_EQ(query(PELK_ANYMATCH, "\\S*", &list), 0);
  ASSERT_EQ(list.getCount(), 3u);
  EXPECT_EQ(query(PELK_ANYMATCH, "\\Nothing", &list), RC_NO_BACKUP_MATCH);
  EXPECT_EQ(list.getCount(), 3u);
  EXPECT_EQ(query(PELK_INACTIVE, "\\Stock", &list), RC_NO_BACKUP_MATCH);
  EXPECT_EQ(list.getCount(), 3u);
  // A filespace the node lacks: 124 at the begin, so no query is open to end.
  TraceFileForTest trace({TRC_API});
  agentDateTime none{};
  EXPECT_EQ(qryBackupObjects(&m_Status, m_Handle, PELK_ANYMATCH, none,
                             objNameOf("OTHER\\data\\0001", "*", "*"), nullptr, nullptr, &list,
                             m_ErrorText),
            RC_NO_BACKUP_MATCH);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkEndQuery"), 0);
  EXPECT_EQ(list.getCount(), 3u);
}

TEST_F(Queries, AFailedAnswerEndsTheQueryWithItsTextAndACancelWith415) {
  MoxtarBackupList list;
  sim({"fault", "add", "pelkGetNextQObj", "nth=2", "code=PELK_RC_STORE_ERROR"});
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(query(PELK_ANYMATCH, "*", &list), 418);
  EXPECT_NE(std::string(m_ErrorText), "");
  EXPECT_EQ(countOf(trace.text(), "Exit dpelkEndQuery, rc = 0"), 1);
  sim({"fault", "clear"});
  // An answer promised without a record: a failure, and nothing empty joins the list.
  MoxtarBackupList some;
  sim({"fault", "add", "pelkGetNextQObj", "nth=2", "code=PELK_RC_MORE_DATA"});
  EXPECT_EQ(query(PELK_ANYMATCH, "*", &some), 418);
  EXPECT_EQ(some.getCount(), 1u);
  sim({"fault", "clear"});
  uint32_t cancel = 1;
  agentDateTime none{};
  EXPECT_EQ(qryBackupObjects(&m_Status, m_Handle, PELK_ANYMATCH, none, objNameOf(kFs, "*", "*"),
                             nullptr, &cancel, &list, m_ErrorText),
            415);
}

TEST_F(Queries, FilespacePatternsKeepMatchingNamesOfTheType) {
  addFilespace("SRV1\\meta\\0000");
  addFilespace("SRV2\\meta\\0000", "Other");
  addFilespace("srv3\\meta\\0000");
  MoxtarFilespaceList list;
  ASSERT_EQ(qryFilespaces(&m_Status, m_Handle, 0, "SRV*\\meta\\0000", "API:SqlData", nullptr, &list,
                          m_ErrorText, 1),
            0);
  ASSERT_EQ(list.getCount(), 1u);
  EXPECT_STREQ(list.getFirst()->fsName, "SRV1\\meta\\0000");
  list.freeAll();
  ASSERT_EQ(qryFilespaces(&m_Status, m_Handle, 0, "SRV*\\meta\\0000", "API:SqlData", nullptr, &list,
                          m_ErrorText, 0),
            0);
  EXPECT_EQ(list.getCount(), 2u);  // srv3 too, without regard to case
  list.freeAll();
  EXPECT_EQ(qryFilespaces(&m_Status, m_Handle, 0, "SRV2\\meta\\0000", "API:SqlData", nullptr, &list,
                          m_ErrorText, 1),
            RC_NO_FILESPACE_MATCH);
  EXPECT_EQ(
      qryFilespaces(&m_Status, m_Handle, 0, "NONE*", "API:SqlData", nullptr, &list, m_ErrorText, 1),
      RC_NO_FILESPACE_MATCH);
  EXPECT_EQ(list.getCount(), 0u);
}

// ---- Inactivation and deletion -------------------------------------------------------------

class Inactivation : public MoxtarFixture {
 protected:
  void SetUp() override {
    MoxtarFixture::SetUp();
    addFilespace(kFs);
    for (int i = 1; i <= 5; i++) storeObject(kFs, "\\db" + std::to_string(i), "\\full");
    agentDateTime none{};
    ASSERT_EQ(qryBackupObjects(&m_Status, m_Handle, PELK_ANYMATCH, none, objNameOf(kFs, "*", "*"),
                               nullptr, nullptr, &m_List, m_ErrorText),
              0);
    ASSERT_EQ(m_List.getCount(), 5u);
  }
  size_t activeCount() { return objects(kFs, PELK_ACTIVE).size(); }
  MoxtarBackupList m_List;
  uint32_t m_Count = 99;
};

TEST_F(Inactivation, FiveObjectsWithALimitOfTwoGoInTransactionsOfTwoTwoAndOne) {
  sim({"node", "set", "NODE1", "--max-txn", "2"});
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(
      inactivateBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText, 0), 0);
  EXPECT_EQ(m_Count, 5u);
  std::string text = trace.text();
  EXPECT_EQ(countOf(text, "Exit dpelkBeginTxn, rc = 0"), 3);
  EXPECT_EQ(countOf(text, "Exit dpelkDeleteObj, rc = 0"), 5);
  // Two deletes, an end, two deletes, an end, one delete, an end.
  std::string sequence;
  for (size_t at = 0; (at = text.find("Exit dpelk", at)) != std::string::npos; at++) {
    if (text.compare(at, 19, "Exit dpelkDeleteObj") == 0) sequence += "d";
    if (text.compare(at, 16, "Exit dpelkEndTxn") == 0) sequence += "|";
  }
  EXPECT_EQ(sequence, "dd|dd|d|");
  EXPECT_EQ(activeCount(), 0u);
}

TEST_F(Inactivation, BackwardsStartsAtTheLastElementAndInactiveOnesAreSkipped) {
  m_List.getFirst()->objState = PELK_INACTIVE;  // as if already inactive
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(
      inactivateBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText, 1), 0);
  EXPECT_EQ(m_Count, 4u);
  std::string text = trace.text();
  EXPECT_LT(text.find("Deleting SRV1\\data\\0001\\db5"),
            text.find("Deleting SRV1\\data\\0001\\db2"));
  EXPECT_EQ(countOf(text, "Deleting SRV1\\data\\0001\\db1"), 0);
  EXPECT_EQ(activeCount(), 1u);
}

TEST_F(Inactivation, AListOfInactiveObjectsAsksTheServerNothing) {
  for (auto* p = m_List.getFirst(); p != nullptr; p = m_List.getNext(p)) p->objState = 2;
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(
      inactivateBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText, 0), 0);
  EXPECT_EQ(m_Count, 0u);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelk"), 0);
}

TEST_F(Inactivation, ACancelBetweenDeletesAbortsTheOpenTransaction) {
  uint32_t cancel = 0;
  {
    CancelAfterCall canceller(&cancel, "dpelkDeleteObj", 1);
    EXPECT_EQ(
        inactivateBackupObjects(&m_Status, m_Handle, &cancel, &m_List, &m_Count, m_ErrorText, 0),
        415);
  }
  EXPECT_EQ(m_Count, 0u);
  EXPECT_STREQ(m_ErrorText, "");
  EXPECT_EQ(activeCount(), 5u);
}

// The stand-in's server abort: the call answers 157, later object calls too, and the end
// answers 2302 with the server's reason whatever the vote; nothing of the transaction stays.
TEST_F(Inactivation, ATransactionTheServerCutShortIsAFailure) {
  sim({"node", "set", "NODE1", "--max-txn", "2"});
  sim({"fault", "add", "pelkDeleteObj", "nth=3", "abort"});
  EXPECT_EQ(
      inactivateBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText, 0),
      418);
  EXPECT_EQ(m_Count, 2u);  // the first transaction committed, the second was cut short
  EXPECT_NE(std::string(m_ErrorText), "");
  EXPECT_EQ(activeCount(), 3u);
}

TEST_F(Inactivation, AnEndThatDoesNotCommitIsAFailureWithTheFirstText) {
  const struct {
    std::vector<std::string> faults;
  } kCases[] = {
      {{"pelkEndTxn", "code=PELK_RC_CHECK_REASON", "reason=3"}},  // a commit vote not kept
      {{"pelkEndTxn", "code=PELK_RC_STORE_ERROR"}},
      {{"pelkBeginTxn", "code=PELK_RC_WILL_ABORT"}},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> words{"fault", "add"};
    words.insert(words.end(), c.faults.begin(), c.faults.end());
    sim(words);
    m_ErrorText[0] = '\0';
    EXPECT_EQ(
        inactivateBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText, 0),
        418)
        << c.faults[0];
    EXPECT_EQ(m_Count, 0u);
    EXPECT_NE(std::string(m_ErrorText), "");
    sim({"fault", "clear"});
  }
  EXPECT_EQ(activeCount(), 5u);
}

TEST_F(Inactivation, DeletionByIdRemovesEveryObjectWhateverItsState) {
  m_List.getFirst()->objState = PELK_INACTIVE;
  EXPECT_EQ(deleteBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText), 0);
  EXPECT_EQ(m_Count, 5u);
  EXPECT_TRUE(objects(kFs).empty());
  MoxtarBackupList empty;
  EXPECT_EQ(deleteBackupObjects(&m_Status, m_Handle, nullptr, &empty, &m_Count, m_ErrorText), 0);
  EXPECT_EQ(m_Count, 0u);
}

TEST_F(Inactivation, DeletionRefusedByTheServerIsAFailure) {
  sim({"node", "set", "NODE1", "--delete", "no"});
  EXPECT_EQ(deleteBackupObjects(&m_Status, m_Handle, nullptr, &m_List, &m_Count, m_ErrorText), 418);
  EXPECT_EQ(m_Count, 0u);
  EXPECT_NE(std::string(m_ErrorText), "");
  EXPECT_EQ(objects(kFs).size(), 5u);
}

// The stripes of a transfer end the same call on several threads at once: no end is lost, so
// the cancel comes at the nth end of all of them together.
TEST(CancelAfterCallTest, CountsTheEndsOfEveryThread) {
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  uint32_t cancel = 0;
  {
    CancelAfterCall canceller(&cancel, "dpelkGetData", kThreads * kEach);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
      threads.emplace_back([] {
        for (int i = 0; i < kEach; i++) TRACE_LINE(TRC_API, "Exit dpelkGetData\n");
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  EXPECT_EQ(cancel, 1u);
}

}  // namespace
