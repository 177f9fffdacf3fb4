// The SQL access object is never replaced while a command holds it.
#include "dsqlaccess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sqlapi.h"
#include "sqlapi_testenv.h"

namespace {

class SqlAccess : public sqlapitest::SqlApiFixture {
 protected:
  void TearDown() override {
    freeSqlAccess();
    SqlApiFixture::TearDown();
  }
};

TEST_F(SqlAccess, ARenewWaitsForNoCommandAndNeverReplacesTheObjectInUse) {
  OptionsInfo options;
  initializeOptions(&options);
  snprintf(options.szSqlServer, sizeof options.szSqlServer, "%s", sqlapitest::kMachine);
  snprintf(options.szSqlUser, sizeof options.szSqlUser, "sa");
  options.enumSqlAuth = OPT_SQLAUTH_SQLUSERID;
  ASSERT_EQ(createSqlAccess(options), 0);
  CSqlApi* firstP = gSqlApiP;
  ASSERT_NE(firstP, nullptr);

  std::atomic<bool> holding{false}, release{false};
  std::thread command([&] {
    std::unique_lock<std::mutex> lock = lockSqlAccess();  // a command runs
    holding = true;
    while (!release) std::this_thread::yield();
  });
  while (!holding) std::this_thread::yield();
  int rc = -1;
  EXPECT_FALSE(renewSqlAccess(options, &rc));
  EXPECT_EQ(gSqlApiP, firstP);
  EXPECT_EQ(rc, -1);
  release = true;
  command.join();

  EXPECT_TRUE(renewSqlAccess(options, &rc));
  EXPECT_EQ(rc, 0);
  EXPECT_NE(gSqlApiP, nullptr);
  freeSqlAccess();
  EXPECT_EQ(gSqlApiP, nullptr);
}

}  // namespace
