#pragma once
// Where the program's files are, and how publication paths written on Windows are found on Linux.

#include <filesystem>
#include <string>
#include <string_view>

namespace lumora::core {

// Environment variable that, when set, replaces the executable's folder as the publication folder.
inline constexpr const char* kAppFolderVariable = "LUMORA_APP_FOLDER";

// The executable's path as it was started (argv[0], made absolute, or found on PATH) without following
// symbolic links, so a link to the program inside a publication folder runs that publication.
// With LUMORA_APP_FOLDER set, the executable is taken to sit in that folder.
std::filesystem::path invokedExecutablePath(const char* argv0);

// The folder of `executable` as a string that ends with "/".
std::string folderWithSeparator(const std::filesystem::path& executable);

// The executable's path with its extension replaced by ".ini".
std::filesystem::path settingsFileFor(const std::filesystem::path& executable);

// Publications come from Windows: "\" separates folders as "/" does.
std::string toLocalSeparators(std::string_view path);

// `path` itself when it exists; otherwise the existing path that matches it component by component
// without regard to ASCII case; otherwise `path` unchanged.
std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& path);

// Case-insensitive comparison of ASCII letters; other bytes compare exactly.
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);
// Orders as above: negative, zero or positive.
int compareIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace lumora::core
