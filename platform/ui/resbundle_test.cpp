#include "resbundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zkui {
namespace {

const char kGood[] = R"(# a bundle with one of everything
string 1 "Hello, \"world\"\n"
string 2 ""
dialog 100 10 20 300 200 "Settings" resizable
  static -1 7 7 80 14 "Name:"
  static -1 7 30 80 14 "Count:"
  edit 1001 90 7 100 20 "" border
  edit 1002 90 30 40 20 "8" number right
  radio 1003 7 60 80 14 "One" group
  radio 1004 7 80 80 14 "Two"
  button 1 200 170 90 24 "OK" default
end
dialog 102 0 0 200 100 "Pickers" child
  edit 1201 7 7 40 22 ""
  spin 1202 47 7 14 22 "" autobuddy
  date 1203 7 35 100 22 ""
  time 1204 7 60 100 22 ""
  listview 1205 110 7 80 80 "" single
end
menu 128
  popup "&File"
    item 57600 "&New"
    separator
    item 57601 "&Open" disabled checked
    item 57603 "&Toolbar" checkable
  end
  item 57602 "&Help"
end
toolbar 129 130 16
  button 57600
  separator
  button 57601
end
)";

std::shared_ptr<const ResourceBundle> parseOk(const std::string& text) {
  std::shared_ptr<const ResourceBundle> b;
  std::string why;
  EXPECT_EQ(kResOk, ResourceBundle::parse(text, "t.zrc", ".", b, &why)) << why;
  return b;
}

TEST(ResourceBundle, ReadsEveryKindOfResource) {
  auto b = parseOk(kGood);
  ASSERT_TRUE(b);
  ASSERT_TRUE(b->string(1));
  EXPECT_EQ("Hello, \"world\"\n", *b->string(1));
  ASSERT_TRUE(b->string(2));  // present and empty
  EXPECT_EQ("", *b->string(2));
  EXPECT_EQ(nullptr, b->string(3));  // absent

  const DialogTemplate* d = b->dialog(100);
  ASSERT_TRUE(d);
  EXPECT_EQ((Rect{10, 20, 300, 200}), d->rect);
  EXPECT_EQ("Settings", d->caption);
  EXPECT_EQ(kDialogResizable, d->style);
  ASSERT_EQ(7u, d->controls.size());
  EXPECT_EQ(-1, d->controls[1].id);  // several unnamed statics are allowed
  const ControlTemplate* count = d->control(1002);
  ASSERT_TRUE(count);
  EXPECT_EQ(ControlKind::Edit, count->kind);
  EXPECT_EQ("8", count->text);
  EXPECT_EQ(kStyleNumber | kStyleRight, count->style);
  EXPECT_EQ(kStyleGroup, d->control(1003)->style);
  EXPECT_EQ(kStyleDefault, d->control(1)->style);
  EXPECT_EQ(nullptr, b->dialog(101));
  const DialogTemplate* pickers = b->dialog(102);
  ASSERT_TRUE(pickers);
  EXPECT_EQ(kStyleAutoBuddy, pickers->control(1202)->style);
  EXPECT_EQ(ControlKind::Date, pickers->control(1203)->kind);
  EXPECT_EQ(ControlKind::Time, pickers->control(1204)->kind);
  EXPECT_EQ(kStyleSingle, pickers->control(1205)->style);

  const MenuTemplate* m = b->menu(128);
  ASSERT_TRUE(m);
  ASSERT_EQ(2u, m->items.size());
  ASSERT_EQ(MenuItem::Kind::Popup, m->items[0].kind);
  ASSERT_EQ(4u, m->items[0].children.size());
  EXPECT_EQ(MenuItem::Kind::Separator, m->items[0].children[1].kind);
  EXPECT_TRUE(m->items[0].children[2].disabled);
  EXPECT_TRUE(m->items[0].children[2].checked);
  EXPECT_FALSE(m->items[0].children[2].checkable);
  EXPECT_TRUE(m->items[0].children[3].checkable);
  EXPECT_FALSE(m->items[0].children[3].checked);
  EXPECT_EQ(57602, m->items[1].id);

  const ToolbarTemplate* t = b->toolbar(129);
  ASSERT_TRUE(t);
  EXPECT_EQ(130, t->imageId);
  EXPECT_EQ((std::vector<int>{57600, 0, 57601}), t->buttons);
}

TEST(ResourceBundle, RefusesMalformedLinesWithTheirLineNumber) {
  struct Case {
    const char* text;
    const char* why;
  };
  const Case cases[] = {
      {"string 1 \"open", "t.zrc:1: unterminated text or bad escape"},
      {"string 1 \"bad \\q\"", "t.zrc:1: unterminated text or bad escape"},
      {"\nstrings 1 \"x\"", "t.zrc:2: unknown statement 'strings'"},
      {"string x \"a\"", "t.zrc:1: bad id 'x'"},
      {"string 1 a", "t.zrc:1: text expected in double quotes"},
      {"string 1 \"a\"\nstring 1 \"b\"", "t.zrc:2: duplicate string id"},
      {"string 1", "t.zrc:1: wrong number of words"},
      {"dialog 1 0 0 10 10 \"c\"\n", "t.zrc:1: missing end"},
      {"dialog 1 0 0 -5 10 \"c\"", "t.zrc:1: negative size"},
      {"dialog 1 0 0 10 10 \"c\" modal", "t.zrc:1: unknown style 'modal'"},
      {"dialog 1 0 0 9 9 \"c\"\n slider 5 0 0 1 1 \"\"", "t.zrc:2: unknown control kind 'slider'"},
      {"dialog 1 0 0 9 9 \"c\"\n edit 5 0 0 1 1 \"\"\n edit 5 0 0 1 1 \"\"",
       "t.zrc:3: duplicate control id"},
      {"dialog 1 0 0 9 9 \"c\"\n edit 5 0 0 1 1 \"\" bold", "t.zrc:2: unknown style 'bold'"},
      {"menu 1\n popup \"a\"\n end", "t.zrc:3: missing end"},
      {"menu 1\n item 2 \"a\" grey\nend", "t.zrc:2: unknown menu style 'grey'"},
      {"toolbar 1 2 0\nend", "t.zrc:1: bad image id or button width"},
      {"toolbar 1 2 16\n button 0\nend", "t.zrc:2: button id 0 is the separator"},
  };
  for (const Case& c : cases) {
    std::shared_ptr<const ResourceBundle> b;
    std::string why;
    EXPECT_EQ(kResBadFormat, ResourceBundle::parse(c.text, "t.zrc", ".", b, &why)) << c.text;
    EXPECT_EQ(c.why, why) << c.text;
    EXPECT_FALSE(b);
  }
}

class BundleFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("zkui_res_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }
  std::string write(const std::string& name, const std::string& text) {
    std::ofstream((m_dir / name).string(), std::ios::binary) << text;
    return (m_dir / name).string();
  }
  std::filesystem::path m_dir;
};

TEST_F(BundleFiles, LoadsByFileNameWithImagesBesideIt) {
  write("pic.png", std::string("\x89PNG\r\n\x1a\n", 8));
  std::string path = write("en.zrc", "image 136 \"pic.png\"\nstring 5 \"five\"\n");
  std::shared_ptr<const ResourceBundle> b;
  ASSERT_EQ(kResOk, ResourceBundle::load(path, b));
  ASSERT_TRUE(b->image(136));
  EXPECT_EQ(8u, b->image(136)->bytes.size());
  EXPECT_EQ(path, b->path());
}

TEST_F(BundleFiles, MissingBundleOrImageIsNotFound) {
  std::shared_ptr<const ResourceBundle> b;
  std::string why;
  EXPECT_EQ(kResNotFound, ResourceBundle::load((m_dir / "none.zrc").string(), b, &why));
  EXPECT_NE(std::string::npos, why.find("none.zrc: cannot be read"));
  std::string path = write("en.zrc", "image 136 \"gone.png\"\n");
  EXPECT_EQ(kResNotFound, ResourceBundle::load(path, b, &why));
  EXPECT_NE(std::string::npos, why.find("gone.png' cannot be read"));
  EXPECT_FALSE(b);
}

TEST(CurrentResources, SwitchingKeepsTheOldBundleAliveForItsHolders) {
  auto en = parseOk("string 1 \"one\"\nstring 2 \"\"");
  auto fr = parseOk("string 1 \"un\"");
  EXPECT_EQ(nullptr, setCurrentResources(en));
  EXPECT_EQ("one", resString(1).value());
  EXPECT_EQ("", resString(2).value());
  std::shared_ptr<const ResourceBundle> previous = setCurrentResources(fr);
  EXPECT_EQ(en, previous);
  EXPECT_EQ("un", resString(1).value());
  EXPECT_FALSE(resString(2).has_value());
  setCurrentResources(nullptr);
  EXPECT_FALSE(resString(1).has_value());
}

}  // namespace
}  // namespace zkui
