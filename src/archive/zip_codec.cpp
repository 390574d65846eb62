#include "archive/zip_codec.h"

#include "archive/zip_exception.h"
#include "archive/zip_format.h"

namespace lumora::archive {

size_t zipBlockSize(int mode) {
  if (mode >= 1 && mode <= 3) return 512 * 1024;
  if (mode >= 7) return 1536 * 1024;
  return 1024 * 1024;
}

ZipDeflater::ZipDeflater(int level) {
  // Negative window bits: no zlib header and no Adler-32, the same deflate bits as inside a zlib stream.
  if (deflateInit2(&z_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw EZlibError();
}

ZipDeflater::~ZipDeflater() {
  deflateEnd(&z_);
}

void ZipDeflater::block(const void* data, size_t n, bool last, std::string& out) {
  z_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  z_.avail_in = static_cast<uInt>(n);
  const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    const size_t room = n + n / 10 + 64 + 256;
    const size_t before = out.size();
    out.resize(before + room);
    z_.next_out = reinterpret_cast<Bytef*>(out.data() + before);
    z_.avail_out = static_cast<uInt>(room);
    const int rc = deflate(&z_, flush);
    out.resize(before + room - z_.avail_out);
    if (rc == Z_STREAM_ERROR) throw EZlibError();
    if (last ? rc == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out > 0)) break;
  }
}

ZipInflater::ZipInflater() {
  if (inflateInit2(&z_, -15) != Z_OK) throw EZlibError();
}

ZipInflater::~ZipInflater() {
  inflateEnd(&z_);
}

bool ZipInflater::feed(const void* data, size_t n, const std::function<void(const char*, size_t)>& sink) {
  if (finished_) return true;
  z_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  z_.avail_in = static_cast<uInt>(n);
  char buffer[256 * 1024];
  for (;;) {
    z_.next_out = reinterpret_cast<Bytef*>(buffer);
    z_.avail_out = sizeof buffer;
    const int rc = inflate(&z_, Z_NO_FLUSH);
    const size_t produced = sizeof buffer - z_.avail_out;
    if (produced > 0) sink(buffer, produced);
    if (rc == Z_STREAM_END) {
      finished_ = true;
      return true;
    }
    if (rc == Z_MEM_ERROR) throw EZlibError();
    if (rc == Z_BUF_ERROR) return true;  // needs more input
    if (rc != Z_OK) return false;
    if (z_.avail_in == 0 && z_.avail_out > 0) return true;
  }
}

namespace {
uint32_t crcByte(uint32_t crc, uint8_t b) {
  const unsigned char c = b;
  return ~crc32Update(~crc, &c, 1);
}
}  // namespace

ZipDecrypter::ZipDecrypter(std::string_view password) {
  for (char c : password) update(static_cast<uint8_t>(c));
}

void ZipDecrypter::update(uint8_t plain) {
  k0_ = crcByte(k0_, plain);
  k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
  k2_ = crcByte(k2_, static_cast<uint8_t>(k1_ >> 24));
}

uint8_t ZipDecrypter::streamByte() const {
  const uint32_t t = (k2_ | 2) & 0xFFFF;
  return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

void ZipDecrypter::decrypt(char* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const uint8_t plain = static_cast<uint8_t>(static_cast<uint8_t>(data[i]) ^ streamByte());
    update(plain);
    data[i] = static_cast<char>(plain);
  }
}

bool ZipDecrypter::checkHeader(const char* header12, uint8_t check) {
  char h[12];
  std::copy(header12, header12 + 12, h);
  decrypt(h, 12);
  return static_cast<uint8_t>(h[11]) == check;
}

ZipEncrypter::ZipEncrypter(std::string_view password) {
  for (char c : password) update(static_cast<uint8_t>(c));
}

void ZipEncrypter::update(uint8_t plain) {
  k0_ = crcByte(k0_, plain);
  k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
  k2_ = crcByte(k2_, static_cast<uint8_t>(k1_ >> 24));
}

void ZipEncrypter::encrypt(char* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t t = (k2_ | 2) & 0xFFFF;
    const uint8_t key = static_cast<uint8_t>((t * (t ^ 1)) >> 8);
    const uint8_t plain = static_cast<uint8_t>(data[i]);
    update(plain);
    data[i] = static_cast<char>(plain ^ key);
  }
}

}  // namespace lumora::archive
