#include "skin/skin_format.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "core/codepage.h"
#include "core/file_read.h"
#include "core/paths.h"
#include "image/image_loader.h"
#include "image/image_types.h"

namespace lumora::skin {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, kSkinSectionCount> kSectionNames = {
    "FORM",     "PANEL", "TOOLBAR", "STATUSBAR",   "GAUGE",    "TRACKBAR", "BUTTON", "SPEEDBUTTON",
    "CHECKBOX", "COMBOBOX", "EDIT", "PAGECONTROL", "TABSHEET", "GROUPBOX", "HINT",   "ICOLINE",
};

// A line longer than this is not a line a skin needs; it is reported instead of being read.
constexpr size_t kMaxLineBytes = 4096;

std::string_view trim(std::string_view s) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<int> parseInt(std::string_view s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// The text of the file as UTF-8, however a Windows editor saved it.
std::string decodeText(std::string_view bytes) {
  if (const auto bom = core::byteOrderMark(bytes)) return core::toUtf8(bytes.substr(bom->length), bom->codePage);
  if (core::isValidUtf8(bytes)) return std::string(bytes);
  return core::toUtf8(bytes, core::kDefaultLegacyCodePage);
}

enum class KeyKind { Color, OptionalColor, Integer, Boolean, Text, Image };
struct KeyInfo {
  std::string_view name;
  KeyKind kind;
  int min = 0, max = 0;  // for integers
  bool inherited = true;  // colours and font come from the parent section when absent
};

constexpr KeyInfo kKeys[] = {
    {"Color", KeyKind::Color},
    {"HotColor", KeyKind::Color},
    {"PressedColor", KeyKind::Color},
    {"DisabledColor", KeyKind::Color},
    {"GradientColor", KeyKind::OptionalColor},
    {"BorderColor", KeyKind::Color},
    {"BorderWidth", KeyKind::Integer, 0, 4, false},
    {"Radius", KeyKind::Integer, 0, 12, false},
    {"FontColor", KeyKind::Color},
    {"HotFontColor", KeyKind::Color},
    {"DisabledFontColor", KeyKind::Color},
    {"SelectionColor", KeyKind::Color},
    {"SelectionFontColor", KeyKind::Color},
    {"FontName", KeyKind::Text},
    {"FontSize", KeyKind::Integer, 0, 36},
    {"FontBold", KeyKind::Boolean},
    {"Image", KeyKind::Image, 0, 0, false},
};
constexpr size_t kKeyCount = std::size(kKeys);

const KeyInfo* findKey(std::string_view name, size_t& index) {
  for (size_t i = 0; i < kKeyCount; ++i) {
    if (core::equalsIgnoreAsciiCase(kKeys[i].name, name)) {
      index = i;
      return &kKeys[i];
    }
  }
  return nullptr;
}

// Copies key `index` of `from` into `to`.
void copyKey(size_t index, const SectionLook& from, SectionLook& to) {
  switch (index) {
    case 0: to.Color = from.Color; break;
    case 1: to.HotColor = from.HotColor; break;
    case 2: to.PressedColor = from.PressedColor; break;
    case 3: to.DisabledColor = from.DisabledColor; break;
    case 4: to.GradientColor = from.GradientColor; break;
    case 5: to.BorderColor = from.BorderColor; break;
    case 6: to.BorderWidth = from.BorderWidth; break;
    case 7: to.Radius = from.Radius; break;
    case 8: to.FontColor = from.FontColor; break;
    case 9: to.HotFontColor = from.HotFontColor; break;
    case 10: to.DisabledFontColor = from.DisabledFontColor; break;
    case 11: to.SelectionColor = from.SelectionColor; break;
    case 12: to.SelectionFontColor = from.SelectionFontColor; break;
    case 13: to.FontName = from.FontName; break;
    case 14: to.FontSize = from.FontSize; break;
    case 15: to.FontBold = from.FontBold; break;
    case 16: to.Image = from.Image; break;
  }
}

// What one section's lines set: the values and which keys were given.
struct SectionValues {
  SectionLook look;
  std::array<bool, kKeyCount> given{};
  std::array<int, kKeyCount> line{};
};

// A picture name must stay beside Options.dat: no folders, no way up.
bool plainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\\') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// A skin picture: small, and in a format our decoders read without an animation (PNG, BMP, JPEG).
std::shared_ptr<const image::TBitmap> readSkinImage(const fs::path& file, std::string& reason) {
  std::string error;
  const auto bytes = core::readRegularFile(file, kMaxSkinImageBytes, &error);
  if (!bytes) {
    reason = error.substr(error.rfind(": ") + 2);
    return nullptr;
  }
  const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
  image::DecodeLimits limits;
  limits.MaxPixels = uint64_t(kMaxSkinImageSide) * kMaxSkinImageSide;
  const auto info = image::ReadImageInfo(data, bytes->size(), limits, &error);
  if (!info) {
    reason = error.empty() ? "not a picture" : error;
    return nullptr;
  }
  if (info->Format != image::TImageFormat::Png && info->Format != image::TImageFormat::Bmp &&
      info->Format != image::TImageFormat::Jpeg) {
    reason = "not a PNG, BMP or JPEG picture";
    return nullptr;
  }
  if (info->Width > kMaxSkinImageSide || info->Height > kMaxSkinImageSide) {
    reason = std::to_string(info->Width) + " x " + std::to_string(info->Height) + " pixels, more than " +
             std::to_string(kMaxSkinImageSide) + " a side";
    return nullptr;
  }
  int transparency = 0;
  std::shared_ptr<image::TMask> mask;
  auto bitmap = image::DecodeImageStream(data, bytes->size(), transparency, mask, &error);
  if (!bitmap || bitmap->Width <= 0 || bitmap->Height <= 0) {
    reason = error.empty() ? "cannot be decoded" : error;
    return nullptr;
  }
  return bitmap;
}

SkinData makeBuiltInSkin() {
  SkinData d;
  d.Name = std::string(kBuiltInSkinName);
  d.Author = "Lumora";
  d.Description = "Blue-grey, light; the look of the window definitions";
  const auto set = [&](SkinSection s, SectionLook look) { d.look(s) = std::move(look); };
  SectionLook form;
  form.Color = 0xD9E8ED;
  form.HotColor = 0xE9F3F6;
  form.PressedColor = 0xBCD3DB;
  form.DisabledColor = 0xE2EBEE;
  form.BorderColor = 0x8FAAB5;
  form.BorderWidth = 1;
  form.FontColor = 0x14232B;
  form.HotFontColor = 0x0B3C57;
  form.DisabledFontColor = 0x8A9AA2;
  form.SelectionColor = 0x3D7FA6;
  form.SelectionFontColor = 0xFFFFFF;
  set(SkinSection::Form, form);

  SectionLook panel = form;
  set(SkinSection::Panel, panel);

  SectionLook toolbar = form;
  toolbar.Color = 0xF0F6F8;
  toolbar.GradientColor = 0xC6DAE2;
  toolbar.BorderColor = 0x8FAAB5;
  set(SkinSection::ToolBar, toolbar);

  SectionLook status = form;
  status.Color = 0xC6DAE2;
  status.GradientColor = 0xB5CDD7;
  set(SkinSection::StatusBar, status);

  SectionLook gauge = form;
  gauge.Color = 0xFFFFFF;
  gauge.Radius = 2;
  set(SkinSection::Gauge, gauge);

  SectionLook track = form;
  track.Color = 0xF3F8FA;
  track.GradientColor = 0xC3D7DF;
  track.PressedColor = 0xFFFFFF;
  track.Radius = 3;
  set(SkinSection::TrackBar, track);

  SectionLook button = form;
  button.Color = 0xF6FAFB;
  button.GradientColor = 0xCADDE4;
  button.HotColor = 0xE4F3FA;
  button.PressedColor = 0xB3CDD8;
  button.BorderColor = 0x6F8F9C;
  button.Radius = 3;
  set(SkinSection::Button, button);

  SectionLook speed = button;
  speed.BorderColor = 0x7E9EAB;
  set(SkinSection::SpeedButton, speed);

  SectionLook check = form;
  check.Color = 0xFFFFFF;
  check.HotColor = 0xE9F5FA;
  check.Radius = 2;
  set(SkinSection::CheckBox, check);

  SectionLook edit = form;
  edit.Color = 0xFFFFFF;
  edit.HotColor = 0xFFFFFF;
  edit.DisabledColor = 0xECF1F3;
  edit.Radius = 2;
  set(SkinSection::Edit, edit);
  SectionLook combo = edit;
  set(SkinSection::ComboBox, combo);

  SectionLook pages = form;
  pages.Color = 0xC9DCE3;
  pages.HotColor = 0xE4F1F5;
  pages.PressedColor = 0xEEF5F7;
  pages.Radius = 3;
  set(SkinSection::PageControl, pages);
  SectionLook sheet = pages;
  sheet.Color = 0xEEF5F7;
  set(SkinSection::TabSheet, sheet);

  SectionLook group = form;
  group.Radius = 3;
  set(SkinSection::GroupBox, group);

  SectionLook hint = form;
  hint.Color = 0xFCFBC2;
  hint.FontColor = 0x000000;
  hint.BorderColor = 0x000000;
  set(SkinSection::Hint, hint);

  SectionLook icons = form;
  icons.Color = 0xC6DAE2;
  icons.BorderWidth = 0;
  set(SkinSection::IcoLine, icons);
  return d;
}

}  // namespace

std::string_view sectionName(SkinSection section) { return kSectionNames[static_cast<size_t>(section)]; }

std::optional<SkinSection> sectionByName(std::string_view name) {
  for (size_t i = 0; i < kSectionNames.size(); ++i) {
    if (core::equalsIgnoreAsciiCase(kSectionNames[i], name)) return static_cast<SkinSection>(i);
  }
  return std::nullopt;
}

std::optional<SkinSection> parentSection(SkinSection section) {
  switch (section) {
    case SkinSection::Form: return std::nullopt;
    case SkinSection::SpeedButton: return SkinSection::Button;
    case SkinSection::ComboBox: return SkinSection::Edit;
    case SkinSection::TabSheet: return SkinSection::PageControl;
    default: return SkinSection::Form;
  }
}

const SkinData& builtInSkin() {
  static const SkinData skin = makeBuiltInSkin();
  return skin;
}

std::string SkinProblem::text() const {
  return Line > 0 ? File + ":" + std::to_string(Line) + ": " + Message : File + ": " + Message;
}

bool SkinReadResult::usable() const {
  return std::none_of(Problems.begin(), Problems.end(), [](const SkinProblem& p) { return p.Fatal; });
}

std::optional<SkinColor> parseSkinColor(std::string_view text) {
  if (text.size() != 4 && text.size() != 7) return std::nullopt;
  if (text[0] != '#') return std::nullopt;
  SkinColor value = 0;
  for (char c : text.substr(1)) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * 16 + static_cast<SkinColor>(digit);
    if (text.size() == 4) value = value * 16 + static_cast<SkinColor>(digit);  // "#abc" = "#aabbcc"
  }
  return value;
}

SkinReadResult parseSkinOptions(std::string_view bytes, const std::string& fileName) {
  SkinReadResult result;
  const auto problem = [&](int line, std::string message, bool fatal = true) {
    result.Problems.push_back({fileName, line, std::move(message), fatal});
  };
  const std::string text = decodeText(bytes);

  std::array<SectionValues, kSkinSectionCount> values{};
  std::array<bool, kSkinSectionCount> seenSection{};
  enum class Where { None, Skin, Section, Unknown } where = Where::None;
  SectionValues* current = nullptr;
  bool seenSkinSection = false;
  std::array<bool, 3> seenSkinKey{};

  size_t pos = 0;
  int lineNumber = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view raw(text.data() + pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (raw.size() > kMaxLineBytes) {
      problem(lineNumber, "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
      continue;
    }
    // A ";" at the start or after a space begins a comment; a font or file name may hold one elsewhere.
    std::string_view line = trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (const size_t c = line.find(" ;"); c != std::string_view::npos) line = trim(line.substr(0, c));
    if (const size_t c = line.find("\t;"); c != std::string_view::npos) line = trim(line.substr(0, c));

    if (line.front() == '[') {
      if (line.back() != ']') {
        problem(lineNumber, "section header without \"]\"");
        where = Where::Unknown;
        continue;
      }
      const std::string_view name = trim(line.substr(1, line.size() - 2));
      if (core::equalsIgnoreAsciiCase(name, "SKIN")) {
        if (seenSkinSection) problem(lineNumber, "section [SKIN] appears twice");
        seenSkinSection = true;
        where = Where::Skin;
      } else if (const auto section = sectionByName(name)) {
        const auto index = static_cast<size_t>(*section);
        if (seenSection[index]) problem(lineNumber, "section [" + std::string(kSectionNames[index]) + "] appears twice");
        seenSection[index] = true;
        current = &values[index];
        where = Where::Section;
      } else {
        problem(lineNumber, "unknown section [" + std::string(name) + "] (ignored)", false);
        where = Where::Unknown;
      }
      continue;
    }

    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      problem(lineNumber, "expected \"Key=value\" or \"[SECTION]\"");
      continue;
    }
    const std::string_view key = trim(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);

    if (where == Where::None) {
      problem(lineNumber, "\"" + std::string(key) + "\" before the first section");
      continue;
    }
    if (where == Where::Unknown) continue;
    if (where == Where::Skin) {
      static constexpr std::string_view skinKeys[] = {"Version", "Author", "Description"};
      size_t k = 0;
      while (k < 3 && !core::equalsIgnoreAsciiCase(skinKeys[k], key)) ++k;
      if (k == 3) {
        problem(lineNumber, "unknown key \"" + std::string(key) + "\" in [SKIN] (ignored)", false);
        continue;
      }
      if (seenSkinKey[k]) problem(lineNumber, "\"" + std::string(skinKeys[k]) + "\" is given twice in [SKIN]");
      seenSkinKey[k] = true;
      if (k == 0) {
        if (value != "1") problem(lineNumber, "Version " + std::string(value) + " is not known; this reader reads Version=1");
      } else if (k == 1) {
        result.Data.Author = std::string(value);
      } else {
        result.Data.Description = std::string(value);
      }
      continue;
    }

    size_t index = 0;
    const KeyInfo* info = findKey(key, index);
    if (info == nullptr) {
      problem(lineNumber, "unknown key \"" + std::string(key) + "\" (ignored)", false);
      continue;
    }
    if (current->given[index]) {
      problem(lineNumber, "\"" + std::string(info->name) + "\" is given twice in this section");
      continue;
    }
    SectionLook& look = current->look;
    const std::string keyName(info->name);
    switch (info->kind) {
      case KeyKind::Color:
      case KeyKind::OptionalColor: {
        const bool none = info->kind == KeyKind::OptionalColor && core::equalsIgnoreAsciiCase(value, "none");
        const auto color = parseSkinColor(value);
        if (!none && !color) {
          problem(lineNumber, keyName + ": \"" + std::string(value) + "\" is not a colour (write #RRGGBB)");
          continue;
        }
        SkinColor c = color.value_or(0);
        switch (index) {
          case 0: look.Color = c; break;
          case 1: look.HotColor = c; break;
          case 2: look.PressedColor = c; break;
          case 3: look.DisabledColor = c; break;
          case 4: look.GradientColor = none ? std::nullopt : std::optional<SkinColor>(c); break;
          case 5: look.BorderColor = c; break;
          case 8: look.FontColor = c; break;
          case 9: look.HotFontColor = c; break;
          case 10: look.DisabledFontColor = c; break;
          case 11: look.SelectionColor = c; break;
          case 12: look.SelectionFontColor = c; break;
        }
        break;
      }
      case KeyKind::Integer: {
        const auto n = parseInt(value);
        if (!n || *n < info->min || *n > info->max) {
          problem(lineNumber, keyName + ": \"" + std::string(value) + "\" is not a whole number from " +
                                  std::to_string(info->min) + " to " + std::to_string(info->max));
          continue;
        }
        if (index == 6) look.BorderWidth = *n;
        if (index == 7) look.Radius = *n;
        if (index == 14) look.FontSize = *n;
        break;
      }
      case KeyKind::Boolean:
        if (value != "0" && value != "1") {
          problem(lineNumber, keyName + ": \"" + std::string(value) + "\" is neither 0 nor 1");
          continue;
        }
        look.FontBold = value == "1";
        break;
      case KeyKind::Text:
        if (value.size() > 64) {
          problem(lineNumber, keyName + ": a font name of more than 64 bytes");
          continue;
        }
        look.FontName = std::string(value);
        break;
      case KeyKind::Image:
        if (!value.empty() && !plainFileName(value)) {
          problem(lineNumber, keyName + ": \"" + std::string(value) + "\" must be a file name beside Options.dat");
          continue;
        }
        look.Image = std::string(value);
        break;
    }
    current->given[index] = true;
    current->line[index] = lineNumber;
  }
  if (seenSkinSection && !seenSkinKey[0]) problem(0, "[SKIN] has no Version=1", false);

  // Parents first: FORM, then the sections that start from it, then those that start from one of them.
  const SkinData& base = builtInSkin();
  std::vector<SkinSection> order;
  for (int depth = 0; depth < 3; ++depth) {
    for (int i = 0; i < kSkinSectionCount; ++i) {
      const auto section = static_cast<SkinSection>(i);
      int d = 0;
      for (auto p = parentSection(section); p; p = parentSection(*p)) ++d;
      if (d == depth) order.push_back(section);
    }
  }
  for (const SkinSection section : order) {
    const auto i = static_cast<size_t>(section);
    const auto parent = parentSection(section);
    SectionLook look = base.look(section);
    for (size_t k = 0; k < kKeyCount; ++k) {
      if (values[i].given[k]) {
        copyKey(k, values[i].look, look);
      } else if (kKeys[k].inherited && parent) {
        // A section the skin leaves out looks like its parent in this skin, not like the built-in one.
        copyKey(k, result.Data.look(*parent), look);
      }
    }
    result.Data.look(section) = std::move(look);
  }
  return result;
}

SkinReadResult readSkinFolder(const fs::path& folder) {
  const fs::path options = folder / std::string(kSkinMarkerFile);
  const std::string shown = options.string();
  std::string error;
  const auto bytes = core::readRegularFile(options, kMaxSkinFileBytes, &error);
  SkinReadResult result;
  if (!bytes) {
    result.Problems.push_back({shown, 0, error.empty() ? "cannot be read" : error.substr(error.rfind(": ") + 2), true});
    return result;
  }
  result = parseSkinOptions(*bytes, shown);
  result.Data.Name = folder.filename().string();
  if (result.Data.Name.empty()) result.Data.Name = folder.parent_path().filename().string();
  result.Data.Folder = folder;
  for (int i = 0; i < kSkinSectionCount; ++i) {
    const std::string& image = result.Data.Sections[i].Image;
    if (image.empty()) continue;
    std::string reason;
    if (auto bitmap = readSkinImage(core::resolveCaseInsensitive(folder / image), reason)) {
      result.Images[i] = std::move(bitmap);
    } else {
      result.Problems.push_back({shown, 0, "[" + std::string(kSectionNames[i]) + "] Image " + image + ": " + reason});
    }
  }
  return result;
}

std::string resolveSkinDirectory(std::string_view value, std::string_view exeFolder) {
  if (value.empty()) return {};
  std::string folder(exeFolder);
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  std::string resolved;
  if (value.substr(0, 2) == "..") {
    // The parent of the executable's folder, with its separator.
    std::string parent = folder.substr(0, folder.empty() ? 0 : folder.size() - 1);
    const size_t cut = parent.find_last_of("/\\");
    parent = cut == std::string::npos ? std::string() : parent.substr(0, cut + 1);
    resolved = parent + std::string(value.size() > 3 ? value.substr(3) : std::string_view());
  } else if (value.substr(0, 2) == ".\\" || value.substr(0, 2) == "./") {
    resolved = folder + std::string(value.substr(2));
  } else if (value.front() != '/' && value.find(':') == std::string_view::npos) {
    // A path from the root is absolute here, as a path with a drive is on Windows.
    resolved = folder + std::string(value);
  } else {
    resolved = std::string(value);
  }
  if (resolved.back() == '/') {
    resolved.back() = '\\';
  } else if (resolved.size() == 1) {
    resolved += ":\\";
  } else if (resolved.back() != '\\') {
    resolved += '\\';
  }
  return resolved;
}

std::vector<std::string> skinFolderNames(std::string_view folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  const fs::path dir = core::resolveCaseInsensitive(fs::path(core::toLocalSeparators(folder)));
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return names;
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    std::error_code e;
    if (!entry.is_directory(e)) continue;
    if (fs::exists(core::resolveCaseInsensitive(entry.path() / std::string(kSkinMarkerFile)), e)) names.push_back(name);
  }
  return names;
}

}  // namespace lumora::skin
