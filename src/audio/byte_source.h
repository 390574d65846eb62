#pragma once
// Read-only random access to the bytes of a file or of memory, for the tag readers (which read a few
// regions of possibly large files) and their fuzz targets.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace lumora::audio {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly `count` bytes at `offset`; false when they are not all there.
  virtual bool readAt(uint64_t offset, void* out, size_t count) = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  bool readAt(uint64_t offset, void* out, size_t count) override;

 private:
  std::string_view bytes_;
};

class FileByteSource final : public ByteSource {
 public:
  // nullptr when the file is not a regular file, cannot be opened for reading or its size cannot be told.
  static std::unique_ptr<FileByteSource> open(const std::string& path);
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, void* out, size_t count) override;

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  uint64_t size_ = 0;
};

}  // namespace lumora::audio
