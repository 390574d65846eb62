#include "archive/zip_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

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
  }
  fd_ = ::open(path.c_str(), flags);
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

ZipFile::ZipFile(ZipFile&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), position_(other.position_), buffer_(std::move(other.buffer_)) {
  other.fd_ = -1;
  other.buffer_.clear();
}

ZipFile& ZipFile::operator=(ZipFile&& other) noexcept {
  if (this != &other) {
    try {
      close();
    } catch (...) {
      // The file being replaced had nothing worth keeping buffered.
    }
    fd_ = other.fd_;
    writable_ = other.writable_;
    position_ = other.position_;
    buffer_ = std::move(other.buffer_);
    other.fd_ = -1;
    other.buffer_.clear();
  }
  return *this;
}

void ZipFile::adopt(int fd) {
  close();
  fd_ = fd;
  writable_ = true;
  position_ = 0;
  buffer_.clear();
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

void ZipFile::copyFrom(const ZipFile& source, uint64_t offset, uint64_t length) {
  flush();
  if (!source.buffer_.empty()) const_cast<ZipFile&>(source).flush();
  // copy_file_range shares the blocks on file systems that can, and copies in the kernel elsewhere.
  while (length > 0) {
    loff_t from = static_cast<loff_t>(offset), to = static_cast<loff_t>(position_);
    const ssize_t n = ::copy_file_range(source.fd_, &from, fd_, &to, static_cast<size_t>(std::min<uint64_t>(length, 1u << 30)), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // not supported here (or the source ended): copy through a buffer
    offset += static_cast<uint64_t>(n);
    position_ += static_cast<uint64_t>(n);
    length -= static_cast<uint64_t>(n);
  }
  std::string block;
  while (length > 0) {
    block.resize(static_cast<size_t>(std::min<uint64_t>(length, 1 << 20)));
    if (!readExact(source, offset, block.data(), block.size())) throw EZipException(ZipErr::kWriteError);
    writeAt(position_, block);
    position_ += block.size();
    offset += block.size();
    length -= block.size();
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

namespace {

std::string replacedPath(const std::string& requested) {
  std::error_code ec;
  const std::filesystem::path path(requested);
  if (std::filesystem::is_symlink(path, ec)) {
    const std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
    if (!ec) return real.string();
  }
  return requested;
}

}  // namespace

ZipReplacement::ZipReplacement(const std::string& target) : target_(replacedPath(target)), requested_(target) {
  struct stat st {};
  // An archive the user made read-only stays untouched, as it would under a write in place.
  if (::stat(target_.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || ::access(target_.c_str(), W_OK) != 0))
    throw EZipException(ZipErr::kCannotCreateArchive, {requested_});
  const std::filesystem::path path(target_);
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  temp_ = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(temp_.data(), O_CLOEXEC);
  if (fd < 0) throw EZipException(ZipErr::kCannotCreateArchive, {requested_});
  file_.adopt(fd);
}

ZipReplacement::~ZipReplacement() {
  if (temp_.empty()) return;
  try {
    file_.close();
  } catch (...) {
    // Being thrown away anyway.
  }
  ::unlink(temp_.c_str());
}

ZipFile ZipReplacement::commit(bool sync) {
  file_.flush();
  struct stat st {};
  mode_t mode;
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(file_.descriptor(), mode) != 0) throw EZipException(ZipErr::kCannotCreateArchive, {requested_});
  if (sync && ::fsync(file_.descriptor()) != 0) throw EZipException(ZipErr::kWriteError);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) throw EZipException(ZipErr::kCannotCreateArchive, {requested_});
  temp_.clear();
  return std::move(file_);
}

bool readExact(const ZipInput& in, uint64_t offset, void* buffer, size_t n) {
  return in.readAt(offset, buffer, n) == n;
}

}  // namespace lumora::archive
