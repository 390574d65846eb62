#pragma once
// A skin as data, and the reader of a skin folder's "Options.dat" (no Qt, so it builds and fuzzes with the
// engine). The file is INI-style: one section per kind of control, "Key=value" lines, ";" comments.
// docs/skins.md describes it for publishers.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::image {
struct TBitmap;
}

namespace lumora::skin {

// The built-in skin, always available under this name.
inline constexpr std::string_view kBuiltInSkinName = "DID (uvuravor)";
// The file that marks a folder as a skin.
inline constexpr std::string_view kSkinMarkerFile = "Options.dat";
// Options.dat and each picture of a skin are small; anything larger is refused unread.
inline constexpr uint64_t kMaxSkinFileBytes = 1u << 20;
inline constexpr uint64_t kMaxSkinImageBytes = 8u << 20;
inline constexpr int kMaxSkinImageSide = 2048;

// The sections a skin describes: the look of each kind of control the windows use.
enum class SkinSection {
  Form,
  Panel,
  ToolBar,
  StatusBar,
  Gauge,
  TrackBar,
  Button,
  SpeedButton,
  CheckBox,
  ComboBox,
  Edit,
  PageControl,
  TabSheet,
  GroupBox,
  Hint,
  IcoLine,
};
inline constexpr int kSkinSectionCount = 16;

// "FORM", "PANEL", ... as written in Options.dat.
std::string_view sectionName(SkinSection section);
std::optional<SkinSection> sectionByName(std::string_view name);  // any letter case
// The section a section takes its colours and font from when it does not name them.
std::optional<SkinSection> parentSection(SkinSection section);

// 0xRRGGBB.
using SkinColor = uint32_t;

struct SectionLook {
  SkinColor Color = 0;          // face or background
  SkinColor HotColor = 0;       // under the mouse
  SkinColor PressedColor = 0;   // pressed, checked, the selected tab
  SkinColor DisabledColor = 0;
  std::optional<SkinColor> GradientColor;  // the face runs from Color at the top to this at the bottom
  SkinColor BorderColor = 0;
  int BorderWidth = 1;  // 0 to 4 pixels
  int Radius = 0;       // corner radius, 0 to 12 pixels
  SkinColor FontColor = 0;
  SkinColor HotFontColor = 0;
  SkinColor DisabledFontColor = 0;
  SkinColor SelectionColor = 0;  // selected text, the gauge's bar, a slider's filled part, check marks
  SkinColor SelectionFontColor = 0;
  std::string FontName;  // empty: the window's own font
  int FontSize = 0;      // points; 0: the window's own size
  bool FontBold = false;
  std::string Image;  // a picture beside Options.dat that tiles the background; empty: none
  bool operator==(const SectionLook&) const = default;
};

struct SkinData {
  std::string Name;
  std::filesystem::path Folder;  // empty for the built-in skin
  std::string Author;
  std::string Description;
  std::array<SectionLook, kSkinSectionCount> Sections{};
  const SectionLook& look(SkinSection s) const { return Sections[static_cast<size_t>(s)]; }
  SectionLook& look(SkinSection s) { return Sections[static_cast<size_t>(s)]; }
  bool operator==(const SkinData&) const = default;
};

// The data of the built-in skin "DID (uvuravor)".
const SkinData& builtInSkin();

struct SkinProblem {
  std::string File;  // as given to the reader
  int Line = 0;      // 1-based; 0 when the problem is not on one line
  std::string Message;
  bool Fatal = true;  // the skin cannot be used; otherwise a warning (an unknown key is ignored)
  // "FILE:LINE: message" (or "FILE: message").
  std::string text() const;
};

struct SkinReadResult {
  SkinData Data;
  std::vector<SkinProblem> Problems;
  // The decoded picture of each section that names one (readSkinFolder only).
  std::array<std::shared_ptr<const image::TBitmap>, kSkinSectionCount> Images{};
  bool usable() const;
};

// Reads the text of an Options.dat (`fileName` names it in the problems). UTF-8, or UTF-16/UTF-32 with a
// byte-order mark, or Windows-1251. Every section starts from its parent's colours and font and from the
// built-in skin's metrics; a key the file gives replaces that. Pictures are named, not read.
SkinReadResult parseSkinOptions(std::string_view bytes, const std::string& fileName);

// Reads the skin in `folder` (its name is the folder's name): Options.dat (a regular file of at most
// kMaxSkinFileBytes) and the pictures it names, which must be regular PNG, BMP or JPEG files beside it of
// at most kMaxSkinImageBytes and kMaxSkinImageSide pixels a side.
SkinReadResult readSkinFolder(const std::filesystem::path& folder);

// The skin folder as the settings give it, resolved against the executable's folder `exeFolder` (ending in
// a separator): "..\x" is beside the executable's folder, ".\x" and "x" are inside it, an absolute path or
// one with a drive stays as it is. The result ends in "\", as publications written on Windows expect;
// empty for an empty value.
std::string resolveSkinDirectory(std::string_view value, std::string_view exeFolder);

// The names of the sub-folders of `folder` (written with "\" or "/") that hold an Options.dat, in the order
// the file system lists them; names beginning with "." are left out. Empty when the folder does not exist.
std::vector<std::string> skinFolderNames(std::string_view folder);

// "#RRGGBB" (or "#RGB"); nullopt for anything else.
std::optional<SkinColor> parseSkinColor(std::string_view text);

}  // namespace lumora::skin
