#include <gtest/gtest.h>

#include <set>
#include <string>

#include "agtrc.h"
#include "parse.h"
#include "parse_testutil.h"

namespace {

// The conflict text of a combination error, and no word in error.
Check conflict(const char* text) {
  return [text](OptionsInfo& o) { EXPECT_STREQ(o.szConflictText, text); };
}

TEST_F(Parse, CombinationChecks) {
  run({
      {"b db set", RC_PARSE_REQUIRED, CMD_BACKUP_SET, nullptr, conflict("         FIles GRoups")},
      {"b db set /groups=g", RC_OK, CMD_BACKUP_SET, "/groups=g", nullptr},
      {"r db set=*", RC_OK, CMD_RESTORE_SET, "set=*",
       [](OptionsInfo& o) {
         EXPECT_EQ(testNames(o.fileNameList), Names{"*"});
         EXPECT_EQ(testNames(o.groupNameList), Names{"*"});
       }},
      {"r db log=* /stopat=t /recov=no", RC_PARSE_EXCLUSIVE, CMD_RESTORE_LOG, nullptr,
       conflict("        STOPAT RECOVery=No")},
      {"r db log=* /stopat=t /after=a /standby=s /stopatmark=m", RC_PARSE_EXCLUSIVE,
       CMD_RESTORE_LOG, nullptr, conflict("        STOPAT AFTER STANDby STOPATMark")},
      {"r db log=* /stopatmark=a /stopbeforemark=b", RC_PARSE_EXCLUSIVE, CMD_RESTORE_LOG, nullptr,
       conflict("        STOPATMark STOPBEFOREMark")},
      {"r db log=* /after=a", RC_PARSE_REQUIRED, CMD_RESTORE_LOG, nullptr,
       conflict("         STOPATMark STOPBEFOREMark")},
      {"r db log=* /after=a /stopbeforemark=m", RC_OK, CMD_RESTORE_LOG, "/stopbeforemark=m",
       nullptr},
      {"r db1,db2 full /standby=u", RC_PARSE_ONE_DATABASE, CMD_RESTORE_FULL, nullptr,
       conflict("         STANDby db1,db2")},
      {"r db full /standby=u /files=f /partial", RC_PARSE_EXCLUSIVE, CMD_RESTORE_FULL, nullptr,
       conflict("        STANDby FIles PARTial")},
      {"r db full /recov=yes /groups=g", RC_PARSE_EXCLUSIVE, CMD_RESTORE_FULL, nullptr,
       conflict("        RECOVery GRoups")},
      {"r db full /recov=yes /partial", RC_PARSE_EXCLUSIVE, CMD_RESTORE_FULL, nullptr,
       conflict("        RECOVery PARTial")},
      {"r db* diff /standby=u", RC_PARSE_ONE_DATABASE, CMD_RESTORE_DIFF, nullptr, nullptr},
      {"r db diff /standby=u", RC_OK, CMD_RESTORE_DIFF, "/standby=u", nullptr},
      {"r db* /reloc=a /to=b", RC_PARSE_ONE_DATABASE, CMD_RESTORE_FULL, nullptr,
       conflict("         RELocate db*")},
      {"r db /reloc=a,b /to=x", RC_PARSE_RELOCATE_COUNT, CMD_RESTORE_FULL, nullptr, nullptr},
      {"r db /reloc=a*,b*,c /to=x,y*,z", RC_PARSE_WILDCARD, CMD_RESTORE_FULL, nullptr,
       conflict("         RELocate TO")},
      {"r db /reloc=a,b /to=x,y", RC_OK, CMD_RESTORE_FULL, "/to=x,y",
       [](OptionsInfo& o) { EXPECT_EQ(o.bRelocate, 1u); }},
      {"r db /into=x*", RC_PARSE_WILDCARD, CMD_RESTORE_FULL, nullptr,
       conflict("         dbname INTO")},
      {"r db1,db2 /into=x", RC_PARSE_ONE_DATABASE, CMD_RESTORE_FULL, nullptr,
       conflict("         INTO db1,db2")},
      {"r sales /into=a,b", RC_PARSE_ONE_DATABASE, CMD_RESTORE_FULL, nullptr,
       conflict("         INTO a,b")},
      {"r db /into=x", RC_OK, CMD_RESTORE_FULL, "/into=x",
       [](OptionsInfo& o) { EXPECT_EQ(testNames(o.intoNameList), Names{"x"}); }},
      {"r db /standby=u /recov=no", RC_PARSE_EXCLUSIVE, CMD_RESTORE_FULL, nullptr,
       conflict("        RECOVery STANDby")},
      {"r db log=* /recov /standby=u", RC_PARSE_EXCLUSIVE, CMD_RESTORE_LOG, nullptr,
       conflict("        RECOVery STANDby")},
  });
}

TEST_F(Parse, ARestoreReadsTheBackupsOfItsTargetServer) {
  run({
      {"r db /sqlserv=srv2", RC_OK, CMD_RESTORE_FULL, "/sqlserv=srv2",
       [](OptionsInfo& o) { EXPECT_STREQ(o.szFromSqlServer, "SRV2"); }},
      {"r db /sqlserv=srv2 /fromsqlserv=src", RC_OK, CMD_RESTORE_FULL, "/fromsqlserv=src",
       [](OptionsInfo& o) { EXPECT_STREQ(o.szFromSqlServer, "SRC"); }},
      // also after a check failed, so that the report names the right server
      {"r db* /sqlserv=srv3 /reloc=a /to=b", RC_PARSE_ONE_DATABASE, CMD_RESTORE_FULL, nullptr,
       [](OptionsInfo& o) { EXPECT_STREQ(o.szFromSqlServer, "SRV3"); }},
  });
  ASSERT_EQ(parse("b db /sqlserv=srv2"), RC_OK);
  EXPECT_EQ(m_Options.szFromSqlServer, m_Computer);
}

TEST_F(Parse, OptionsOutsideTheirCommandsAreRefused) {
  run({
      {"r db diff /partial", RC_PARSE_NOT_ALLOWED, CMD_RESTORE_DIFF, "/partial", nullptr},
      {"r db log=* /replace", RC_PARSE_NOT_ALLOWED, CMD_RESTORE_LOG, "/replace", nullptr},
      {"q hublor db diff /mountw", RC_PARSE_NOT_ALLOWED, CMD_QUERY_HUBLOR_DIFF, "/mountw", nullptr},
      {"q hublor db types /compat", RC_PARSE_NOT_ALLOWED, CMD_QUERY_HUBLOR_TYPES, "/compat",
       nullptr},
      {"b db /vol=c", RC_PARSE_NOT_ALLOWED, CMD_BACKUP_FULL, "/vol=c", nullptr},
      {"r db /pick", RC_PARSE_NOT_ALLOWED, CMD_RESTORE_FULL, "/pick", nullptr},
      {"changehublorp /hublorp=x", RC_PARSE_NOT_ALLOWED, CMD_CHANGE_PASSWORD, "/hublorp=x",
       nullptr},
      {"h /statusi=10 /tracefi=t.trc", RC_OK, CMD_HELP, "/tracefi=t.trc", nullptr},
  });
}

// Every row of the option matrix: the options each command accepts besides the three that
// every command accepts, as written in the command reference.
TEST(OptionMatrix, RowsOfAllowedOptions) {
  ASSERT_EQ(initializeParse(), RC_OK);
  auto allowed = [](uint32_t command) {
    std::set<std::string> names;
    for (const ParseOptionRow* rowP = gParseOptions; rowP->keywordP != nullptr; rowP++) {
      if (optionAllowed[command][rowP->id] == 1) names.insert(rowP->keywordP);
    }
    for (const char* always : {"STATUSInterval", "TRACEFIle", "TRACEFLags"}) {
      EXPECT_EQ(names.erase(always), 1u) << command << " " << always;
    }
    return names;
  };
  using S = std::set<std::string>;
  const S backup = {"ADJUSTKBhublorestimate",
                    "ADJUSTPERcenthublorestimate",
                    "BUFFers",
                    "BUFFERSIze",
                    "CONFIGfile",
                    "DEBUGBACKUPPATH",
                    "LOGFile",
                    "LOGPrune",
                    "MOUNTWait",
                    "OLDerthan",
                    "Quiet",
                    "SQLAUTHentication",
                    "SQLBUFFers",
                    "SQLBUFFERSIze",
                    "SQLPassword",
                    "SQLSERVer",
                    "SQLUSer",
                    "STRIPes",
                    "HUBLORNODe",
                    "HUBLOROPTFile",
                    "HUBLORPassword"};
  auto with = [](S base, std::initializer_list<const char*> more) {
    for (const char* nameP : more) base.insert(nameP);
    return base;
  };
  EXPECT_EQ(allowed(0), (S{"CONFIGfile", "SQLSERVer", "HUBLOROPTFile"}));
  EXPECT_EQ(allowed(1), with(backup, {"DIFFESTimate"}));
  EXPECT_EQ(allowed(3), backup);
  EXPECT_EQ(allowed(5), with(backup, {"LOGESTimate", "TRUNCate"}));
  EXPECT_EQ(allowed(6), with(backup, {"FIles", "GRoups", "INCLUDELOGBackup"}));
  EXPECT_EQ(allowed(7), (S{"CONFIGfile", "LOGFile", "LOGPrune", "HUBLORNODe", "HUBLOROPTFile"}));
  for (uint32_t command : {8u, 30u, 46u, 54u, 58u, 71u, 78u, 84u, 96u}) {
    EXPECT_EQ(allowed(command), S{}) << command;
  }
  const S inactivate = {"CONFIGfile",    "FROMSQLSERVer", "LOGFile", "LOGPrune",
                        "OBJect",        "OLDerthan",     "Quiet",   "HUBLORNODe",
                        "HUBLOROPTFile", "HUBLORPassword"};
  for (uint32_t command = 47; command <= 53; command++) EXPECT_EQ(allowed(command), inactivate);
  const S query = {"BUFFers",    "BUFFERSIze",        "CONFIGfile",    "LOGFile",
                   "LOGPrune",   "SQLAUTHentication", "SQLPassword",   "SQLUSer",
                   "HUBLORNODe", "HUBLOROPTFile",     "HUBLORPassword"};
  EXPECT_EQ(allowed(60), with(query, {"COMPATibilityinfo", "SQLSERVer"}));
  EXPECT_EQ(allowed(62), with(query, {"COMPATibilityinfo", "FROMSQLSERVer"}));
  EXPECT_EQ(allowed(66), with(query, {"COMPATibilityinfo", "ACtive", "ALl", "FROMSQLSERVer",
                                      "OBJect", "FILEInfo", "MOUNTWait"}));
  EXPECT_EQ(allowed(68), with(query, {"COMPATibilityinfo", "ACtive", "ALl", "FROMSQLSERVer",
                                      "OBJect", "FILEInfo"}));
  EXPECT_EQ(allowed(70), with(query, {"ACtive", "ALl", "FROMSQLSERVer", "OBJect"}));
  const S restore = {"BUFFers",     "BUFFERSIze",        "CONFIGfile",    "DEBUGBACKUPPATH",
                     "DBOonly",     "FROMSQLSERVer",     "INTO",          "LOGFile",
                     "LOGPrune",    "MOUNTWait",         "OBJect",        "Quiet",
                     "RELocate",    "SQLAUTHentication", "SQLBUFFers",    "SQLBUFFERSIze",
                     "SQLPassword", "SQLSERVer",         "SQLUSer",       "STRIPes",
                     "TO",          "HUBLORNODe",        "HUBLOROPTFile", "HUBLORPassword"};
  EXPECT_EQ(allowed(74),
            with(restore, {"FIles", "GRoups", "PARTial", "RECOVery", "REPlace", "STANDby"}));
  EXPECT_EQ(allowed(75), with(restore, {"FIles", "REPlace"}));
  EXPECT_EQ(allowed(76), with(restore, {"AFTER", "RECOVery", "STANDby", "STOPAT", "STOPATMark",
                                        "STOPBEFOREMark"}));
  EXPECT_EQ(allowed(83), S{"CONFIGfile"});
  EXPECT_EQ(allowed(85), S{"CONFIGfile"});
}

}  // namespace
