#include "faults.h"

#include <gtest/gtest.h>

#include "hublorapi.h"

namespace {

TEST(FaultRules, ParseAndFormat) {
  struct Case {
    const char* text;
    const char* formatted;  // nullptr: refused
  } cases[] = {
      {"pelkSendData nth=3 code=157", "pelkSendData nth=3 code=157"},
      {"pelkEndTxn code=PELK_RC_CHECK_REASON reason=ABORT_BY_CLIENT",
       "pelkEndTxn code=2302 reason=3"},
      {"* node=alpha delay=7500", "* node=ALPHA delay=7500"},
      {"pelkSendObj abort", "pelkSendObj abort=1"},
      {"pelkSendObj abort=11", "pelkSendObj abort=11"},
      {"pelkGetObj nth=1 lose", "pelkGetObj nth=1 lose"},
      {"pelkSendObj abort=3", nullptr},  // 3 is the client's reason
      {"pelkSendObj", nullptr},
      {"sendData code=1", nullptr},
      {"pelkSendDat code=1", nullptr},  // no such entry point: the rule would never fire
      {"pelkUpdateObj delay=3600000", "pelkUpdateObj delay=3600000"},
      {"pelkSendObj delay=3600001", nullptr},
      {"pelkSendObj delay=4294967296", nullptr},
      {"pelkSendObj code=NOPE", nullptr},
      {"pelkSendObj nth=x code=1", nullptr},
      {"pelkSendObj delay=-5", nullptr},
      {"pelkSendData nth=4 kill", "pelkSendData nth=4 kill"},
      {"pelkEndTxn kill=after", "pelkEndTxn kill=after"},
      {"pelkEndTxn nth=2 kill=commit", "pelkEndTxn nth=2 kill=commit"},
      {"pelkRenameObj kill=commit", nullptr},  // only a transaction's end commits
      {"pelkSendObj kill=later", nullptr},
  };
  for (const Case& c : cases) {
    std::string error;
    auto rule = hublor::parseFaultRule(c.text, &error);
    if (c.formatted == nullptr) {
      EXPECT_FALSE(rule) << c.text;
      EXPECT_FALSE(error.empty()) << c.text;
    } else {
      ASSERT_TRUE(rule) << c.text << ": " << error;
      EXPECT_EQ(hublor::formatFaultRule(*rule), c.formatted);
    }
  }
}

TEST(FaultRules, NthCallCountsPerRule) {
  hublor::Faults& faults = hublor::Faults::instance();
  faults.arm(*hublor::parseFaultRule("pelkSendData nth=2 code=157", nullptr),
             hublor::FaultSource::kApi);
  faults.arm(*hublor::parseFaultRule("pelkSendData node=B delay=5", nullptr),
             hublor::FaultSource::kApi);
  EXPECT_FALSE(faults.check("pelkSendData", "A").code);
  EXPECT_FALSE(faults.check("pelkGetData", "A").code);
  hublor::FaultAction second = faults.check("pelkSendData", "B");
  EXPECT_EQ(second.code, PELK_RC_WILL_ABORT);
  EXPECT_EQ(second.delayMs, 5);
  EXPECT_FALSE(faults.check("pelkSendData", "A").code);
  faults.clear(hublor::FaultSource::kApi);
}

TEST(FaultRules, DelaysOfEveryFiringRuleAddUpWithoutOverflow) {
  hublor::Faults& faults = hublor::Faults::instance();
  const std::string longest = "pelkBeginTxn delay=" + std::to_string(hublor::kMaxFaultDelayMs);
  for (int i = 0; i < 1000; ++i)
    faults.arm(*hublor::parseFaultRule(longest, nullptr), hublor::FaultSource::kApi);
  EXPECT_EQ(faults.check("pelkBeginTxn", "A").delayMs, int64_t{1000} * hublor::kMaxFaultDelayMs);
  faults.clear(hublor::FaultSource::kApi);
}

}  // namespace
