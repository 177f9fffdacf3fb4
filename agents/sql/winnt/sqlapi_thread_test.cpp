// The object is built on the request thread and used from another (as a transfer thread does
// while the request thread waits), with the cancel flag written by a third.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sqlapi_testenv.h"

namespace {

using SqlApiThreadTest = sqlapitest::SqlApiObjectFixture;

TEST_F(SqlApiThreadTest, OperationsRunOnAnotherThreadThanConstruction) {
  CLinkedList<SqlDatabaseElement> list;
  int rc = -1;
  std::thread worker([&] {
    CLinkedList<SqlDatabaseElement>* listP = &list;
    uint32_t* cancelP = nullptr;
    char* msgP = m_Msg;
    rc = m_Api->GetSqlDatabaseNames(listP, nullptr, cancelP, msgP);
  });
  worker.join();
  EXPECT_EQ(rc, 0) << m_Msg;
  EXPECT_EQ(list.getCount(), 3u);
}

TEST_F(SqlApiThreadTest, CancelFlagWrittenByAnotherThread) {
  uint32_t cancel = 0;
  std::thread canceller([&] { std::atomic_ref<uint32_t>(cancel).store(1); });
  canceller.join();
  SqlServerElement server;
  uint32_t* cancelP = &cancel;
  char* msgP = m_Msg;
  CLinkedList<SqlInstanceElement>* instancesP = nullptr;
  EXPECT_EQ(m_Api->GetSqlServerInfo(&server, &cancelP, &msgP, &instancesP), 415);
}

}  // namespace
