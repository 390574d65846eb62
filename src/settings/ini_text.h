#pragma once
// The text of an INI file as the program's profile functions see it: bracketed sections, "key=value" lines,
// names matched without regard to case. Edits change only the line they concern, so every other byte of the
// file stays as it was, whatever its line ends or encoding.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::settings {

class IniText {
 public:
  // Takes the file's bytes. A file with a byte-order mark is in the encoding the mark announces (UTF-8,
  // UTF-16 or UTF-32, as Windows editors save "Unicode"); other text that is valid UTF-8 is UTF-8; anything
  // else is read in `legacyCodePage`.
  explicit IniText(std::string_view bytes, int legacyCodePage);

  // The raw value text of a key (trimmed, one pair of enclosing quotes removed), in UTF-8; nullopt when the
  // section or key is missing. The first matching section and the first matching key win.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Sets a key, replacing the first matching key line, adding the key at the end of its section, or adding
  // the section at the end of the file. Line breaks in `value` become spaces so a value stays one line.
  void setValue(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes after the edits, in the file's own encoding (with its byte-order mark, if it had one).
  std::string bytes() const;

  // The file's encoding: 65001 for UTF-8, 1200 or 1201 for UTF-16 and 12000 or 12001 for UTF-32 (little-
  // or big-endian), else the legacy code page it is kept in.
  int codePage() const { return wideCodePage_ != 0 ? wideCodePage_ : codePage_; }

 private:
  struct Line {
    std::string raw;         // bytes in the file's encoding, without the line end
    std::string terminator;  // "\r\n", "\n" or "" for a last line without a line end
  };

  std::string decode(const Line& line) const;
  void appendLine(std::string_view utf8);
  void insertLine(size_t index, std::string_view utf8);
  std::string encode(std::string_view utf8);
  std::optional<size_t> findSection(std::string_view section) const;
  std::optional<size_t> findKey(size_t sectionLine, std::string_view key) const;
  size_t sectionEnd(size_t sectionLine) const;

  std::vector<Line> lines_;
  std::string eol_ = "\n";
  int codePage_;  // of the lines: 65001 or the legacy code page
  bool bom_ = false;
  // A UTF-16 or UTF-32 file: its lines are held in UTF-8 and written back in this code page.
  int wideCodePage_ = 0;
};

// Parses an integer the way the settings are read: a signed decimal number, or, for a value of more than
// two characters beginning with "0x" or "0X", a hexadecimal one of up to 32 bits. nullopt when it does not
// parse or does not fit in 32 bits.
std::optional<int> parseProfileInteger(std::string_view text);

}  // namespace lumora::settings
