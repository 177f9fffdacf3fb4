// sqlsim: sets up and inspects the emulated SQL Server instances of $ZARNAK_ROOT.
// --help prints the usage on standard output. Exit code 0 done, 1 the server refused, 2 a wrong
// command line, whose message names the argument at fault.
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands.h"

namespace {

struct Command {
  const char* name;
  std::size_t words;     // positional words required after the command
  std::size_t maxWords;  // and the most it takes
  sqlsim::ArgRules rules;
  const char* usage;
  int (*run)(const sqlsim::Args&);
};

const Command kCommands[] = {
    {"machine",
     0,
     0,
     {{}, {}, true},
     "machine [name=NAME] [dmo-version=N] [dmo-version-minor=N]",
     sqlsim::cmdMachine},
    {"create", 1, 1, {{}, {"version"}}, "create INSTANCE [--version 7|8|9]", sqlsim::cmdCreate},
    {"remove", 1, 1, {}, "remove INSTANCE", sqlsim::cmdRemove},
    {"list", 0, 0, {}, "list", sqlsim::cmdList},
    {"show", 1, 2, {}, "show INSTANCE [DATABASE]", sqlsim::cmdShow},
    {"server", 1, 1, {{}, {}, true}, "server INSTANCE [FACT=VALUE ...]", sqlsim::cmdServer},
    {"login",
     2,
     2,
     {{"windows"}, {"password", "sysadmin", "refused"}},
     "login INSTANCE NAME [--windows] [--password P] [--sysadmin yes|no] [--refused yes|no]",
     sqlsim::cmdLogin},
    {"login-remove", 2, 2, {}, "login-remove INSTANCE NAME", sqlsim::cmdLoginRemove},
    {"database",
     2,
     2,
     {{"system"}, {"group", "file", "log", "compatibility", "version"}},
     "database INSTANCE DB [--group NAME]... [--file GROUP:LOGICAL:KB[:PATH]]...\n"
     "         [--log LOGICAL:KB[:PATH]]... [--compatibility N] [--version N] [--system]",
     sqlsim::cmdDatabase},
    {"drop", 2, 2, {}, "drop INSTANCE DB", sqlsim::cmdDrop},
    {"pages",
     5,
     5,
     {{}, {"seed", "pattern"}},
     "pages INSTANCE DB FILE FIRST COUNT [--seed N | --pattern TEXT]",
     sqlsim::cmdPages},
    {"log",
     2,
     2,
     {{}, {"count", "time", "mark"}},
     "log INSTANCE DB [--count N] [--time 'YYYY-MM-DD HH:MM:SS'] [--mark NAME]",
     sqlsim::cmdLog},
    {"option", 4, 4, {}, "option INSTANCE DB OPTION on|off", sqlsim::cmdOption},
    {"status",
     3,
     3,
     {},
     "status INSTANCE DB online|restoring|standby|offline|...|NUMBER",
     sqlsim::cmdStatus},
    {"checksum", 2, 2, {}, "checksum INSTANCE DB", sqlsim::cmdChecksum},
    {"fault",
     2,
     3,
     {{}, {"message", "hresult", "text", "skip", "times"}},
     "fault INSTANCE connect|call|statement [TARGET] [--message N] [--hresult 0xHHHHHHHH]\n"
     "         [--text TEXT] [--skip N] [--times N]",
     sqlsim::cmdFault},
    {"faults", 1, 2, {}, "faults INSTANCE [clear]", sqlsim::cmdFaults},
};

void printUsage(FILE* streamP) {
  std::fprintf(streamP, "usage: sqlsim COMMAND ...\n  sqlsim --help\n");
  for (const Command& c : kCommands) std::fprintf(streamP, "  sqlsim %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    printUsage(stdout);
    return 0;
  }
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    sqlsim::Args args;
    std::string error;
    if (!sqlsim::parseArgs(argc, argv, 2, c.rules, args, error))
      return sqlsim::usage(error + "\nusage: sqlsim " + c.usage);
    if (args.words.size() < c.words) return sqlsim::usage(std::string("usage: sqlsim ") + c.usage);
    if (args.words.size() > c.maxWords) {
      return sqlsim::usage("unexpected argument '" + args.words[c.maxWords] + "'\nusage: sqlsim " +
                           c.usage);
    }
    return c.run(args);
  }
  std::fprintf(stderr, "sqlsim: unknown command '%s'; sqlsim --help lists them\n", argv[1]);
  return 2;
}
