#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include "core/file_read.h"
#include "settings/ini_text.h"

namespace fs = std::filesystem;

namespace lumora::settings {

ESettingsWriteError::ESettingsWriteError(const fs::path& file)
    : std::runtime_error("Unable to write to " + file.string()) {}

TIniFile::TIniFile(fs::path fileName, int legacyCodePage)
    : fileName_(fs::absolute(fileName).lexically_normal()), legacyCodePage_(legacyCodePage) {}

std::optional<std::string> TIniFile::readBytes(std::string* problem) const {
  std::error_code ec;
  if (!fs::exists(fileName_, ec)) return std::string();
  std::string error;
  std::optional<std::string> bytes = core::readRegularFile(fileName_, core::kMaxTextFileBytes, &error);
  if (!bytes && problem) *problem = "Unable to read " + error;
  return bytes;
}

std::string TIniFile::readProblem() const {
  std::string problem;
  readBytes(&problem);
  return problem;
}

std::string TIniFile::readString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  const IniText text(readBytes().value_or(std::string()), legacyCodePage_);
  const std::optional<std::string> value = text.value(section, key);
  std::string result = value ? *value : std::string(defaultValue);
  result.resize(core::utf8PrefixBytes(result, kMaxValueLength));
  return result;
}

int TIniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const IniText text(readBytes().value_or(std::string()), legacyCodePage_);
  const std::optional<std::string> value = text.value(section, key);
  if (!value) return defaultValue;
  return parseProfileInteger(*value).value_or(defaultValue);
}

bool TIniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  // A name that cannot be read is not replaced by a file holding this one key.
  const std::optional<std::string> bytes = readBytes();
  if (!bytes) throw ESettingsWriteError(fileName_);
  IniText text(*bytes, legacyCodePage_);
  text.setValue(section, key, value);
  replaceFile(text.bytes());
}

void TIniFile::writeInteger(std::string_view section, std::string_view key, int value) {
  writeString(section, key, std::to_string(value));
}

void TIniFile::writeBool(std::string_view section, std::string_view key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

void TIniFile::replaceFile(const std::string& bytes) const {
  std::error_code ec;
  // A settings file that is a link is updated where it really lives; the link stays.
  fs::path target = fileName_;
  if (fs::is_symlink(target, ec)) {
    const fs::path real = fs::weakly_canonical(target, ec);
    if (!ec) target = real;
  }
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  // A file the user made read-only stays untouched, as it would under an in-place write.
  if (exists && (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
    throw ESettingsWriteError(fileName_);
  }
  std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw ESettingsWriteError(fileName_);
  bool ok = true;
  size_t written = 0;
  while (ok && written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else written += static_cast<size_t>(n);
  }
  if (ok) {
    mode_t mode = 0644;
    if (exists) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ok = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  }
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(pattern.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(pattern.c_str());
    throw ESettingsWriteError(fileName_);
  }
}

}  // namespace lumora::settings
