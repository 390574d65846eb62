#include "core/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumora::core {

namespace {

// The reason a stat result is not a regular file, or empty when it is one.
std::string notRegularReason(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return {};
  if (S_ISDIR(st.st_mode)) return "a folder";
  return "not a regular file";
}

void setError(std::string* error, const std::filesystem::path& path, const std::string& reason) {
  if (error) *error = path.string() + ": " + reason;
}

}  // namespace

ScopedFd::~ScopedFd() {
  if (fd_ >= 0) ::close(fd_);
}

bool isRegularFile(const std::filesystem::path& path, std::string* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    setError(error, path, errno == ENOENT || errno == ENOTDIR ? "not found" : std::strerror(errno));
    return false;
  }
  const std::string reason = notRegularReason(st);
  if (!reason.empty()) {
    setError(error, path, reason);
    return false;
  }
  return true;
}

std::optional<std::string> readRegularFile(const std::filesystem::path& path, uint64_t maxBytes, std::string* error) {
  if (!isRegularFile(path, error)) return std::nullopt;
  // O_NONBLOCK: should the name be swapped for a FIFO between the check and the open, the open does not
  // wait for a writer; the fstat below then refuses it.
  ScopedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    setError(error, path, std::strerror(errno));
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    setError(error, path, "not a regular file");
    return std::nullopt;
  }
  const auto tooLarge = [&] {
    setError(error, path, "larger than " + std::to_string(maxBytes >> 20) + " MB");
    return std::nullopt;
  };
  if (uint64_t(st.st_size) > maxBytes) return tooLarge();

  std::string bytes;
  bytes.resize(size_t(st.st_size));
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      // The file may have grown since fstat: read on, but never past the limit.
      if (bytes.size() >= maxBytes + 1) break;
      bytes.resize(size_t(std::min<uint64_t>(maxBytes + 1, bytes.size() + (64u << 10))));
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      setError(error, path, std::strerror(errno));
      return std::nullopt;
    }
    if (n == 0) break;
    filled += size_t(n);
  }
  if (filled > maxBytes) return tooLarge();
  bytes.resize(filled);
  return bytes;
}

}  // namespace lumora::core
