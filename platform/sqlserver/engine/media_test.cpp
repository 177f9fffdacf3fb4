// The media header of a backup family: whatever names a database and its files carry, the
// header comes back as it was written.
#include "media.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using sqlengine::MediaFile;
using sqlengine::MediaHeader;

MediaHeader headerNaming(const std::string& name) {
  MediaHeader h;
  h.setId = 7;
  h.setName = name + " set";
  h.database = name;
  h.familyBytes = sqlengine::kMediaHeaderSize;
  h.files.push_back(MediaFile{"PRIMARY", name, "/data/" + name + ".mdf", 1024, true, false, true});
  h.files.push_back(
      MediaFile{"", name + "_log", "C:\\new\\" + name + ".ldf", 512, false, true, false});
  return h;
}

TEST(MediaHeader, NamesWithTheFormatsSeparatorsComeBackWhole) {
  const std::string names[] = {"plain", "line\nend",  "tab\there", "cr\rhere", "back\\slash",
                               "\\n",   "trailing\\", "=equals=",  "\t\n\\\r"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::vector<std::byte> bytes(sqlengine::kMediaHeaderSize);
    ASSERT_TRUE(sqlengine::encodeMediaHeader(headerNaming(name), bytes.data()));
    MediaHeader back;
    ASSERT_TRUE(sqlengine::decodeMediaHeader(bytes.data(), bytes.size(), back));
    MediaHeader expected = headerNaming(name);
    EXPECT_EQ(back.database, expected.database);
    EXPECT_EQ(back.setName, expected.setName);
    ASSERT_EQ(back.files.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(back.files[i].group, expected.files[i].group);
      EXPECT_EQ(back.files[i].logicalName, expected.files[i].logicalName);
      EXPECT_EQ(back.files[i].physicalName, expected.files[i].physicalName);
      EXPECT_EQ(back.files[i].log, expected.files[i].log);
    }
  }
}

// Headers of the first format, which wrote names as they stood, are still read.
TEST(MediaHeader, AnUnescapedHeaderOfTheFirstFormatIsReadAsItStands) {
  std::string text =
      "ZARNAK-SQL-MEDIA-FAMILY 1\nset-id=3\nset-name=s\ndatabase=db\nfamily=1\n"
      "family-count=1\nfamily-bytes=" +
      std::to_string(sqlengine::kMediaHeaderSize) + "\nfile=PRIMARY\tdb\tC:\\new\\db.mdf\t8\t101\n";
  std::vector<std::byte> bytes(sqlengine::kMediaHeaderSize);
  std::memcpy(bytes.data(), text.data(), text.size());
  MediaHeader back;
  ASSERT_TRUE(sqlengine::decodeMediaHeader(bytes.data(), bytes.size(), back));
  ASSERT_EQ(back.files.size(), 1u);
  EXPECT_EQ(back.files[0].physicalName, "C:\\new\\db.mdf");
}

}  // namespace
