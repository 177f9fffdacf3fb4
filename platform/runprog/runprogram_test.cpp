#include "runprogram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "root.h"

namespace {

TEST(RunProgram, PassesArgumentsAndInputAndCollectsOutputAndExitCode) {
  zkroot::ScopedRoot root;
  std::string input = (root.path() / "input.txt").string();
  std::ofstream(input) << "from the file\n";
  zkrun::ProgramRun run = zkrun::runProgram(
      "/bin/sh", {"-c", "echo \"$0\"; cat; echo oops >&2; exit 3", "word"}, input);
  EXPECT_EQ(run.out, "word\nfrom the file\n");
  EXPECT_EQ(run.err, "oops\n");
  EXPECT_EQ(run.exitCode, 3);
}

TEST(RunProgram, MissingProgramOrKilledProgramAnswersMinusOne) {
  zkrun::ProgramRun missing = zkrun::runProgram("/nonexistent/program", {});
  EXPECT_EQ(missing.exitCode, -1);
  EXPECT_EQ(missing.out, "");
  zkrun::ProgramRun killed = zkrun::runProgram("/bin/sh", {"-c", "kill -9 $$"});
  EXPECT_EQ(killed.exitCode, -1);
  EXPECT_EQ(killed.signal, 9);
}

TEST(RunProgram, EnvironmentEntriesAreAddedOrReplaceTheirNames) {
  ::setenv("ZKRUN_KEPT", "kept", 1);
  ::setenv("ZKRUN_GIVEN", "old", 1);
  zkrun::ProgramRun run =
      zkrun::runProgram("/bin/sh", {"-c", "echo $ZKRUN_KEPT $ZKRUN_GIVEN $ZKRUN_NEW"}, "",
                        {"ZKRUN_GIVEN=new", "ZKRUN_NEW=added"});
  EXPECT_EQ(run.out, "kept new added\n");
  ::unsetenv("ZKRUN_KEPT");
  ::unsetenv("ZKRUN_GIVEN");
}

}  // namespace
