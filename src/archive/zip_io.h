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
  enum class Mode { Read, ReadWrite, Create };
  ZipFile() = default;
  ~ZipFile();
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;

  // False (with errno set) when the file cannot be opened in that mode.
  bool open(const std::string& path, Mode mode);
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

// Reads exactly n bytes or returns false.
bool readExact(const ZipInput& in, uint64_t offset, void* buffer, size_t n);

}  // namespace lumora::archive
