#pragma once
// The settings file: each read and each write goes to the file at once, as the program's profile
// functions do; nothing is cached between calls. A write replaces the file atomically (a temporary file
// beside it, then a rename), so a crash or a full disk never leaves a truncated settings file.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/codepage.h"

namespace lumora::settings {

// "Unable to write to %s" with the settings file's full path.
class ESettingsWriteError : public std::runtime_error {
 public:
  explicit ESettingsWriteError(const std::filesystem::path& file);
};

class TIniFile {
 public:
  // Longest value a read returns, in characters; longer values are cut.
  static constexpr size_t kMaxValueLength = 2047;

  explicit TIniFile(std::filesystem::path fileName, int legacyCodePage = core::kDefaultLegacyCodePage);

  const std::filesystem::path& FileName() const { return fileName_; }

  // Why the settings file cannot be read ("Unable to read <path>: a folder"), or an empty string when it can
  // be read or does not exist. Only regular files of at most core::kMaxTextFileBytes are read; for any other
  // name the reads give their defaults and the writes fail, so it is never replaced.
  std::string readProblem() const;

  std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
  bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Each throws ESettingsWriteError when the file cannot be written; the file is then left as it was.
  void writeString(std::string_view section, std::string_view key, std::string_view value);
  void writeInteger(std::string_view section, std::string_view key, int value);
  void writeBool(std::string_view section, std::string_view key, bool value);

 private:
  // The file's bytes, an empty text when there is no file, or nullopt (with `problem` set when given) for a
  // name that is not a regular file within the limit.
  std::optional<std::string> readBytes(std::string* problem = nullptr) const;
  void replaceFile(const std::string& bytes) const;

  std::filesystem::path fileName_;
  int legacyCodePage_;
};

}  // namespace lumora::settings
