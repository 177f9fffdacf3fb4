#include "hive_text.h"

#include <gtest/gtest.h>

#include "store.h"

namespace zkreg {
namespace {

Bytes bytesOf(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::string format(const Key& top) {
  std::string text = textHeader();
  Path levels{"HKEY_LOCAL_MACHINE"};
  formatTree(top, levels, text);
  return text + textTrailer();
}

TEST(HiveText, EveryValueShapeAndOddNameComesBackByteForByte) {
  Key top;
  bool created = false;
  Key& key = createKey(top, {"SOFTWARE", "odd]%name\x01", "Leaf"}, "CString", created);
  const std::vector<Value> values = {
      {"Path", 1, bytesOf(std::string("/opt/z/\0", 8))},
      {"Padded", 1, bytesOf(std::string("12\0\0", 4))},
      {"Unterminated", 1, bytesOf("1234")},
      {"Empty", 1, {}},
      {"Inner zero", 1, bytesOf(std::string("a\0b\0", 4))},
      {"quote\"back\\slash\ttab", 1, bytesOf(std::string("\"\\\n\x7f\xc3\xa9\0", 7))},
      {"SQL_E", 4, {1, 0, 0, 0}},
      {"Short dword", 4, {1, 2}},
      {"SQL_P", 3, Bytes(208, 0xa5)},
      {"No bytes", 3, {}},
      {"", 7, {0x61, 0}},
  };
  for (const Value& value : values) setValue(key, value);

  std::string text = format(top);
  std::vector<Section> sections;
  std::string error;
  ASSERT_TRUE(parseText(text, sections, error)) << error << "\n" << text;
  Key back;
  ASSERT_EQ(mergeSections(Root::LocalMachine, sections, back), 0);
  EXPECT_EQ(format(back), text);
  Key* leaf = findKey(back, {"software", "ODD]%NAME\x01", "leaf"});
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->className, "CString");
  ASSERT_EQ(leaf->values.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(leaf->values[i].name, values[i].name);
    EXPECT_EQ(leaf->values[i].type, values[i].type) << values[i].name;
    EXPECT_EQ(leaf->values[i].data, values[i].data) << values[i].name;
  }
}

TEST(HiveText, ReadableShapes) {
  Key top;
  bool created = false;
  Key& key = createKey(top, {"SOFTWARE"}, "", created);
  setValue(key, {"Path", 1, bytesOf(std::string("/opt/\0", 6))});
  setValue(key, {"Count", 1, bytesOf(std::string("12\0\0", 4))});
  setValue(key, {"SQL_E", 4, {1, 0, 0, 0x80}});
  setValue(key, {"SQL_P", 3, {0x0a, 0xff}});
  EXPECT_EQ(format(top),
            "ZARNAK REGISTRY 1\n"
            "[HKEY_LOCAL_MACHINE]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\"Path\" = REG_SZ \"/opt/\"\n"
            "\"Count\" = REG_SZ(4) \"12\"\n"
            "\"SQL_E\" = REG_DWORD 0x80000001\n"
            "\"SQL_P\" = REG_BINARY 0aff\n"
            "END\n");
}

TEST(HiveText, HandWrittenFileWithCommentsAndDecimalNumbers) {
  std::vector<Section> sections;
  std::string error;
  ASSERT_TRUE(
      parseText("# set up by hand\n\nZARNAK REGISTRY 1\r\n"
                "[HKLM\\A\\B]\n  \"N\"=REG_DWORD 7\n\"T\" = REG_SZ \"x\"  \nEND\n\n# done\n",
                sections, error))
      << error;
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0].path, (Path{"HKLM", "A", "B"}));
  ASSERT_EQ(sections[0].values.size(), 2u);
  EXPECT_EQ(sections[0].values[0].data, (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(sections[0].values[1].data, (Bytes{'x', 0}));
}

TEST(HiveText, DamagedTextIsRefusedWithItsLine) {
  const std::string big = std::to_string(kMaxValueDataLength + 1);
  const std::string tooLong(2 * (kMaxValueDataLength + 1), 'a');
  const struct {
    std::string text;
    int line;
  } cases[] = {
      {"[HKLM\\A]\nEND\n", 1},                                            // no header
      {"ZARNAK REGISTRY 2\nEND\n", 1},                                    // unknown version
      {"ZARNAK REGISTRY 1\n\"v\" = REG_SZ \"x\"\nEND\n", 2},              // value before any key
      {"ZARNAK REGISTRY 1\n[HKLM\\A\nEND\n", 2},                          // unclosed section
      {"ZARNAK REGISTRY 1\n[HKLM\\\\A]\nEND\n", 2},                       // empty level
      {"ZARNAK REGISTRY 1\n[HKLM\\%zz]\nEND\n", 2},                       // bad escape in a name
      {"ZARNAK REGISTRY 1\n[HKLM\\a%5cb]\nEND\n", 2},                     // backslash in a name
      {"ZARNAK REGISTRY 1\n[HKLM\\A] klass \"x\"\nEND\n", 2},             // unknown attribute
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_SZ \"x\nEND\n", 3},        // unclosed text
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_SZ \"\\q\"\nEND\n", 3},    // unknown escape
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_SZ(1) \"ab\"\nEND\n", 3},  // length below the text
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_SZ(" + big + ") \"\"\nEND\n", 3},
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_SZ(4294967295) \"\"\nEND\n", 3},
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_BINARY " + tooLong + "\nEND\n", 3},
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_DWORD 0x100000000\nEND\n", 3},
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_BINARY 0a0\nEND\n", 3},
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_MULTI_SZ 00\nEND\n", 3},
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" REG_SZ \"x\"\nEND\n", 3},
      // Cut short: at a line boundary, before the end line, or nothing at all.
      {"ZARNAK REGISTRY 1\n[HKLM]\n\"v\" = REG_SZ \"x\"\n", 4},
      {"ZARNAK REGISTRY 1\n[HKLM]\n", 3},
      {"ZARNAK REGISTRY 1\n", 2},
      {"", 1},
      // Nothing but blank lines and comments may follow the end line.
      {"ZARNAK REGISTRY 1\n[HKLM]\nEND\n[HKLM\\B]\n", 4},
  };
  for (const auto& c : cases) {
    std::vector<Section> sections;
    std::string error;
    std::string shown = c.text.substr(0, 80);
    EXPECT_FALSE(parseText(c.text, sections, error)) << shown;
    EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ":", 0), 0u) << shown << "\n" << error;
  }
}

TEST(HiveText, LongestValueAndKeyNamesThatCanBeWrittenCanBeRead) {
  Key top;
  bool created = false;
  Key& key = createKey(top, {std::string(kMaxKeyNameLength, 'k')}, "", created);
  setValue(key, {"sz", 1, Bytes(kMaxValueDataLength, 0)});
  setValue(key, {"bin", 3, Bytes(kMaxValueDataLength, 0x5a)});
  std::vector<Section> sections;
  std::string error;
  ASSERT_TRUE(parseText(format(top), sections, error)) << error;
  Key back;
  ASSERT_EQ(mergeSections(Root::LocalMachine, sections, back), 0);
  EXPECT_EQ(format(back), format(top));
}

TEST(HiveText, SectionOfAnotherRootIsRefused) {
  std::vector<Section> sections;
  std::string error;
  ASSERT_TRUE(parseText("ZARNAK REGISTRY 1\n[HKEY_CURRENT_USER\\A]\nEND\n", sections, error));
  Key top;
  EXPECT_NE(mergeSections(Root::LocalMachine, sections, top), 0);
}

TEST(Hive, PathsSplitAtBackslashes) {
  struct Case {
    const char* text;
    bool ok;
    Path path;
  } cases[] = {
      {"", true, {}},
      {"A", true, {"A"}},
      {"MACHINE\\INSTANCE", true, {"MACHINE", "INSTANCE"}},
      {"SOFTWARE\\Orbenix\\", true, {"SOFTWARE", "Orbenix"}},
      {"\\A", false, {}},
      {"A\\\\B", false, {}},
      {"A\\\\", false, {}},
  };
  for (const Case& c : cases) {
    Path path;
    EXPECT_EQ(splitPath(c.text, path), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(path, c.path) << c.text;
    }
  }
  Path path;
  EXPECT_TRUE(splitPath(std::string(kMaxKeyNameLength, 'k'), path));
  EXPECT_FALSE(splitPath(std::string(kMaxKeyNameLength + 1, 'k'), path));
}

}  // namespace
}  // namespace zkreg
