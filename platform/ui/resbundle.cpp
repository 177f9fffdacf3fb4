#include "resbundle.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace zkui {
namespace {

struct Word {
  std::string text;
  bool quoted = false;
};

struct KindName {
  const char* name;
  ControlKind kind;
};
const KindName kKinds[] = {
    {"static", ControlKind::Static},     {"edit", ControlKind::Edit},
    {"button", ControlKind::Button},     {"check", ControlKind::Check},
    {"radio", ControlKind::Radio},       {"group", ControlKind::Group},
    {"combo", ControlKind::Combo},       {"list", ControlKind::List},
    {"listview", ControlKind::ListView}, {"tree", ControlKind::Tree},
    {"tab", ControlKind::Tab},           {"progress", ControlKind::Progress},
    {"spin", ControlKind::Spin},         {"picture", ControlKind::Picture},
    {"date", ControlKind::Date},         {"time", ControlKind::Time},
};

struct StyleName {
  const char* name;
  uint32_t bit;
};
const StyleName kControlStyles[] = {
    {"group", kStyleGroup},       {"default", kStyleDefault},     {"multiline", kStyleMultiline},
    {"password", kStylePassword}, {"readonly", kStyleReadOnly},   {"number", kStyleNumber},
    {"disabled", kStyleDisabled}, {"hidden", kStyleHidden},       {"droplist", kStyleDropList},
    {"sort", kStyleSort},         {"border", kStyleBorder},       {"center", kStyleCenter},
    {"right", kStyleRight},       {"autobuddy", kStyleAutoBuddy}, {"single", kStyleSingle},
};
const StyleName kDialogStyles[] = {{"child", kDialogChild}, {"resizable", kDialogResizable}};

// Splits one line into words; false on an unterminated text or a bad escape.
bool splitWords(const std::string& line, std::vector<Word>& words) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    Word w;
    if (c != '"') {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        w.text += line[i++];
      }
      words.push_back(std::move(w));
      continue;
    }
    w.quoted = true;
    ++i;
    for (;;) {
      if (i >= line.size()) return false;
      c = line[i++];
      if (c == '"') break;
      if (c != '\\') {
        w.text += c;
        continue;
      }
      if (i >= line.size()) return false;
      c = line[i++];
      if (c == 'n') {
        w.text += '\n';
      } else if (c == 't') {
        w.text += '\t';
      } else if (c == '"' || c == '\\') {
        w.text += c;
      } else {
        return false;
      }
    }
    words.push_back(std::move(w));
  }
  return true;
}

bool toInt(const Word& w, int& out) {
  if (w.quoted || w.text.empty()) return false;
  size_t used = 0;
  try {
    long v = std::stol(w.text, &used, 10);
    if (used != w.text.size() || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int>(v);
  } catch (...) {
    return false;
  }
  return true;
}

}  // namespace

// Reads a bundle line by line; the first fault stops it with the reason.
class BundleParser {
 public:
  BundleParser(ResourceBundle& b, const std::string& name, const std::string& baseDir)
      : m_b(b), m_name(name), m_baseDir(baseDir) {}

  int run(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      ++m_line;
      int rc = statement(line);
      if (rc != kResOk) return rc;
    }
    if (m_dialogP || m_menuStack.size() > 0 || m_toolbarP) return fail("missing end");
    return kResOk;
  }
  const std::string& why() const { return m_why; }

 private:
  int fail(const std::string& what, int rc = kResBadFormat) {
    m_why = m_name + ":" + std::to_string(m_line) + ": " + what;
    return rc;
  }

  int statement(const std::string& line) {
    m_words.clear();
    if (!splitWords(line, m_words)) return fail("unterminated text or bad escape");
    if (m_words.empty() || m_words[0].text[0] == '#') return kResOk;
    if (m_dialogP) return dialogLine();
    if (!m_menuStack.empty()) return menuLine();
    if (m_toolbarP) return toolbarLine();
    const std::string& head = m_words[0].text;
    if (head == "string") return stringLine();
    if (head == "image") return imageLine();
    if (head == "dialog") return dialogStart();
    if (head == "menu") return menuStart();
    if (head == "toolbar") return toolbarStart();
    return fail("unknown statement '" + head + "'");
  }

  // Checks the word count and reads the id in the second word.
  int idAndCount(size_t minWords, size_t maxWords, int& id) {
    if (m_words.size() < minWords || m_words.size() > maxWords)
      return fail("wrong number of words");
    if (!toInt(m_words[1], id)) return fail("bad id '" + m_words[1].text + "'");
    return kResOk;
  }

  int textAt(size_t i, std::string& out) {
    if (!m_words[i].quoted) return fail("text expected in double quotes");
    out = m_words[i].text;
    return kResOk;
  }

  int rectAt(size_t i, Rect& r) {
    int* fields[] = {&r.x, &r.y, &r.width, &r.height};
    for (int k = 0; k < 4; ++k) {
      if (!toInt(m_words[i + k], *fields[k]))
        return fail("bad number '" + m_words[i + k].text + "'");
    }
    if (r.width < 0 || r.height < 0) return fail("negative size");
    return kResOk;
  }

  template <size_t N>
  int stylesFrom(size_t i, const StyleName (&table)[N], uint32_t& style) {
    for (; i < m_words.size(); ++i) {
      const StyleName* found = nullptr;
      for (const StyleName& s : table) {
        if (!m_words[i].quoted && m_words[i].text == s.name) found = &s;
      }
      if (!found) return fail("unknown style '" + m_words[i].text + "'");
      style |= found->bit;
    }
    return kResOk;
  }

  int stringLine() {
    int id = 0;
    int rc = idAndCount(3, 3, id);
    if (rc != kResOk) return rc;
    std::string text;
    rc = textAt(2, text);
    if (rc != kResOk) return rc;
    if (!m_b.m_strings.emplace(id, std::move(text)).second) return fail("duplicate string id");
    return kResOk;
  }

  int imageLine() {
    int id = 0;
    int rc = idAndCount(3, 3, id);
    if (rc != kResOk) return rc;
    ImageResource img;
    img.id = id;
    rc = textAt(2, img.path);
    if (rc != kResOk) return rc;
    img.path = (std::filesystem::path(m_baseDir) / img.path).string();
    std::ifstream f(img.path, std::ios::binary);
    if (!f) return fail("image file '" + img.path + "' cannot be read", kResNotFound);
    img.bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (!m_b.m_images.emplace(id, std::move(img)).second) return fail("duplicate image id");
    return kResOk;
  }

  int dialogStart() {
    DialogTemplate d;
    int rc = idAndCount(7, 9, d.id);
    if (rc != kResOk) return rc;
    rc = rectAt(2, d.rect);
    if (rc != kResOk) return rc;
    rc = textAt(6, d.caption);
    if (rc != kResOk) return rc;
    rc = stylesFrom(7, kDialogStyles, d.style);
    if (rc != kResOk) return rc;
    auto [it, fresh] = m_b.m_dialogs.emplace(d.id, std::move(d));
    if (!fresh) return fail("duplicate dialog id");
    m_dialogP = &it->second;
    return kResOk;
  }

  int dialogLine() {
    if (m_words[0].text == "end" && m_words.size() == 1) {
      m_dialogP = nullptr;
      return kResOk;
    }
    ControlTemplate c;
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds) {
      if (m_words[0].text == k.name) kind = &k;
    }
    if (!kind) return fail("unknown control kind '" + m_words[0].text + "'");
    c.kind = kind->kind;
    int rc = idAndCount(7, 7 + std::size(kControlStyles), c.id);
    if (rc != kResOk) return rc;
    rc = rectAt(2, c.rect);
    if (rc != kResOk) return rc;
    rc = textAt(6, c.text);
    if (rc != kResOk) return rc;
    rc = stylesFrom(7, kControlStyles, c.style);
    if (rc != kResOk) return rc;
    if (c.id != -1 && m_dialogP->control(c.id)) return fail("duplicate control id");
    m_dialogP->controls.push_back(std::move(c));
    return kResOk;
  }

  int menuStart() {
    MenuTemplate m;
    int rc = idAndCount(2, 2, m.id);
    if (rc != kResOk) return rc;
    auto [it, fresh] = m_b.m_menus.emplace(m.id, std::move(m));
    if (!fresh) return fail("duplicate menu id");
    m_menuStack.push_back(&it->second.items);
    return kResOk;
  }

  int menuLine() {
    const std::string& head = m_words[0].text;
    std::vector<MenuItem>& items = *m_menuStack.back();
    MenuItem item;
    if (head == "end" && m_words.size() == 1) {
      m_menuStack.pop_back();
      return kResOk;
    }
    if (head == "separator" && m_words.size() == 1) {
      item.kind = MenuItem::Kind::Separator;
      items.push_back(std::move(item));
      return kResOk;
    }
    if (head == "popup" && m_words.size() == 2) {
      item.kind = MenuItem::Kind::Popup;
      int rc = textAt(1, item.text);
      if (rc != kResOk) return rc;
      items.push_back(std::move(item));
      m_menuStack.push_back(&items.back().children);
      return kResOk;
    }
    if (head != "item") return fail("unknown menu line '" + head + "'");
    int rc = idAndCount(3, 5, item.id);
    if (rc != kResOk) return rc;
    rc = textAt(2, item.text);
    if (rc != kResOk) return rc;
    for (size_t i = 3; i < m_words.size(); ++i) {
      const std::string& w = m_words[i].text;
      if (w == "disabled") {
        item.disabled = true;
      } else if (w == "checked") {
        item.checked = true;
      } else if (w == "checkable") {
        item.checkable = true;
      } else {
        return fail("unknown menu style '" + w + "'");
      }
    }
    items.push_back(std::move(item));
    return kResOk;
  }

  int toolbarStart() {
    ToolbarTemplate t;
    int rc = idAndCount(4, 4, t.id);
    if (rc != kResOk) return rc;
    if (!toInt(m_words[2], t.imageId) || !toInt(m_words[3], t.buttonWidth) || t.buttonWidth <= 0) {
      return fail("bad image id or button width");
    }
    auto [it, fresh] = m_b.m_toolbars.emplace(t.id, std::move(t));
    if (!fresh) return fail("duplicate toolbar id");
    m_toolbarP = &it->second;
    return kResOk;
  }

  int toolbarLine() {
    const std::string& head = m_words[0].text;
    if ((head == "end" || head == "separator") && m_words.size() == 1) {
      if (head == "end") m_toolbarP = nullptr;
      if (head == "separator") m_toolbarP->buttons.push_back(0);
      return kResOk;
    }
    if (head != "button") return fail("unknown toolbar line '" + head + "'");
    int id = 0;
    int rc = idAndCount(2, 2, id);
    if (rc != kResOk) return rc;
    if (id == 0) return fail("button id 0 is the separator");
    m_toolbarP->buttons.push_back(id);
    return kResOk;
  }

  ResourceBundle& m_b;
  std::string m_name;
  std::string m_baseDir;
  int m_line = 0;
  std::string m_why;
  std::vector<Word> m_words;
  DialogTemplate* m_dialogP = nullptr;
  std::vector<std::vector<MenuItem>*> m_menuStack;  // the menu's item list, then nested popups
  ToolbarTemplate* m_toolbarP = nullptr;
};

const ControlTemplate* DialogTemplate::control(int controlId) const {
  for (const ControlTemplate& c : controls) {
    if (c.id == controlId) return &c;
  }
  return nullptr;
}

int ResourceBundle::parse(const std::string& text, const std::string& name,
                          const std::string& baseDir, std::shared_ptr<const ResourceBundle>& out,
                          std::string* whyP) {
  auto b = std::make_shared<ResourceBundle>();
  b->m_path = name;
  BundleParser parser(*b, name, baseDir);
  int rc = parser.run(text);
  if (whyP) *whyP = parser.why();
  if (rc != kResOk) return rc;
  out = std::move(b);
  return kResOk;
}

int ResourceBundle::load(const std::string& path, std::shared_ptr<const ResourceBundle>& out,
                         std::string* whyP) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    if (whyP) *whyP = path + ": cannot be read";
    return kResNotFound;
  }
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::string dir = std::filesystem::path(path).parent_path().string();
  return parse(text, path, dir, out, whyP);
}

template <class M>
static const typename M::mapped_type* find(const M& m, int id) {
  auto it = m.find(id);
  return it == m.end() ? nullptr : &it->second;
}

const std::string* ResourceBundle::string(int id) const {
  return find(m_strings, id);
}
const DialogTemplate* ResourceBundle::dialog(int id) const {
  return find(m_dialogs, id);
}
const MenuTemplate* ResourceBundle::menu(int id) const {
  return find(m_menus, id);
}
const ToolbarTemplate* ResourceBundle::toolbar(int id) const {
  return find(m_toolbars, id);
}
const ImageResource* ResourceBundle::image(int id) const {
  return find(m_images, id);
}

namespace {
std::mutex gCurrentMutex;
std::shared_ptr<const ResourceBundle> gCurrent;  // guarded by gCurrentMutex
}  // namespace

std::shared_ptr<const ResourceBundle> setCurrentResources(
    std::shared_ptr<const ResourceBundle> bundle) {
  std::lock_guard<std::mutex> lock(gCurrentMutex);
  std::swap(gCurrent, bundle);
  return bundle;
}

std::shared_ptr<const ResourceBundle> currentResources() {
  std::lock_guard<std::mutex> lock(gCurrentMutex);
  return gCurrent;
}

std::optional<std::string> resString(int id) {
  std::shared_ptr<const ResourceBundle> b = currentResources();
  const std::string* s = b ? b->string(id) : nullptr;
  if (!s) return std::nullopt;
  return *s;
}

}  // namespace zkui
