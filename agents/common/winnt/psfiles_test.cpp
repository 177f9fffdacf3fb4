#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "agtrc.h"
#include "psutil.h"
#include "root.h"

namespace fs = std::filesystem;

namespace {

class PsFiles : public ::testing::Test {
 protected:
  std::string at(const std::string& relative) const { return (m_Root.path() / relative).string(); }
  void makeFile(const std::string& relative) const { std::ofstream(at(relative)) << "x"; }
  zkroot::ScopedRoot m_Root;
};

TEST_F(PsFiles, IsAFileTellsFilesFromDirectoriesAndAbsentNames) {
  fs::create_directory(at("dir"));
  makeFile("file");
  const struct {
    std::string name;
    int rc;
    int isFile;
  } cases[] = {
      {at("file"), 0, 1},
      {at("dir"), 0, 0},
      {at("missing"), 0, 0},
      {"/no/such/disk/file.bak", 0, 0},
      {at("file") + "/under-a-file", 0, 0},
      {at(std::string(5000, 'n')), RC_INTERNAL_ERROR, 0},  // cannot be looked up at all
  };
  for (const auto& c : cases) {
    int isFile = -1;
    EXPECT_EQ(psIsAFile(c.name.c_str(), &isFile), c.rc) << c.name.substr(0, 80);
    EXPECT_EQ(isFile, c.isFile) << c.name.substr(0, 80);
  }
}

TEST_F(PsFiles, DiskSpaceOfThePathsDirectory) {
  pkInt64 freeBytes = pkInt64FromU32(7);
  pkInt64 size = pkInt64FromU32(7);
  std::string notYetWritten = at("backup.bak");
  ASSERT_EQ(psGetDiskSpaceInfo(notYetWritten.c_str(), &freeBytes, &size), RC_OK);
  EXPECT_GT(pkInt64ToNative(size), 0u);
  EXPECT_LE(pkInt64ToNative(freeBytes), pkInt64ToNative(size));
  pkInt64 alone;
  EXPECT_EQ(psGetDiskSize(notYetWritten.c_str(), &alone), RC_OK);
  EXPECT_EQ(pkInt64ToNative(alone), pkInt64ToNative(size));
  EXPECT_EQ(psGetFreeDiskBytes(m_Root.path().c_str(), &alone), RC_OK);
  EXPECT_GT(pkInt64ToNative(alone), 0u);

  std::string inMissingDir = at("missing/backup.bak");
  EXPECT_EQ(psGetDiskSpaceInfo(inMissingDir.c_str(), &freeBytes, &size), RC_DISK_SPACE_FAILED);
  EXPECT_EQ(pkInt64ToNative(freeBytes), 0u);
  EXPECT_EQ(pkInt64ToNative(size), 0u);
}

TEST_F(PsFiles, CreateDirectoryMakesOnlyTheMissingDirectories) {
  fs::create_directory(at("a"));
  EXPECT_EQ(psCreateDirectory(at("a/b/c.bak").c_str()), RC_OK);
  EXPECT_TRUE(fs::is_directory(at("a/b")));
  EXPECT_FALSE(fs::exists(at("a/b/c.bak")));
  EXPECT_EQ(psCreateDirectory(at("x/y//z/f.bak").c_str()), RC_OK);
  EXPECT_TRUE(fs::is_directory(at("x/y/z")));
  EXPECT_EQ(psCreateDirectory(at("a/b/c.bak").c_str()), RC_OK);  // all there already
  EXPECT_EQ(psCreateDirectory("bare.bak"), RC_OK);
  EXPECT_EQ(psCreateDirectory("/f.bak"), RC_OK);

  makeFile("a/file");
  EXPECT_EQ(psCreateDirectory(at("a/file/c.bak").c_str()), RC_CREATE_DIR_FAILED);
  EXPECT_EQ(psCreateDirectory(at("a/file/d/c.bak").c_str()), RC_CREATE_DIR_FAILED);
  EXPECT_FALSE(fs::exists(at("a/file/d")));
}

TEST_F(PsFiles, CreateDirectoryLimitsAndShares) {
  std::string longDir = m_Root.path().string();
  while (longDir.size() + 101 <= 1024) longDir += "/" + std::string(100, 'd');
  longDir += "/" + std::string(1024 - longDir.size() - 1, 'e');
  ASSERT_EQ(longDir.size(), 1024u);
  EXPECT_EQ(psCreateDirectory((longDir + "/f.bak").c_str()), RC_OK);
  EXPECT_TRUE(fs::is_directory(longDir));
  EXPECT_EQ(psCreateDirectory((longDir + "e/f.bak").c_str()), RC_NAME_TOO_LONG);
  EXPECT_FALSE(fs::exists(longDir + "e"));
  // A share's server and share levels are never created, only what lies below them.
  EXPECT_EQ(psCreateDirectory("//zkserver/share/f.bak"), RC_OK);
  EXPECT_EQ(psCreateDirectory("//zkserver/share/x/f.bak"), RC_CREATE_DIR_FAILED);
  EXPECT_FALSE(fs::exists("/zkserver"));
}

TEST(PsSplitPath, PartsAndTheirBuffers) {
  const struct {
    const char* path;
    const char* dir;
    const char* file;
  } cases[] = {
      {"/var/backup/db.full.bak", "/var/backup/", "db.full.bak"},
      {"db.bak", "", "db.bak"},
      {"/var/backup/", "/var/backup/", ""},
      {"relative/name", "relative/", "name"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    char drive[3] = "x";
    char dir[64];
    char file[64];
    EXPECT_EQ(psSplitPath(c.path, drive, sizeof drive, dir, sizeof dir, file, sizeof file), RC_OK);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, c.dir) << c.path;
    EXPECT_STREQ(file, c.file) << c.path;
  }
  char file[7];
  EXPECT_EQ(psSplitPath("/a/db.bak", nullptr, 0, nullptr, 0, file, sizeof file), RC_OK);
  EXPECT_STREQ(file, "db.bak");
  EXPECT_EQ(psSplitPath("/a/db1.bak", nullptr, 0, nullptr, 0, file, sizeof file), RC_NAME_TOO_LONG);
  EXPECT_STREQ(file, "");
  EXPECT_EQ(psGetSystemDrive(), '/');
}

}  // namespace
