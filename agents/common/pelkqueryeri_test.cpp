// The storage-side requests against the stand-in: own and lent sessions, the filespace, server
// and backup queries, and the password change.
#include "pelkqueryeri.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "moxtar_testutil.h"
#include "pelkchangepw.h"
#include "trcfile_testutil.h"

namespace {

int cancelledPrompt(int, int, const char*, const char*, char* outputP, int, const char*) {
  outputP[0] = '\0';
  return PELK_PW_CANCELLED;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class Requests : public MoxtarFixture {
 protected:
  pelkApiLogonInfo m_Logon{"NODE1", "secret", nullptr, nullptr, nullptr};
  char m_Message[ERI_MESSAGE_SIZE] = "";
};

// A server query that records whether its details ran.
class RecordingServerQuery : public DPelkQueryServerEri {
 public:
  using DPelkQueryServerEri::DPelkQueryServerEri;
  int ProcessRequestDetails() override {
    m_DetailsRan = true;
    return DPelkQueryServerEri::ProcessRequestDetails();
  }
  bool m_DetailsRan = false;
};

TEST_F(Requests, AnOwnSessionIsOpenedForTheDetailsAndClosedAfterwards) {
  pelkSessInfo info{};
  pelkApiVersion version{};
  TraceFileForTest trace({TRC_API});
  DPelkQueryServerEri request(&m_Logon, &info, &version);
  EXPECT_EQ(request.ProcessRequest(), 0u);
  EXPECT_STREQ(info.id, "NODE1");
  EXPECT_GT(static_cast<int>(info.maxObjPerTxn), 0);
  EXPECT_GE(static_cast<int>(version.version), 3);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkInit"), 1);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkTerminate"), 1);
}

TEST_F(Requests, ALentSessionStaysOpenForItsOwner) {
  pelkSessInfo info{};
  TraceFileForTest trace({TRC_API});
  DPelkQueryServerEri lent(&m_Status, m_Handle, &info, nullptr, nullptr, m_Message);
  EXPECT_EQ(lent.ProcessRequestDetails(), 0u);
  EXPECT_STREQ(info.id, "NODE1");
  // A request built to log on runs on a session lent after construction instead.
  pelkSessInfo again{};
  DPelkQueryServerEri borrowed(&m_Logon, &again, nullptr);
  borrowed.SetHublorApiInstance(&m_Status, nullptr, m_Handle);
  EXPECT_EQ(borrowed.ProcessRequestDetails(), 0u);
  EXPECT_EQ(borrowed.CleanupEnvironment(), 0u);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkInit"), 0);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkTerminate"), 0);
  EXPECT_EQ(DPelkApi::dpelkQuerySessInfo(m_Api.get(), &m_Status, m_Handle, &again), 0);
  DPelkQueryServerEri none(&m_Status, 0, &info, nullptr, nullptr, m_Message);
  EXPECT_EQ(none.ProcessRequestDetails(), 419u);
  EXPECT_NE(std::string(m_Message), "");
}

TEST_F(Requests, AFailedLogonRunsNothingElse) {
  pelkSessInfo info{};
  pelkApiLogonInfo cancelled{"NODE1", nullptr, nullptr, nullptr, cancelledPrompt};
  RecordingServerQuery prompt(&cancelled, &info, nullptr);
  EXPECT_EQ(prompt.ProcessRequest(), 415u);
  EXPECT_FALSE(prompt.m_DetailsRan);
  EXPECT_NE(std::string(prompt.GetMessageBuffer()).find("cancelled by the user"), std::string::npos)
      << prompt.GetMessageBuffer();

  pelkApiLogonInfo wrong{"NODE1", "wrong", nullptr, nullptr, nullptr};
  RecordingServerQuery refused(&wrong, &info, nullptr);
  EXPECT_EQ(refused.ProcessRequest(), 418u);
  EXPECT_FALSE(refused.m_DetailsRan);
  EXPECT_NE(std::string(refused.GetMessageBuffer()), "");

  refused.SetErrorTextBuffer(m_Message);  // the caller's buffer is emptied at once
  std::strcpy(m_Message, "old");
  refused.SetErrorTextBuffer(m_Message);
  EXPECT_STREQ(m_Message, "");
}

TEST_F(Requests, FilespaceQueryKeepsTheMatchingNamesOfTheType) {
  addFilespace("SRV1\\meta\\0000");
  addFilespace("SRV2\\meta\\0000");
  addFilespace("SRV2\\data\\0001");
  addFilespace("SRV3\\meta\\0000", "Other");
  MoxtarFilespaceList list;
  DPelkQueryFilespaceEri pattern(&m_Status, m_Handle, "*\\meta\\0000", "API:SqlData", &list,
                                 nullptr, m_Message);
  EXPECT_EQ(pattern.ProcessRequestDetails(), 0u);
  ASSERT_EQ(list.getCount(), 2u);
  EXPECT_STREQ(list.getFirst()->fsName, "SRV1\\meta\\0000");
  EXPECT_STREQ(list.getLast()->fsName, "SRV2\\meta\\0000");

  list.freeAll();
  DPelkQueryFilespaceEri exact(&m_Status, m_Handle, "SRV3\\meta\\0000", "API:SqlData", &list,
                               nullptr, m_Message);
  EXPECT_EQ(exact.ProcessRequestDetails(), 0u);  // there, but of another type
  EXPECT_EQ(list.getCount(), 0u);
  DPelkQueryFilespaceEri unknown(&m_Status, m_Handle, "NONE\\meta\\0000", "API:SqlData", &list,
                                 nullptr, m_Message);
  EXPECT_EQ(unknown.ProcessRequestDetails(), 113u);
  EXPECT_NE(std::string(m_Message), "");
  DPelkQueryFilespaceEri missing(&m_Status, m_Handle, nullptr, "API:SqlData", &list, nullptr,
                                 m_Message);
  EXPECT_EQ(missing.ProcessRequestDetails(), 419u);
}

// Keeps only active objects.
class ActiveOnlyQuery : public DPelkQueryBackupEri {
 public:
  using DPelkQueryBackupEri::DPelkQueryBackupEri;
  uint32_t ProcessQueryData(qryRespBackupData* respP) override {
    return respP->objState == PELK_ACTIVE ? 1 : 0;
  }
};

class BackupQuery : public Requests {
 protected:
  void SetUp() override {
    Requests::SetUp();
    for (const char* fs : {"SRV1\\data\\0001", "SRV1\\data\\0002"}) {
      addFilespace(fs);
      storeObject(fs, "\\Sales", "\\full");
      storeObject(fs, "\\Sales", "\\full");  // the first version becomes inactive
    }
    addFilespace("SRV1\\meta\\0000");
    m_Names.addTail(&(m_Missing = objNameOf("", "\\Missing", "\\full")));
    m_Names.addTail(&(m_Sales = objNameOf("", "\\Sales", "\\full")));
  }
  pelkObjName m_Missing, m_Sales;
  DPelkQueryBackupEri::ObjNameList m_Names;
  MoxtarBackupList m_Backups;
};

TEST_F(BackupQuery, EveryFilespaceAndNameIsQueriedAndNamesNotFoundAreListed) {
  TraceFileForTest trace({TRC_API});
  DPelkQueryBackupEri request(&m_Logon, "SRV1\\data\\*", "API:SqlData", &m_Names, PELK_ANYMATCH,
                              &m_Backups, nullptr);
  EXPECT_EQ(request.ProcessRequest(), 0u);
  EXPECT_EQ(m_Backups.getCount(), 4u);
  EXPECT_STREQ(m_Backups.getFirst()->objName.fs, "SRV1\\data\\0001");
  EXPECT_STREQ(m_Backups.getLast()->objName.fs, "SRV1\\data\\0002");
  EXPECT_TRUE(endsWith(request.GetMessageBuffer(), " \\Missing\\full"))
      << request.GetMessageBuffer();
  EXPECT_EQ(countOf(request.GetMessageBuffer(), "\\Missing\\full"), 2);
  // One session for the request and its inner filespace query.
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkInit"), 1);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkTerminate"), 1);
}

TEST_F(BackupQuery, ASubclassKeepsWhatItChoosesAndNoListKeepsNothing) {
  ActiveOnlyQuery active(&m_Logon, "SRV1\\data\\*", "API:SqlData", &m_Names, PELK_ANYMATCH,
                         &m_Backups, nullptr);
  EXPECT_EQ(active.ProcessRequest(), 0u);
  EXPECT_EQ(m_Backups.getCount(), 2u);
  DPelkQueryBackupEri noList(&m_Logon, "SRV1\\data\\*", "API:SqlData", &m_Names, PELK_ANYMATCH,
                             nullptr, nullptr);
  EXPECT_EQ(noList.ProcessRequest(), 0u);
  EXPECT_EQ(m_Backups.getCount(), 2u);
}

TEST_F(BackupQuery, NoMatchingFilespaceIsAFailureWithTheServersText) {
  DPelkQueryBackupEri request(&m_Logon, "OTHER\\data\\*", "API:SqlData", &m_Names, PELK_ANYMATCH,
                              &m_Backups, nullptr);
  EXPECT_EQ(request.ProcessRequest(), 418u);
  EXPECT_NE(std::string(request.GetMessageBuffer()), "");
  EXPECT_EQ(m_Backups.getCount(), 0u);
  pelkSessInfo info{};
  DPelkQueryBackupEri lent(&m_Status, m_Handle, "SRV1\\data\\*", "API:SqlData", nullptr,
                           PELK_ANYMATCH, &m_Backups, nullptr, &info, nullptr);
  EXPECT_EQ(lent.ProcessRequestDetails(), 419u);  // no name list
}

TEST_F(BackupQuery, APointInTimeAsksForEveryStateAtThatTime) {
  pelkDate future{2999, 1, 1, 0, 0, 0};
  DPelkQueryBackupEri request(&m_Logon, "SRV1\\data\\0001", "API:SqlData", &m_Names, PELK_INACTIVE,
                              &m_Backups, &future);
  EXPECT_EQ(request.ProcessRequest(), 0u);
  ASSERT_EQ(m_Backups.getCount(), 1u);  // the version active then, although inactive was asked
  EXPECT_EQ(m_Backups.getFirst()->objState, PELK_ACTIVE);
}

TEST_F(BackupQuery, ACancelledQueryStopsWith415) {
  DPelkQueryBackupEri request(&m_Logon, "SRV1\\data\\*", "API:SqlData", &m_Names, PELK_ANYMATCH,
                              &m_Backups, nullptr);
  request.SetCancel();
  EXPECT_EQ(request.ProcessRequest(), 415u);
}

// ---- Change password -----------------------------------------------------------------------

TEST_F(Requests, ChangePasswordOpensAndClosesExactlyOneSession) {
  pelkApiLogonInfo change{"NODE1", "secret", "renewed1", nullptr, nullptr};
  TraceFileForTest trace({TRC_API});
  {
    DPelkChangePWEri request(&change);
    EXPECT_EQ(request.ProcessRequest(), 0u);
    EXPECT_STREQ(request.GetMessageBuffer(), "");
  }
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkInit"), 1);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkChangePW"), 1);
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkTerminate"), 1);
  pelkApiLogonInfo renewed{"NODE1", "renewed1", nullptr, nullptr, nullptr};
  pelkUint32_t handle = 0;
  ASSERT_EQ(m_Api->Logon(&m_Status, nullptr, &handle, &renewed), 0);
  EXPECT_EQ(m_Api->Logoff(&m_Status, handle), 0);
}

TEST_F(Requests, ChangePasswordFailuresLeaveNoSession) {
  pelkApiLogonInfo wrongOld{"NODE1", "wrong", "renewed1", nullptr, nullptr};
  TraceFileForTest trace({TRC_API});
  DPelkChangePWEri refused(&wrongOld);
  EXPECT_EQ(refused.ProcessRequest(), 418u);
  EXPECT_NE(std::string(refused.GetMessageBuffer()), "");
  EXPECT_EQ(countOf(trace.text(), "Exit dpelkInit, rc = 0"),
            countOf(trace.text(), "Enter dpelkTerminate"));

  pelkApiLogonInfo cancelled{"NODE1", nullptr, "renewed1", nullptr, cancelledPrompt};
  DPelkChangePWEri prompt(&cancelled);
  EXPECT_EQ(prompt.ProcessRequest(), 415u);

  DPelkChangePWEri noLogon(&m_Status, 0, m_Message);
  EXPECT_EQ(noLogon.ProcessRequest(), 419u);
  EXPECT_NE(std::string(m_Message), "");
}

}  // namespace
