// sqlsim: sets up and inspects the emulated SQL Server instances of $ZARNAK_ROOT.
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands.h"

namespace {

struct Command {
  const char* name;
  std::size_t words;  // positional words required after the command
  std::vector<std::string> flags;
  const char* usage;
  int (*run)(const sqlsim::Args&);
};

const Command kCommands[] = {
    {"machine",
     0,
     {},
     "machine [name=NAME] [dmo-version=N] [dmo-version-minor=N]",
     sqlsim::cmdMachine},
    {"create", 1, {}, "create INSTANCE [--version 7|8|9]", sqlsim::cmdCreate},
    {"remove", 1, {}, "remove INSTANCE", sqlsim::cmdRemove},
    {"list", 0, {}, "list", sqlsim::cmdList},
    {"show", 1, {}, "show INSTANCE [DATABASE]", sqlsim::cmdShow},
    {"server", 1, {}, "server INSTANCE [FACT=VALUE ...]", sqlsim::cmdServer},
    {"login",
     2,
     {"windows"},
     "login INSTANCE NAME [--windows] [--password P] [--sysadmin yes|no] [--refused yes|no]",
     sqlsim::cmdLogin},
    {"login-remove", 2, {}, "login-remove INSTANCE NAME", sqlsim::cmdLoginRemove},
    {"database",
     2,
     {"system"},
     "database INSTANCE DB [--group NAME]... [--file GROUP:LOGICAL:KB[:PATH]]...\n"
     "         [--log LOGICAL:KB[:PATH]]... [--compatibility N] [--version N] [--system]",
     sqlsim::cmdDatabase},
    {"drop", 2, {}, "drop INSTANCE DB", sqlsim::cmdDrop},
    {"pages",
     5,
     {},
     "pages INSTANCE DB FILE FIRST COUNT [--seed N | --pattern TEXT]",
     sqlsim::cmdPages},
    {"log",
     2,
     {},
     "log INSTANCE DB [--count N] [--time 'YYYY-MM-DD HH:MM:SS'] [--mark NAME]",
     sqlsim::cmdLog},
    {"option", 4, {}, "option INSTANCE DB OPTION on|off", sqlsim::cmdOption},
    {"status",
     3,
     {},
     "status INSTANCE DB online|restoring|standby|offline|...|NUMBER",
     sqlsim::cmdStatus},
    {"checksum", 2, {}, "checksum INSTANCE DB", sqlsim::cmdChecksum},
    {"fault",
     2,
     {},
     "fault INSTANCE connect|call|statement [TARGET] [--message N] [--hresult 0xHHHHHHHH]\n"
     "         [--text TEXT] [--skip N] [--times N]",
     sqlsim::cmdFault},
    {"faults", 1, {}, "faults INSTANCE [clear]", sqlsim::cmdFaults},
};

int help() {
  std::printf("usage: sqlsim COMMAND ...\n");
  for (const Command& c : kCommands) std::printf("  sqlsim %s\n", c.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0)
    return help();
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    sqlsim::Args args;
    std::string error;
    if (!sqlsim::parseArgs(argc, argv, 2, c.flags, args, error))
      return sqlsim::usage(error + "\nusage: sqlsim " + c.usage);
    if (args.words.size() < c.words) return sqlsim::usage(std::string("usage: sqlsim ") + c.usage);
    return c.run(args);
  }
  std::fprintf(stderr, "sqlsim: unknown command '%s'\n", argv[1]);
  return help();
}
