#pragma once
// Compression of entry data (raw deflate through zlib) and the traditional PKWARE decryption.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lumora::archive {

// Input block size for a compression mode: 512 KiB for modes 1-3, 1 MiB for 0 and 4-6, 1.5 MiB for 7-9.
size_t zipBlockSize(int compressionMode);

// Deflates one entry block by block. Every block but the last ends with a sync flush (an empty stored
// block), the last one finishes the stream. The output is the raw deflate stream other ZIP readers expect
// (the bytes a zlib stream holds between its two-byte header and its Adler-32 trailer).
class ZipDeflater {
 public:
  explicit ZipDeflater(int level);
  ~ZipDeflater();
  ZipDeflater(const ZipDeflater&) = delete;
  ZipDeflater& operator=(const ZipDeflater&) = delete;
  // Appends the compressed form of `block` to `out`.
  void block(const void* data, size_t n, bool last, std::string& out);

 private:
  z_stream z_{};
};

// Inflates raw deflate data fed to it in pieces.
class ZipInflater {
 public:
  ZipInflater();
  ~ZipInflater();
  ZipInflater(const ZipInflater&) = delete;
  ZipInflater& operator=(const ZipInflater&) = delete;
  // Passes what `data` decodes to on to `sink` in pieces of bounded size (so a small input that expands
  // enormously never sits in memory whole); returns false on corrupt data. Input after the end of the
  // stream is ignored.
  bool feed(const void* data, size_t n, const std::function<void(const char*, size_t)>& sink);
  bool finished() const { return finished_; }

 private:
  z_stream z_{};
  bool finished_ = false;
};

// Traditional PKWARE encryption, decrypting side.
class ZipDecrypter {
 public:
  explicit ZipDecrypter(std::string_view password);
  void decrypt(char* data, size_t n);
  // Decrypts the 12-byte encryption header and tells whether its check byte equals `check`.
  bool checkHeader(const char* header12, uint8_t check);

 private:
  void update(uint8_t plain);
  uint8_t streamByte() const;
  uint32_t k0_ = 0x12345678, k1_ = 0x23456789, k2_ = 0x34567890;
};

// The encrypting side, for tests and fixtures; the program itself never writes encrypted entries.
class ZipEncrypter {
 public:
  explicit ZipEncrypter(std::string_view password);
  void encrypt(char* data, size_t n);

 private:
  uint32_t k0_ = 0x12345678, k1_ = 0x23456789, k2_ = 0x34567890;
  void update(uint8_t plain);
};

}  // namespace lumora::archive
