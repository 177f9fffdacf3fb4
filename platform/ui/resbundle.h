// Resource bundles: the dialogs, strings, menus, tool bars and images of a windowed program,
// addressed by numeric id and loaded from a file at run time.
//
// A bundle is one UTF-8 text file; the images it names are PNG files beside it. One statement a
// line, words separated by blanks, texts in double quotes (escapes \" \\ \n \t), '#' starts a
// comment line. Rectangles are x y width height in pixels.
//
//   string  <id> "text"
//   image   <id> "file.png"                  (magenta 255,0,255 is the transparent key)
//   dialog  <id> <x> <y> <w> <h> "caption" [child] [resizable]
//     <kind> <id> <x> <y> <w> <h> "text" [style...]     (one line per control)
//   end
//   menu    <id>
//     popup "text" ... end | item <id> "text" [disabled] [checked] [checkable] | separator
//   end
//   toolbar <id> <imageId> <buttonWidth>
//     button <id> | separator
//   end
//
// Control kinds: static edit button check radio group combo list listview tree tab progress
// spin picture date time (a picture's text is the decimal id of its image; date and time are
// pickers, datetime.h). Control styles: group (starts a radio group), default (the default push
// button), multiline password readonly number disabled hidden droplist sort border center right
// autobuddy (a spin's buddy is the control before it) single (a list view selects one row).
//
// Heights: at the layer's default font (Sans 10, 17 pixels a line) and its compact control
// style (uiapp.h), a control shows its text unclipped from the kMin...Height below; smaller
// heights cut the descenders or the frame. A spin shows whole from 12x16 pixels.
//
// Contract: a loaded bundle is immutable and may be read from any thread. Look-ups return null
// for an absent id, so an absent string differs from an empty one. Loading reports a missing
// bundle or image as kResNotFound and any malformed line as kResBadFormat, with the reason
// ("file:line: what") in *whyP.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zkui {

enum ResRc { kResOk = 0, kResNotFound = 1, kResBadFormat = 2 };

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool operator==(const Rect&) const = default;
};

enum class ControlKind {
  Static,
  Edit,
  Button,
  Check,
  Radio,
  Group,
  Combo,
  List,
  ListView,
  Tree,
  Tab,
  Progress,
  Spin,
  Picture,
  Date,
  Time
};

// The least heights, in pixels, that show a control's text unclipped at the default font.
constexpr int kMinStaticHeight = 17;  // one line of a static text
constexpr int kMinEditHeight = 22;    // a one-line edit, a date or time picker
constexpr int kMinButtonHeight = 25;
constexpr int kMinCheckHeight = 18;  // check box, radio button
constexpr int kMinComboHeight = 22;  // the closed height of a combo box

// Control style bits.
enum : uint32_t {
  kStyleGroup = 1u << 0,
  kStyleDefault = 1u << 1,
  kStyleMultiline = 1u << 2,
  kStylePassword = 1u << 3,
  kStyleReadOnly = 1u << 4,
  kStyleNumber = 1u << 5,
  kStyleDisabled = 1u << 6,
  kStyleHidden = 1u << 7,
  kStyleDropList = 1u << 8,
  kStyleSort = 1u << 9,
  kStyleBorder = 1u << 10,
  kStyleCenter = 1u << 11,
  kStyleRight = 1u << 12,
  kStyleAutoBuddy = 1u << 13,
  kStyleSingle = 1u << 14,
};

// Dialog style bits.
enum : uint32_t { kDialogChild = 1u << 0, kDialogResizable = 1u << 1 };

struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::Static;
  Rect rect;
  std::string text;
  uint32_t style = 0;
};

struct DialogTemplate {
  int id = 0;
  Rect rect;
  std::string caption;
  uint32_t style = 0;
  std::vector<ControlTemplate> controls;  // in tab order
  const ControlTemplate* control(int controlId) const;
};

struct MenuItem {
  enum class Kind { Item, Separator, Popup } kind = Kind::Item;
  int id = 0;
  std::string text;
  bool disabled = false;
  bool checked = false;
  bool checkable = false;  // takes a check mark, none at first (a checked item takes one too)
  std::vector<MenuItem> children;  // of a popup
};

struct MenuTemplate {
  int id = 0;
  std::vector<MenuItem> items;
};

struct ToolbarTemplate {
  int id = 0;
  int imageId = 0;           // a strip of square buttons, buttonWidth pixels each
  int buttonWidth = 0;       // in pixels
  std::vector<int> buttons;  // command ids; 0 is a separator
};

struct ImageResource {
  int id = 0;
  std::string path;            // the file it was read from
  std::vector<uint8_t> bytes;  // the PNG file's bytes
};

class ResourceBundle {
 public:
  // Reads the bundle at `path` with its images. 0, kResNotFound or kResBadFormat.
  static int load(const std::string& path, std::shared_ptr<const ResourceBundle>& out,
                  std::string* whyP = nullptr);
  // As load, from text already in memory; image files are read relative to `baseDir`.
  static int parse(const std::string& text, const std::string& name, const std::string& baseDir,
                   std::shared_ptr<const ResourceBundle>& out, std::string* whyP = nullptr);

  const std::string& path() const { return m_path; }
  const std::string* string(int id) const;
  const DialogTemplate* dialog(int id) const;
  const MenuTemplate* menu(int id) const;
  const ToolbarTemplate* toolbar(int id) const;
  const ImageResource* image(int id) const;

 private:
  friend class BundleParser;
  std::string m_path;
  std::map<int, std::string> m_strings;
  std::map<int, DialogTemplate> m_dialogs;
  std::map<int, MenuTemplate> m_menus;
  std::map<int, ToolbarTemplate> m_toolbars;
  std::map<int, ImageResource> m_images;
};

// The current resource source: where look-ups of the program go. Any thread; the bundle stays
// alive for whoever still holds it after a switch. Returns the previous source.
std::shared_ptr<const ResourceBundle> setCurrentResources(
    std::shared_ptr<const ResourceBundle> bundle);
std::shared_ptr<const ResourceBundle> currentResources();

// A copy of the current source's string; nothing when there is no source or no such string.
std::optional<std::string> resString(int id);

}  // namespace zkui
