#include "archive/zip_format.h"

#include <zlib.h>

#include <cstring>

#include "core/codepage.h"

namespace lumora::archive {

bool TZipEntry::isFolder() const {
  return (externalAttributes & ZipAttr::kDirectory) != 0 || (!name.empty() && name.back() == '/');
}

void putU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
void putU32(std::string& out, uint32_t v) {
  putU16(out, static_cast<uint16_t>(v & 0xFFFF));
  putU16(out, static_cast<uint16_t>(v >> 16));
}
void putU64(std::string& out, uint64_t v) {
  putU32(out, static_cast<uint32_t>(v & 0xFFFFFFFFu));
  putU32(out, static_cast<uint32_t>(v >> 32));
}
uint16_t getU16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
uint32_t getU32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(getU16(b)) | (static_cast<uint32_t>(getU16(b + 2)) << 16);
}
uint64_t getU64(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint64_t>(getU32(b)) | (static_cast<uint64_t>(getU32(b + 4)) << 32);
}

std::optional<ZipLocalHeader> parseLocalHeader(std::string_view bytes) {
  if (bytes.size() < kLocalHeaderSize || getU32(bytes.data()) != ZipSig::kLocal) return std::nullopt;
  const char* h = bytes.data();
  ZipLocalHeader l;
  l.versionNeeded = getU16(h + 4);
  l.flags = getU16(h + 6);
  l.method = getU16(h + 8);
  l.time = getU16(h + 10);
  l.date = getU16(h + 12);
  l.crc = getU32(h + 14);
  l.compressedSize = getU32(h + 18);
  l.uncompressedSize = getU32(h + 22);
  l.nameLength = getU16(h + 26);
  l.extraLength = getU16(h + 28);
  return l;
}

void toDosDateTime(std::time_t moment, uint16_t& dosTime, uint16_t& dosDate) {
  std::tm t{};
  localtime_r(&moment, &t);
  int year = t.tm_year + 1900;
  if (year < 1980) {
    year = 1980, t.tm_mon = 0, t.tm_mday = 1, t.tm_hour = 0, t.tm_min = 0, t.tm_sec = 0;
  } else if (year > 2107) {
    year = 2107, t.tm_mon = 11, t.tm_mday = 31, t.tm_hour = 23, t.tm_min = 59, t.tm_sec = 58;
  }
  dosTime = static_cast<uint16_t>(t.tm_hour * 2048 + t.tm_min * 32 + t.tm_sec / 2);
  dosDate = static_cast<uint16_t>((year - 1980) * 512 + (t.tm_mon + 1) * 32 + t.tm_mday);
}

std::time_t fromDosDateTime(uint16_t dosTime, uint16_t dosDate) {
  std::tm t{};
  t.tm_year = (dosDate >> 9) + 80;
  t.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
  t.tm_mday = dosDate & 0x1F;
  t.tm_hour = dosTime >> 11;
  t.tm_min = (dosTime >> 5) & 0x3F;
  t.tm_sec = (dosTime & 0x1F) * 2;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

uint32_t crc32Update(uint32_t crc, const void* data, size_t n) {
  const auto* p = static_cast<const Bytef*>(data);
  while (n > 0) {
    const uInt chunk = static_cast<uInt>(std::min<size_t>(n, 1u << 30));
    crc = static_cast<uint32_t>(::crc32(crc, p, chunk));
    p += chunk;
    n -= chunk;
  }
  return crc;
}

int zipOemCodePage() {
  return core::kDefaultLegacyCodePage == 1251 ? 866 : 437;
}

namespace {
bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}
}  // namespace

std::string encodeEntryName(const std::string& utf8Name, bool oemNames, bool& utf8) {
  utf8 = false;
  if (isAscii(utf8Name)) return utf8Name;
  if (oemNames) {
    if (auto oem = core::fromUtf8(utf8Name, zipOemCodePage())) return *oem;
  }
  utf8 = true;
  return utf8Name;
}

std::string decodeEntryName(std::string_view raw, uint16_t flags, const std::vector<TZipExtraField>& extra,
                            bool oemNames) {
  if ((flags & ZipFlag::kUtf8) != 0 || isAscii(raw)) return std::string(raw);
  for (const auto& f : extra) {
    // Version 1, CRC-32 of the stored name, then the UTF-8 name; ignored when the name was changed since.
    if (f.tag != kUnicodePathTag || f.data.size() < 5 || f.data[0] != 1) continue;
    if (getU32(f.data.data() + 1) != crc32Update(0, raw.data(), raw.size())) continue;
    std::string_view name(f.data.data() + 5, f.data.size() - 5);
    if (core::isValidUtf8(name)) return std::string(name);
  }
  if (core::isValidUtf8(raw)) return std::string(raw);
  return core::toUtf8(raw, oemNames ? zipOemCodePage() : core::kDefaultLegacyCodePage);
}

TZipExtraField unicodePathField(std::string_view rawName, std::string_view utf8Name) {
  TZipExtraField f;
  f.tag = kUnicodePathTag;
  f.data += '\x01';
  putU32(f.data, crc32Update(0, rawName.data(), rawName.size()));
  f.data += utf8Name;
  return f;
}

namespace {
void appendExtra(std::string& out, const TZipExtraField& f) {
  putU16(out, f.tag);
  putU16(out, static_cast<uint16_t>(f.data.size()));
  out += f.data;
}
}  // namespace

std::string centralHeader(const TZipEntry& e) {
  std::string zip64;
  const bool bigU = e.uncompressedSize >= kMax32, bigC = e.compressedSize >= kMax32, bigO = e.localOffset >= kMax32,
             bigD = e.diskStart >= kMax16;
  if (bigU) putU64(zip64, e.uncompressedSize);
  if (bigC) putU64(zip64, e.compressedSize);
  if (bigO) putU64(zip64, e.localOffset);
  if (bigD) putU32(zip64, e.diskStart);
  std::string extra;
  if (!zip64.empty()) appendExtra(extra, {kZip64Tag, zip64});
  for (const auto& f : e.extra)
    if (f.tag != kZip64Tag) appendExtra(extra, f);

  std::string out;
  out.reserve(kCentralHeaderSize + e.rawName.size() + extra.size() + e.comment.size());
  putU32(out, ZipSig::kCentral);
  putU16(out, e.versionMadeBy);
  putU16(out, e.versionNeeded);
  putU16(out, e.flags);
  putU16(out, e.method);
  putU16(out, e.time);
  putU16(out, e.date);
  putU32(out, e.crc);
  putU32(out, bigC ? kMax32 : static_cast<uint32_t>(e.compressedSize));
  putU32(out, bigU ? kMax32 : static_cast<uint32_t>(e.uncompressedSize));
  putU16(out, static_cast<uint16_t>(e.rawName.size()));
  putU16(out, static_cast<uint16_t>(extra.size()));
  putU16(out, static_cast<uint16_t>(e.comment.size()));
  putU16(out, bigD ? kMax16 : static_cast<uint16_t>(e.diskStart));
  putU16(out, e.internalAttributes);
  putU32(out, e.externalAttributes);
  putU32(out, bigO ? kMax32 : static_cast<uint32_t>(e.localOffset));
  out += e.rawName;
  out += extra;
  out += e.comment;
  return out;
}

std::string localHeader(const TZipEntry& e, bool zip64Sizes, const std::vector<TZipExtraField>& extraFields) {
  std::string extra;
  if (zip64Sizes) {
    std::string z;
    putU64(z, e.uncompressedSize);
    putU64(z, e.compressedSize);
    appendExtra(extra, {kZip64Tag, z});
  }
  for (const auto& f : extraFields) appendExtra(extra, f);
  std::string out;
  putU32(out, ZipSig::kLocal);
  putU16(out, e.versionNeeded);
  putU16(out, e.flags);
  putU16(out, e.method);
  putU16(out, e.time);
  putU16(out, e.date);
  putU32(out, e.crc);
  putU32(out, zip64Sizes ? kMax32 : static_cast<uint32_t>(e.compressedSize));
  putU32(out, zip64Sizes ? kMax32 : static_cast<uint32_t>(e.uncompressedSize));
  putU16(out, static_cast<uint16_t>(e.rawName.size()));
  putU16(out, static_cast<uint16_t>(extra.size()));
  out += e.rawName;
  out += extra;
  return out;
}

std::string endRecords(uint64_t count, uint64_t start, uint64_t size, bool zip64, std::string_view comment) {
  std::string out;
  if (zip64) {
    const uint64_t recordAt = start + size;
    putU32(out, ZipSig::kZip64End);
    putU64(out, kZip64EndSize - 12);
    putU16(out, 45);
    putU16(out, 45);
    putU32(out, 0);
    putU32(out, 0);
    putU64(out, count);
    putU64(out, count);
    putU64(out, size);
    putU64(out, start);
    putU32(out, ZipSig::kZip64Locator);
    putU32(out, 0);
    putU64(out, recordAt);
    putU32(out, 1);
  }
  const uint16_t count16 = count > 65534 ? kMax16 : static_cast<uint16_t>(count);
  putU32(out, ZipSig::kEnd);
  putU16(out, 0);
  putU16(out, 0);
  putU16(out, count16);
  putU16(out, count16);
  putU32(out, size >= kMax32 ? kMax32 : static_cast<uint32_t>(size));
  putU32(out, start >= kMax32 ? kMax32 : static_cast<uint32_t>(start));
  putU16(out, static_cast<uint16_t>(comment.size()));
  out += comment;
  return out;
}

}  // namespace lumora::archive
