#include "archive/zip_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "archive/zip_exception.h"

namespace lumora::archive {

namespace {
constexpr size_t kWriteBuffer = 1 << 20;
}

size_t MemoryZipInput::readAt(uint64_t offset, void* buffer, size_t n) const {
  if (offset >= bytes_.size()) return 0;
  const size_t count = std::min<uint64_t>(n, bytes_.size() - offset);
  std::memcpy(buffer, bytes_.data() + offset, count);
  return count;
}

ZipFile::~ZipFile() {
  try {
    close();
  } catch (...) {
    // A destructor cannot report; explicit close() does.
  }
}

bool ZipFile::open(const std::string& path, Mode mode) {
  close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    errno = EISDIR;
    return false;
  }
  writable_ = mode != Mode::Read;
  position_ = 0;
  buffer_.clear();
  return true;
}

void ZipFile::close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  try {
    flush();
  } catch (...) {
    fd_ = -1;
    ::close(fd);
    throw;
  }
  fd_ = -1;
  ::close(fd);
}

uint64_t ZipFile::size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  const uint64_t onDisk = static_cast<uint64_t>(st.st_size);
  return std::max<uint64_t>(onDisk, position_ + buffer_.size());
}

size_t ZipFile::readAt(uint64_t offset, void* buffer, size_t n) const {
  if (!buffer_.empty()) const_cast<ZipFile*>(this)->flush();
  size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < n) {
    const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

void ZipFile::seek(uint64_t position) {
  flush();
  position_ = position;
}

void ZipFile::write(const void* data, size_t n) {
  const auto* p = static_cast<const char*>(data);
  if (buffer_.size() + n > kWriteBuffer) {
    flush();
    if (n >= kWriteBuffer) {
      writeAt(position_, std::string_view(p, n));
      position_ += n;
      return;
    }
  }
  buffer_.insert(buffer_.end(), p, p + n);
}

void ZipFile::writeAt(uint64_t offset, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) throw EZipException(ZipErr::kWriteError);
    done += static_cast<size_t>(put);
  }
}

void ZipFile::flush() {
  if (buffer_.empty()) return;
  std::vector<char> pending;
  pending.swap(buffer_);
  writeAt(position_, std::string_view(pending.data(), pending.size()));
  position_ += pending.size();
}

void ZipFile::truncate(uint64_t length) {
  flush();
  if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) throw EZipException(ZipErr::kWriteError);
}

void ZipFile::sync() {
  flush();
  ::fsync(fd_);
}

bool readExact(const ZipInput& in, uint64_t offset, void* buffer, size_t n) {
  return in.readAt(offset, buffer, n) == n;
}

}  // namespace lumora::archive
