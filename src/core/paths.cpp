#include "core/paths.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace lumora::core {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

fs::path searchPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view rest(path);
  while (true) {
    const size_t colon = rest.find(':');
    const std::string dir(rest.substr(0, colon));
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return fs::absolute(candidate).lexically_normal();
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

}  // namespace

fs::path invokedExecutablePath(const char* argv0) {
  const std::string invoked = argv0 != nullptr ? argv0 : "";
  fs::path exe;
  if (invoked.find('/') != std::string::npos) {
    exe = fs::absolute(invoked).lexically_normal();
  } else if (!invoked.empty()) {
    exe = searchPath(invoked);
  }
  if (exe.empty()) {
    std::error_code ec;
    exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) exe = fs::absolute("lumora");
  }
  const char* override = std::getenv(kAppFolderVariable);
  if (override != nullptr && *override != '\0') {
    exe = fs::absolute(override).lexically_normal() / exe.filename();
  }
  return exe;
}

std::string folderWithSeparator(const fs::path& executable) {
  std::string folder = executable.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

fs::path settingsFileFor(const fs::path& executable) {
  fs::path ini = executable;
  ini.replace_extension(".ini");
  return ini;
}

std::string toLocalSeparators(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

int compareIgnoreAsciiCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(lowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

fs::path resolveCaseInsensitive(const fs::path& path) {
  std::error_code ec;
  if (path.empty() || fs::exists(path, ec)) return path;
  fs::path current = path.root_path();
  for (const fs::path& part : path.relative_path()) {
    const fs::path exact = current.empty() ? part : current / part;
    if (fs::exists(exact, ec) || part == "." || part == "..") {
      current = exact;
      continue;
    }
    const fs::path dir = current.empty() ? fs::path(".") : current;
    bool found = false;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (equalsIgnoreAsciiCase(name, part.string())) {
        current = current.empty() ? fs::path(name) : current / name;
        found = true;
        break;
      }
    }
    if (!found) return path;
  }
  return current;
}

}  // namespace lumora::core
