#pragma once
// Turning the names documents use (file URLs with "|" for the drive colon, rooted and relative paths,
// names with a "#" part) into file paths, and splitting and combining URLs. Free functions without state;
// strings are 8-bit, positions 1-based as in the names' own conventions.

#include <filesystem>
#include <string>
#include <string_view>

namespace lumora::url {

// Decodes %XX escapes; a name with "/" loses its file:/// (file://, file:/) prefix, "|" becomes ":" and
// "/" becomes "\".
std::string UrlToDosPath(std::string_view name);

// UrlToDosPath, with a name rooted at "\" (not "\\", not a drive) placed under ServerRoot.
std::string ServerUrlToDosPath(std::string_view name, std::string_view serverRoot);

struct NameAndDestination {
  std::string Name;
  std::string Destination;  // from the first "#" on, "#" included; empty without "#"
};
NameAndDestination SplitAtHash(std::string_view name);

struct UrlParts {
  std::string Protocol;
  std::string User;
  std::string Password;
  std::string Host;
  std::string Port;
  std::string Path;
};
UrlParts ParseURL(std::string_view url);

// The lower-cased protocol of the URL (its part before "?").
std::string GetProtocol(std::string_view url);

// Base (a directory) and a relative or rooted reference, with ".." and "." segments folded.
std::string CombineURL(std::string_view base, std::string_view relative);

// A URL with its own protocol ("x://" with no "/" before it) or a mailto address.
bool IsFullURL(std::string_view url);

// The URL up to and including the "/" that ends its directory part.
std::string GetURLBase(std::string_view url);

// 1-based position of the N-th occurrence of Sub in S (N > 0, Length(S) + 1 or more when there are fewer),
// of the |N|-th occurrence from the end (N < 0, 0 when there are fewer); 0 for N = 0.
size_t PosX(std::string_view sub, std::string_view s, int n);

// The local file of a path as documents write it (with "\" or "/"): when it does not exist as written,
// the existing file whose name matches each component without regard to ASCII case; otherwise the path
// as written, with "/" separators.
std::filesystem::path localFileName(std::string_view dosPath);

// Trim as the names' conventions use it: characters up to and including the space go at both ends.
std::string_view trimName(std::string_view s);

}  // namespace lumora::url
