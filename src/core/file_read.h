#pragma once
// Reading the files a publication names. A publication may name anything: a device that never ends
// (/dev/zero), a FIFO that blocks for ever, a folder, or a huge file. Every file the program reads for
// its content goes through here: it must be a regular file (after following symbolic links) no larger
// than the limit its kind allows, or the read fails with a message that says why.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace lumora::core {

// A file descriptor closed when it goes out of scope.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd();
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Limits per kind of file, chosen far above what a publication needs and far below what would hurt.
inline constexpr uint64_t kMaxPageBytes = 256ull << 20;        // pages and frameset documents
inline constexpr uint64_t kMaxStyleSheetBytes = 64ull << 20;   // linked style sheets
inline constexpr uint64_t kMaxImageFileBytes = 256ull << 20;   // page images
inline constexpr uint64_t kMaxTextFileBytes = 64ull << 20;     // language files, settings, skins, help lists

// Whether `path` names a regular file (symbolic links followed). Without one, `error` (when given) says
// what it is instead: "not found", "a folder", "not a regular file".
bool isRegularFile(const std::filesystem::path& path, std::string* error = nullptr);

// The whole content of the regular file `path`, at most `maxBytes` long; nothing (with `error` set, when
// given, to the file's name and the reason) for anything else. Never blocks on a FIFO or device.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, uint64_t maxBytes,
                                           std::string* error = nullptr);

}  // namespace lumora::core
