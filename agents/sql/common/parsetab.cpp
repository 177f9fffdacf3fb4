// The command keyword tables: commands, object types, query objects and help topics. Rows are
// tried in order; the first row whose keyword the word abbreviates decides. A table ends with a
// row whose keyword is null (its id marks the table; nothing matches it).
#include "parseint.h"

namespace {

const ParseCommandRow kBackupTypes[] = {
    {"Diff", 1, parseSingleArgument, nullptr}, {"FIle", 2, parseFileArguments, nullptr},
    {"Full", 3, parseSingleArgument, nullptr}, {"Group", 4, parseGroupArguments, nullptr},
    {"Log", 5, parseSingleArgument, nullptr},  {"Set", 6, parseSingleArgument, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kInactivateTypes[] = {
    {"Diff", 48, parseSingleArgument, nullptr}, {"FIle", 49, parseFileArguments, nullptr},
    {"Full", 50, parseSingleArgument, nullptr}, {"Group", 51, parseGroupArguments, nullptr},
    {"Log", 52, parseLogArguments, nullptr},    {"Set", 53, parseSetObjectArguments, nullptr},
    {"*", 47, parseSingleArgument, nullptr},    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kQueryHublorTypes[] = {
    {"Diff", 64, parseSingleArgument, nullptr},
    {"FIle", 65, parseFileArguments, nullptr},
    {"Full", 66, parseSingleArgument, nullptr},
    {"Group", 67, parseGroupArguments, nullptr},
    {"Log", 68, parseLogArguments, nullptr},
    {"Set", 69, parseSetObjectArguments, nullptr},
    {"Types", 70, parseSingleArgument, nullptr},
    {"*", 63, parseSingleArgument, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kRestoreTypes[] = {
    {"Diff", 72, parseSingleArgument, nullptr},
    {"FIle", 73, parseFileArguments, nullptr},
    {"Full", 74, parseSingleArgument, nullptr},
    {"Group", 75, parseGroupArguments, nullptr},
    {"Log", 76, parseLogArguments, nullptr},
    {"Set", 77, parseSetObjectArguments, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kQueryObjects[] = {
    {"SQL", 59, parseQuerySqlArguments, nullptr},
    {"ZARNAK", 61, nullptr, nullptr},
    {"HUBLOR", 62, parseQueryHublorArguments, kQueryHublorTypes},
    {nullptr, 56, nullptr, nullptr},
};

// Help topics: the id chooses the help text.
const ParseCommandRow kHelpBackupTypes[] = {
    {"Diff", 10, nullptr, nullptr},  {"FIle", 11, nullptr, nullptr}, {"Full", 12, nullptr, nullptr},
    {"Group", 13, nullptr, nullptr}, {"Log", 14, nullptr, nullptr},  {"Set", 15, nullptr, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kHelpInactivateTypes[] = {
    {"Diff", 20, nullptr, nullptr}, {"FIle", 21, nullptr, nullptr},
    {"Full", 22, nullptr, nullptr}, {"Group", 23, nullptr, nullptr},
    {"Log", 24, nullptr, nullptr},  {"Set", 25, nullptr, nullptr},
    {"*", 19, nullptr, nullptr},    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kHelpQueryHublorTypes[] = {
    {"Diff", 31, nullptr, nullptr},  {"FIle", 32, nullptr, nullptr},
    {"Full", 33, nullptr, nullptr},  {"Group", 34, nullptr, nullptr},
    {"Log", 35, nullptr, nullptr},   {"Set", 36, nullptr, nullptr},
    {"Types", 37, nullptr, nullptr}, {"*", 30, nullptr, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kHelpQueryObjects[] = {
    {"SQL", 27, nullptr, nullptr},
    {"ZARNAK", 28, nullptr, nullptr},
    {"HUBLOR", 29, parseHelpArguments, kHelpQueryHublorTypes},
    {nullptr, 56, nullptr, nullptr},
};

const ParseCommandRow kHelpRestoreTypes[] = {
    {"Diff", 39, nullptr, nullptr},  {"FIle", 40, nullptr, nullptr}, {"Full", 41, nullptr, nullptr},
    {"Group", 42, nullptr, nullptr}, {"Log", 43, nullptr, nullptr},  {"Set", 44, nullptr, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

const ParseCommandRow kHelpTopics[] = {
    {"Backup", 9, parseHelpArguments, kHelpBackupTypes},
    {"CHANGEHUBLORPassword", 16, nullptr, nullptr},
    {"Help", 17, nullptr, nullptr},
    {"?", 17, nullptr, nullptr},
    {"INACTIVate", 18, parseHelpArguments, kHelpInactivateTypes},
    {"Query", 26, parseHelpArguments, kHelpQueryObjects},
    {"Restore", 38, parseHelpArguments, kHelpRestoreTypes},
    {"Set", 45, nullptr, nullptr},
    {"*", 8, nullptr, nullptr},
    {nullptr, 54, nullptr, nullptr},
};

}  // namespace

const ParseCommandRow gParseTopCommands[] = {
    {"Backup", 3, parseBackupArguments, kBackupTypes},
    {"CHANGEHUBLORPassword", 7, parseChangePwdArguments, nullptr},
    {"Help", 8, parseHelpArguments, kHelpTopics},
    {"?", 8, parseHelpArguments, kHelpTopics},
    {"??", 17, nullptr, nullptr},
    {"INACTIVate", 46, parseInactivateArguments, kInactivateTypes},
    {"TRACEPARSER", 96, nullptr, nullptr},
    {"Query", 58, parseCommand, kQueryObjects},
    {"Restore", 74, parseRestoreArguments, kRestoreTypes},
    {"Set", 78, parseSetArguments, gParseSetKeywords},
    {nullptr, 54, nullptr, nullptr},
};
