#include "archive/zip_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "archive/zip_codec.h"
#include "archive/zip_exception.h"

namespace lumora::archive {

namespace {

constexpr uint64_t kEndSearchSpan = 65600;
constexpr size_t kMaxRecoveredName = 260;

// Thrown inside the directory parser; turns into recovery or an error of the table.
struct DirectoryDamaged {};

std::string readBytes(const ZipInput& in, uint64_t offset, uint64_t n) {
  if (offset > in.size() || n > in.size() - offset) throw DirectoryDamaged{};
  std::string out(static_cast<size_t>(n), '\0');
  if (!readExact(in, offset, out.data(), out.size())) throw DirectoryDamaged{};
  return out;
}

std::optional<ZipLocalHeader> readLocalHeader(const ZipInput& in, uint64_t pos) {
  char h[kLocalHeaderSize];
  if (!readExact(in, pos, h, sizeof h)) return std::nullopt;
  return parseLocalHeader(std::string_view(h, sizeof h));
}

std::vector<TZipExtraField> parseExtra(std::string_view area) {
  std::vector<TZipExtraField> fields;
  size_t pos = 0;
  while (pos + 4 <= area.size()) {
    TZipExtraField f;
    f.tag = getU16(area.data() + pos);
    const size_t len = getU16(area.data() + pos + 2);
    pos += 4;
    const size_t take = std::min(len, area.size() - pos);  // a field running past the area is cut
    f.data.assign(area.data() + pos, take);
    pos += take;
    fields.push_back(std::move(f));
  }
  return fields;
}

// Fills the marked 32-bit values from a Zip64 field, in the order of the central header.
void applyZip64(TZipEntry& e, const std::vector<TZipExtraField>& fields, bool marked[4]) {
  for (const auto& f : fields) {
    if (f.tag != kZip64Tag) continue;
    size_t pos = 0;
    auto next64 = [&](uint64_t& v) {
      if (pos + 8 <= f.data.size()) v = getU64(f.data.data() + pos), pos += 8;
    };
    if (marked[0]) next64(e.uncompressedSize);
    if (marked[1]) next64(e.compressedSize);
    if (marked[2]) next64(e.localOffset);
    if (marked[3] && pos + 4 <= f.data.size()) e.diskStart = getU32(f.data.data() + pos);
    return;
  }
}

struct EndInfo {
  uint64_t endPos = 0;  // position of the end record
  uint64_t count = 0;
  uint64_t cdSize = 0;
  uint64_t cdOffset = 0;
  uint64_t followingPos = 0;  // the record after the central directory
  std::string comment;
};

std::optional<EndInfo> findEnd(const ZipInput& in) {
  const uint64_t size = in.size();
  if (size < kEndRecordSize) return std::nullopt;
  const uint64_t spanStart = size > kEndSearchSpan ? size - kEndSearchSpan : 0;
  std::string tail = readBytes(in, spanStart, size - spanStart);
  for (size_t i = tail.size() - kEndRecordSize + 1; i-- > 0;) {
    if (getU32(tail.data() + i) != ZipSig::kEnd) continue;
    const size_t after = tail.size() - i - kEndRecordSize;
    if (getU16(tail.data() + i + 20) != after) continue;
    EndInfo info;
    info.endPos = spanStart + i;
    info.count = getU16(tail.data() + i + 10);
    info.cdSize = getU32(tail.data() + i + 12);
    info.cdOffset = getU32(tail.data() + i + 16);
    info.comment = tail.substr(i + kEndRecordSize);
    info.followingPos = info.endPos;
    return info;
  }
  return std::nullopt;
}

void readZip64End(const ZipInput& in, EndInfo& info) {
  if (info.endPos < kZip64LocatorSize) return;
  char loc[kZip64LocatorSize];
  const uint64_t locPos = info.endPos - kZip64LocatorSize;
  if (!readExact(in, locPos, loc, sizeof loc) || getU32(loc) != ZipSig::kZip64Locator) return;
  // The record is where the locator says; an archive with data in front of it has it right before the
  // locator instead.
  const uint64_t candidates[] = {getU64(loc + 8), locPos >= kZip64EndSize ? locPos - kZip64EndSize : kMax32 * 4ull};
  for (uint64_t at : candidates) {
    char rec[kZip64EndSize];
    if (at > in.size() || !readExact(in, at, rec, sizeof rec) || getU32(rec) != ZipSig::kZip64End) continue;
    info.count = getU64(rec + 32);
    info.cdSize = getU64(rec + 40);
    info.cdOffset = getU64(rec + 48);
    info.followingPos = at;
    return;
  }
  throw EZipException(ZipErr::kNoZip64End);
}

std::vector<TZipEntry> parseCentral(const std::string& cd, uint64_t count, bool oemNames) {
  if (count > cd.size() / kCentralHeaderSize) throw DirectoryDamaged{};
  std::vector<TZipEntry> entries;
  entries.reserve(static_cast<size_t>(count));
  size_t pos = 0;
  for (uint64_t i = 0; i < count; ++i) {
    if (cd.size() - pos < kCentralHeaderSize || getU32(cd.data() + pos) != ZipSig::kCentral) throw DirectoryDamaged{};
    const char* h = cd.data() + pos;
    TZipEntry e;
    e.versionMadeBy = getU16(h + 4);
    e.versionNeeded = getU16(h + 6);
    e.flags = getU16(h + 8);
    e.method = getU16(h + 10);
    e.time = getU16(h + 12);
    e.date = getU16(h + 14);
    e.crc = getU32(h + 16);
    e.compressedSize = getU32(h + 20);
    e.uncompressedSize = getU32(h + 24);
    const size_t nameLen = getU16(h + 28), extraLen = getU16(h + 30), commentLen = getU16(h + 32);
    e.diskStart = getU16(h + 34);
    e.internalAttributes = getU16(h + 36);
    e.externalAttributes = getU32(h + 38);
    e.localOffset = getU32(h + 42);
    pos += kCentralHeaderSize;
    if (cd.size() - pos < nameLen + extraLen + commentLen) throw DirectoryDamaged{};
    e.rawName = cd.substr(pos, nameLen);
    auto extra = parseExtra(std::string_view(cd).substr(pos + nameLen, extraLen));
    e.comment = cd.substr(pos + nameLen + extraLen, commentLen);
    pos += nameLen + extraLen + commentLen;
    bool marked[4] = {e.uncompressedSize == kMax32, e.compressedSize == kMax32, e.localOffset == kMax32,
                      e.diskStart == kMax16};
    applyZip64(e, extra, marked);
    e.name = decodeEntryName(e.rawName, e.flags, extra, oemNames);
    std::erase_if(extra, [](const TZipExtraField& f) { return f.tag == kZip64Tag; });
    e.extra = std::move(extra);
    entries.push_back(std::move(e));
  }
  return entries;
}

// Does the local header at `pos` agree with the entry's central record?
bool localAgrees(const ZipInput& in, uint64_t pos, const TZipEntry& e) {
  const std::optional<ZipLocalHeader> h = readLocalHeader(in, pos);
  if (!h || h->versionNeeded != e.versionNeeded || h->method != e.method || h->time != e.time || h->date != e.date)
    return false;
  // Streamed entries carry their CRC-32 and sizes after the data; Zip64 ones in the extra field.
  if ((h->flags & ZipFlag::kDescriptor) == 0) {
    if (h->crc != e.crc) return false;
    if (h->compressedSize != kMax32 && h->compressedSize != e.compressedSize) return false;
    if (h->uncompressedSize != kMax32 && h->uncompressedSize != e.uncompressedSize) return false;
  }
  std::string name(h->nameLength, '\0');
  return readExact(in, pos + kLocalHeaderSize, name.data(), name.size());
}

// Finds the shift of all local offsets caused by data in front of the archive (a stub, say).
uint64_t leadingDataShift(const ZipInput& in, const std::vector<TZipEntry>& entries, uint64_t cdStart,
                          uint64_t cdOffset) {
  if (entries.empty()) return 0;
  const TZipEntry* first = &entries[0];
  for (const auto& e : entries)
    if (e.localOffset < first->localOffset) first = &e;
  if (localAgrees(in, first->localOffset, *first)) return 0;
  if (cdStart > cdOffset && localAgrees(in, first->localOffset + (cdStart - cdOffset), *first))
    return cdStart - cdOffset;
  // Search forward from the stored offset.
  const uint64_t limit = std::min(cdStart, in.size());
  std::string buf;
  const size_t chunk = 1 << 16;
  for (uint64_t at = first->localOffset; at < limit; at += chunk) {
    buf.resize(static_cast<size_t>(std::min<uint64_t>(chunk + 3, limit - at)));
    buf.resize(in.readAt(at, buf.data(), buf.size()));
    for (size_t i = 0; i + 4 <= buf.size() && i < chunk; ++i) {
      if (getU32(buf.data() + i) == ZipSig::kLocal && localAgrees(in, at + i, *first))
        return at + i - first->localOffset;
    }
  }
  return 0;
}

uint64_t saturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

// Entries that share bytes make a small archive decode the same data again and again (ten names on one
// large entry extract ten copies of it); no archiver writes them, so the directory is refused.
void refuseOverlaps(const ZipInput& in, const std::vector<TZipEntry>& entries, uint64_t dataLimit) {
  std::vector<std::pair<uint64_t, uint64_t>> spans;  // header start, data end
  spans.reserve(entries.size());
  for (const auto& e : entries) {
    const std::optional<ZipLocalHeader> h = readLocalHeader(in, e.localOffset);
    // An entry without its local header fails when it is extracted; it still takes its header's room.
    const uint64_t headerSize = h ? h->size() : kLocalHeaderSize;
    const uint64_t dataStart = saturatingAdd(e.localOffset, headerSize);
    const uint64_t dataEnd = std::min(saturatingAdd(dataStart, e.compressedSize), std::max(dataLimit, dataStart));
    spans.emplace_back(e.localOffset, dataEnd);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i)
    if (spans[i].first < spans[i - 1].second) throw EZipException(ZipErr::kDamaged);
}

ZipDirectory readCentral(const ZipInput& in, const EndInfo& end, const ZipReadOptions& options) {
  if (end.cdSize > end.followingPos) throw DirectoryDamaged{};
  const uint64_t cdStart = end.followingPos - end.cdSize;
  ZipDirectory dir;
  dir.comment = end.comment;
  dir.centralStart = cdStart;
  dir.dataLimit = cdStart;
  dir.entries = parseCentral(readBytes(in, cdStart, end.cdSize), end.count, options.oemNames);
  if (!options.openDamaged) {
    uint64_t total = 0;
    for (const auto& e : dir.entries) total += std::min<uint64_t>(e.compressedSize, in.size());
    if (total > in.size()) throw EZipException(ZipErr::kSizesExceedFile);
  }
  const uint64_t shift = leadingDataShift(in, dir.entries, cdStart, end.cdOffset);
  for (auto& e : dir.entries) e.localOffset += shift;
  refuseOverlaps(in, dir.entries, dir.dataLimit);
  return dir;
}

// Finds the data descriptor of a streamed entry whose data starts at `dataStart`.
bool findDescriptor(const ZipInput& in, uint64_t dataStart, TZipEntry& e, uint64_t& next) {
  std::string buf;
  const size_t chunk = 1 << 16;
  const uint64_t size = in.size();
  std::optional<uint64_t> firstHit;
  for (uint64_t at = dataStart; at < size; at += chunk) {
    buf.resize(static_cast<size_t>(std::min<uint64_t>(chunk + 24, size - at)));
    buf.resize(in.readAt(at, buf.data(), buf.size()));
    for (size_t i = 0; i + 16 <= buf.size() && i < chunk; ++i) {
      if (getU32(buf.data() + i) != ZipSig::kDescriptor) continue;
      const uint64_t pos = at + i;
      const uint64_t dataLen = pos - dataStart;
      if (!firstHit) firstHit = pos;
      if (getU32(buf.data() + i + 8) == dataLen) {
        e.crc = getU32(buf.data() + i + 4);
        e.compressedSize = dataLen;
        e.uncompressedSize = getU32(buf.data() + i + 12);
        next = pos + 16;
        return true;
      }
      if (i + 24 <= buf.size() && getU64(buf.data() + i + 8) == dataLen) {
        e.crc = getU32(buf.data() + i + 4);
        e.compressedSize = dataLen;
        e.uncompressedSize = getU64(buf.data() + i + 16);
        next = pos + 24;
        return true;
      }
    }
  }
  if (!firstHit) return false;
  char d[16];
  if (!readExact(in, *firstHit, d, sizeof d)) return false;
  e.crc = getU32(d + 4);
  e.compressedSize = getU32(d + 8);
  e.uncompressedSize = getU32(d + 12);
  next = *firstHit + 16;
  return true;
}

ZipDirectory recoverFromLocalHeaders(const ZipInput& in, const ZipReadOptions& options) {
  ZipDirectory dir;
  dir.recovered = true;
  const uint64_t size = in.size();
  dir.centralStart = size;
  dir.dataLimit = size;
  std::string buf;
  const size_t chunk = 1 << 16;
  uint64_t at = 0;
  while (at + 4 <= size) {
    buf.resize(static_cast<size_t>(std::min<uint64_t>(chunk + 3, size - at)));
    buf.resize(in.readAt(at, buf.data(), buf.size()));
    size_t i = 0;
    bool found = false;
    for (; i + 4 <= buf.size() && i < chunk; ++i)
      if (getU32(buf.data() + i) == ZipSig::kLocal) {
        found = true;
        break;
      }
    if (!found) {
      at += chunk;
      continue;
    }
    const uint64_t pos = at + i;
    at = pos + 4;  // where the scan goes on unless the entry's extent is known
    const std::optional<ZipLocalHeader> h = readLocalHeader(in, pos);
    if (!h) break;
    const size_t nameLen = h->nameLength, extraLen = h->extraLength;
    if (nameLen > kMaxRecoveredName) continue;
    std::string nameExtra(nameLen + extraLen, '\0');
    const size_t got = in.readAt(pos + kLocalHeaderSize, nameExtra.data(), nameExtra.size());
    if (got < nameLen) continue;
    nameExtra.resize(got);
    TZipEntry e;
    e.versionNeeded = h->versionNeeded;
    e.versionMadeBy = e.versionNeeded;
    e.flags = h->flags;
    e.method = h->method;
    e.time = h->time;
    e.date = h->date;
    e.crc = h->crc;
    e.compressedSize = h->compressedSize;
    e.uncompressedSize = h->uncompressedSize;
    e.localOffset = pos;
    e.rawName = nameExtra.substr(0, nameLen);
    auto extra = parseExtra(std::string_view(nameExtra).substr(nameLen));
    bool marked[4] = {e.uncompressedSize == kMax32, e.compressedSize == kMax32, false, false};
    applyZip64(e, extra, marked);
    e.name = decodeEntryName(e.rawName, e.flags, extra, options.oemNames);
    std::erase_if(extra, [](const TZipExtraField& f) { return f.tag == kZip64Tag || f.tag == kUnicodePathTag; });
    e.extra = std::move(extra);
    e.externalAttributes = (!e.name.empty() && e.name.back() == '/') ? ZipAttr::kDirectory : 0;
    const uint64_t dataStart = pos + h->size();
    if (e.flags & ZipFlag::kDescriptor) {
      uint64_t next = 0;
      if (findDescriptor(in, dataStart, e, next)) at = next;
    } else if (dataStart + e.compressedSize <= size) {
      at = dataStart + e.compressedSize;
    }
    dir.entries.push_back(std::move(e));
  }
  if (dir.entries.empty()) throw EZipException(ZipErr::kNotAnArchive);
  return dir;
}

struct EntryData {
  uint64_t start = 0;
  uint64_t length = 0;
};

EntryData locateData(const ZipInput& in, const ZipDirectory& dir, const TZipEntry& e) {
  const std::optional<ZipLocalHeader> h = readLocalHeader(in, e.localOffset);
  if (!h) throw EZipException(ZipErr::kBadData);
  EntryData d;
  d.start = saturatingAdd(e.localOffset, h->size());
  const uint64_t limit = std::min(dir.dataLimit, in.size());
  if (d.start > limit) throw EZipException(ZipErr::kBadData);
  d.length = std::min(e.compressedSize, limit - d.start);
  return d;
}

}  // namespace

ZipDirectory readZipDirectory(const ZipInput& in, const ZipReadOptions& options) {
  std::optional<EndInfo> end;
  try {
    end = findEnd(in);
  } catch (const DirectoryDamaged&) {
  }
  if (!end) {
    if (!options.openDamaged) throw EZipException(ZipErr::kDamaged);
    return recoverFromLocalHeaders(in, options);
  }
  readZip64End(in, *end);
  try {
    return readCentral(in, *end, options);
  } catch (const DirectoryDamaged&) {
    if (!options.openDamaged) throw EZipException(ZipErr::kDamaged);
  }
  return recoverFromLocalHeaders(in, options);
}

uint8_t zipPasswordCheckByte(const TZipEntry& e) {
  return (e.flags & ZipFlag::kDescriptor) ? static_cast<uint8_t>(e.time >> 8) : static_cast<uint8_t>(e.crc >> 24);
}

bool zipPasswordMatches(const ZipInput& in, const ZipDirectory& dir, const TZipEntry& e, const std::string& password) {
  if (!e.encrypted()) return true;
  const EntryData d = locateData(in, dir, e);
  char header[12];
  if (d.length < 12 || !readExact(in, d.start, header, sizeof header)) throw EZipException(ZipErr::kBadData);
  ZipDecrypter dec(password);
  return dec.checkHeader(header, zipPasswordCheckByte(e));
}

bool decodeZipEntry(const ZipInput& in, const ZipDirectory& dir, const TZipEntry& e,
                    const std::function<void(const char*, size_t)>& sink, const ZipDecodeOptions& options) {
  if (e.method == 9) throw EZipException(ZipErr::kDeflate64);
  if (e.method != 0 && e.method != 8) throw EZipException(ZipErr::kBadData);
  EntryData d = locateData(in, dir, e);
  std::optional<ZipDecrypter> decrypter;
  if (e.encrypted()) {
    char header[12];
    if (d.length < 12 || !readExact(in, d.start, header, sizeof header)) throw EZipException(ZipErr::kBadData);
    decrypter.emplace(options.password ? *options.password : std::string());
    if (!decrypter->checkHeader(header, zipPasswordCheckByte(e)) && !options.ignoreChecks)
      throw EZipException(ZipErr::kBadData);
    d.start += 12;
    d.length -= 12;
  }
  uint64_t produced = 0;
  uint32_t crc = 0;
  auto out = [&](const char* p, size_t n) {
    // Never write more than the entry claims: a lying size must not fill the disk.
    if (produced + n > e.uncompressedSize && !options.ignoreChecks) {
      throw EZipException(ZipErr::kBadData);
    }
    produced += n;
    crc = crc32Update(crc, p, n);
    sink(p, n);
  };
  std::optional<ZipInflater> inflater;
  if (e.method == 8) inflater.emplace();
  const size_t block = 1 << 20;
  std::string buf;
  uint64_t done = 0;
  while (done < d.length) {
    if (options.progress && !options.progress(done, d.length)) return false;
    buf.resize(static_cast<size_t>(std::min<uint64_t>(block, d.length - done)));
    if (!readExact(in, d.start + done, buf.data(), buf.size())) throw EZipException(ZipErr::kBadData);
    if (decrypter) decrypter->decrypt(buf.data(), buf.size());
    done += buf.size();
    if (inflater) {
      if (!inflater->feed(buf.data(), buf.size(), out)) {
        if (!options.ignoreChecks) throw EZipException(ZipErr::kBadData);
        break;
      }
      if (inflater->finished()) break;
    } else {
      out(buf.data(), buf.size());
    }
  }
  if (!options.ignoreChecks && (produced != e.uncompressedSize || crc != e.crc)) throw EZipException(ZipErr::kBadData);
  return true;
}

}  // namespace lumora::archive
