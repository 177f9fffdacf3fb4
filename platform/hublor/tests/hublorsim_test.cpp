// hublorsim as a user meets it: its help, and a wrong command line refused naming the argument.
#include "fixture.h"

namespace {

TEST(Hublorsim, HelpGoesToStandardOutput) {
  zkroot::ScopedRoot root;
  SimResult help = runSim({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("usage: hublorsim", 0), 0u) << help.output;
  EXPECT_EQ(help.error, "");
}

TEST(Hublorsim, WrongCommandLinesNameTheArgument) {
  zkroot::ScopedRoot root;
  const struct {
    std::vector<std::string> words;
    std::string named;
  } wrong[] = {
      {{"frobnicate"}, "frobnicate"},
      {{"node", "remove", "N"}, "remove"},
      {{"node", "add", "N", "pw", "--max-tx", "5"}, "--max-tx"},
      {{"node", "add", "N", "pw", "extra"}, "extra"},
      {{"node", "set", "N", "--expired", "maybe"}, "maybe"},
      {{"node", "set", "N", "--max-txn", "many"}, "many"},
      {{"node", "set", "N", "--password"}, "--password"},
      {{"node", "list", "now"}, "now"},
      {{"objects", "--state", "gone"}, "gone"},
      {{"fault", "list", "all"}, "all"},
      {{"lose", "x1"}, "x1"},
  };
  for (const auto& c : wrong) {
    SimResult run = runSim(c.words);
    EXPECT_EQ(run.status, 2) << c.named;
    EXPECT_NE(run.error.find("\"" + c.named + "\""), std::string::npos) << run.error;
  }
  EXPECT_EQ(runSim({}).status, 2);
}

TEST(Hublorsim, FaultRuleForAnUnknownCallIsRefused) {
  zkroot::ScopedRoot root;
  SimResult typo = runSim({"fault", "add", "pelkSendDat", "code=157"});
  EXPECT_EQ(typo.status, 1);
  EXPECT_NE(typo.error.find("pelkSendDat"), std::string::npos) << typo.error;
  EXPECT_EQ(runSim({"fault", "list"}).output, "");
  EXPECT_EQ(runSim({"fault", "add", "pelkSendData", "code=157"}).status, 0);
  EXPECT_EQ(runSim({"fault", "list"}).output, "pelkSendData code=157\n");
}

}  // namespace
