// Demonstration on the stand-ins, run by scripts/demo.sh: a sample database of the emulated
// SQL Server is backed up by the agent's virtual-device transfers through several stripes into
// files, then restored from those files through fewer devices as a new database whose files
// are moved elsewhere; the copy must match the source file by file.
//
//   stripes_demo INSTANCE DATABASE SIZE_MB STRIPES OUTPUT_DIR
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vdi_stripes.h"

namespace {

int fail(const char* what, const sqlengine::SqlError& e) {
  std::fprintf(stderr, "%s: Msg %d: %s\n", what, e.number, e.text.c_str());
  return 1;
}

bool allZero(const std::vector<int>& rcs) {
  for (int rc : rcs)
    if (rc != 0) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: stripes_demo INSTANCE DATABASE SIZE_MB STRIPES OUTPUT_DIR\n");
    return 2;
  }
  const std::string instanceName = argv[1], db = argv[2];
  const long sizeMb = std::strtol(argv[3], nullptr, 10);
  const long stripeCount = std::strtol(argv[4], nullptr, 10);
  const std::filesystem::path out = argv[5];
  if (sizeMb < 1 || stripeCount < 1 || stripeCount > 64) {
    std::fprintf(stderr, "stripes_demo: SIZE_MB must be at least 1, STRIPES 1 to 64\n");
    return 2;
  }

  sqlengine::SqlError e;
  std::unique_ptr<sqlengine::Instance> instance = sqlengine::Instance::open(instanceName, e);
  if (!instance) return fail("open instance", e);
  if (e = stripes::makeDatabase(*instance, db, sizeMb); !e.ok()) return fail("create database", e);
  std::printf("database %s: %ld MB in three data files and a log\n", db.c_str(), sizeMb);

  std::filesystem::create_directories(out);
  std::vector<std::filesystem::path> files;
  for (long i = 0; i < stripeCount; ++i) files.push_back(out / ("stripe" + std::to_string(i)));
  stripes::Outcome backup = stripes::backupToFiles(*instance, db, files);
  if (!backup.statement.ok()) return fail("BACKUP", backup.statement);
  if (FAILED(backup.setHr) || !allZero(backup.transferRcs)) {
    std::fprintf(stderr, "BACKUP: a stripe's transfer failed\n");
    return 1;
  }
  std::printf("backed up through %ld virtual devices into %s/stripe*\n", stripeCount, out.c_str());

  // Restore through half as many devices: each device reads its files in turn, switching media.
  std::size_t devices = files.size() > 1 ? files.size() / 2 : 1;
  std::vector<std::vector<std::filesystem::path>> perDevice(devices);
  for (std::size_t i = 0; i < files.size(); ++i) perDevice[i % devices].push_back(files[i]);
  const std::string copy = db + "_copy";
  stripes::Outcome restore = stripes::restoreFromFiles(
      *instance, "DATABASE [" + copy + "]", perDevice, stripes::movesTo(db, out / "restored"));
  if (!restore.statement.ok()) return fail("RESTORE", restore.statement);
  if (FAILED(restore.setHr) || !allZero(restore.transferRcs)) {
    std::fprintf(stderr, "RESTORE: a device's transfer failed\n");
    return 1;
  }
  std::printf("restored as %s through %zu virtual devices into %s/restored\n", copy.c_str(),
              devices, out.c_str());

  bool same = stripes::checksums(*instance, db) == stripes::checksums(*instance, copy);
  std::printf(same ? "every file of %s matches %s\n" : "MISMATCH between %s and %s\n", copy.c_str(),
              db.c_str());
  return same ? 0 : 1;
}
