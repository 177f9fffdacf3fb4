// A machine without SQL Server's virtual device server: this program does not register the
// class, so creating the set fails as on such a machine.
#include <gtest/gtest.h>

#include "sqlvdi.h"

TEST(CVdi, WithoutTheVirtualDeviceServerGetsCode1902) {
  for (int32_t version : {7, 8}) {
    CVdi vdi(version);
    EXPECT_EQ(vdi.constructionRc(), RC_VDI_NOT_REGISTERED);
    EXPECT_EQ(vdi.m_VdsP, nullptr);
    EXPECT_EQ(vdi.m_Vds2P, nullptr);
  }
}
