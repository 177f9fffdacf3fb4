// The SQL agent's filespace query against the storage stand-in: one server, every server, the
// type filter, a run without a response list, and the order of responses.
#include "sqlqryfs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "moxtar_testutil.h"

namespace {

class SqlFilespaceQuery : public MoxtarFixture {
 protected:
  void SetUp() override {
    MoxtarFixture::SetUp();
    addFilespace("SRV1\\meta\\0000");
    addFilespace("SRV1\\data\\0001");
    addFilespace("SRV2\\INST\\meta\\0000");
    addFilespace("SRV3\\meta\\0000", "Other");
  }
  // Runs the query for the server name on a session of its own.
  uint32_t query(const char* serverP, MoxtarFilespaceList* listP) {
    DSqlQueryFilespaceParms parms{};
    std::snprintf(parms.sqlServerName, sizeof parms.sqlServerName, "%s", serverP);
    parms.fsListP = listP;
    DSqlQueryFilespaceEri request(&parms);
    int rc = request.ProcessRequest();
    m_Text = request.GetMessageBuffer();
    return rc;
  }
  static std::vector<std::string> names(MoxtarFilespaceList& list) {
    std::vector<std::string> all;
    for (auto* fsP = list.getFirst(); fsP != nullptr; fsP = list.getNext(fsP)) {
      all.push_back(getPelkRespFSDataFsname(fsP));
    }
    return all;
  }
  std::string m_Text;
};

TEST_F(SqlFilespaceQuery, OneServerOrEveryServerOfTheAgentsType) {
  const struct {
    const char* server;
    std::vector<std::string> found;
  } cases[] = {
      {"SRV1", {"SRV1\\meta\\0000"}},
      {"SRV2\\INST", {"SRV2\\INST\\meta\\0000"}},
      {"*", {"SRV1\\meta\\0000", "SRV2\\INST\\meta\\0000"}},  // SRV3 has another type
      {"SRV3", {}},
  };
  for (const auto& c : cases) {
    MoxtarFilespaceList list;
    EXPECT_EQ(query(c.server, &list), 0u) << c.server << ": " << m_Text;
    list.sortbmrg(comparePelkRespFSDataFsname, getPelkRespFSDataFsname);
    EXPECT_EQ(names(list), c.found) << c.server;
  }
}

TEST_F(SqlFilespaceQuery, WithoutAListTheQueryStillRunsAndGivesItsCode) {
  EXPECT_EQ(query("*", nullptr), 0u) << m_Text;
  EXPECT_EQ(query("NONE", nullptr), RC_NO_FILESPACE_MATCH);
  EXPECT_FALSE(m_Text.empty());
}

TEST_F(SqlFilespaceQuery, NoParametersGiveAnInternalErrorWithItsMessage) {
  DSqlQueryFilespaceEri none(nullptr);
  EXPECT_NE(std::string(none.GetMessageBuffer()), "");
  EXPECT_EQ(none.ProcessRequest(), 419u);
}

TEST(FilespaceOrder, ByNameInExactCase) {
  qryRespFSData a{}, b{};
  std::strcpy(a.fsName, "A\\meta\\0000");
  std::strcpy(b.fsName, "B\\meta\\0000");
  EXPECT_LT(comparePelkRespFSDataFsname(&a, &b), 0);
  EXPECT_GT(comparePelkRespFSDataFsname(&b, &a), 0);
  EXPECT_EQ(comparePelkRespFSDataFsname(&a, &a), 0);
  std::strcpy(b.fsName, "a\\meta\\0000");
  EXPECT_NE(comparePelkRespFSDataFsname(&a, &b), 0);
}

}  // namespace
