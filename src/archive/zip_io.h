#pragma once
// Byte access for the archive engine: random-access input (a file or memory) and the archive file itself,
// with 64-bit positions throughout so archives beyond 4 GiB work.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::archive {

// Read-only random access to an archive's bytes.
class ZipInput {
 public:
  virtual ~ZipInput() = default;
  virtual uint64_t size() const = 0;
  // Reads up to n bytes at `offset`; returns how many were read (fewer only at the end).
  virtual size_t readAt(uint64_t offset, void* buffer, size_t n) const = 0;
};

class MemoryZipInput : public ZipInput {
 public:
  explicit MemoryZipInput(std::string_view bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  size_t readAt(uint64_t offset, void* buffer, size_t n) const override;

 private:
  std::string_view bytes_;
};

// An archive file opened through a POSIX descriptor. Writes are buffered and go to the current position.
class ZipFile : public ZipInput {
 public:
  enum class Mode { Read, ReadWrite };
  ZipFile() = default;
  ~ZipFile();
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;
  ZipFile(ZipFile&& other) noexcept;
  ZipFile& operator=(ZipFile&& other) noexcept;

  // False (with errno set) when the file cannot be opened in that mode.
  bool open(const std::string& path, Mode mode);
  // Takes over a descriptor open for reading and writing, positioned at 0.
  void adopt(int fd);
  bool isOpen() const { return fd_ >= 0; }
  bool writable() const { return writable_; }
  void close();

  uint64_t size() const override;
  size_t readAt(uint64_t offset, void* buffer, size_t n) const override;

  // Writing; every failure throws EZipException (native error 46).
  void seek(uint64_t position);
  uint64_t position() const { return position_ + buffer_.size(); }
  void write(const void* data, size_t n);
  void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
  void writeAt(uint64_t offset, std::string_view bytes);
  // Appends `length` bytes of `source` from `offset` (in the kernel where it can).
  void copyFrom(const ZipFile& source, uint64_t offset, uint64_t length);
  void flush();
  void truncate(uint64_t length);
  void sync();
  int descriptor() const { return fd_; }

 private:
  int fd_ = -1;
  bool writable_ = false;
  uint64_t position_ = 0;  // where the buffer starts
  std::vector<char> buffer_;
};

// A new version of an archive, written under a temporary name beside it. Only commit() puts it in the
// archive's place, in one rename, so a failure at any point before leaves the archive as it was (or
// absent, when there was none). Dropped without commit, the temporary file is removed.
class ZipReplacement {
 public:
  // Throws EZipException 36 when `target` cannot be replaced: a folder, a file without write permission,
  // or a folder where no file can be made. A symbolic link is followed; the link stays.
  explicit ZipReplacement(const std::string& target);
  ~ZipReplacement();
  ZipReplacement(const ZipReplacement&) = delete;
  ZipReplacement& operator=(const ZipReplacement&) = delete;

  ZipFile& file() { return file_; }
  // Flushes (and with `sync` forces to disk), gives the file the old archive's permissions and renames
  // it over the archive. Returns the file, now the archive itself. Throws EZipException 36 or 46.
  ZipFile commit(bool sync);

 private:
  std::string target_;  // where the archive really lives
  std::string requested_;
  std::string temp_;
  ZipFile file_;
};

// Reads exactly n bytes or returns false.
bool readExact(const ZipInput& in, uint64_t offset, void* buffer, size_t n);

}  // namespace lumora::archive
