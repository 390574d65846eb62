#pragma once
// The records of a ZIP archive, the values in them and the helpers that pack and unpack them.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::archive {

struct ZipSig {
static constexpr uint32_t kLocal = 0x04034B50;
static constexpr uint32_t kCentral = 0x02014B50;
static constexpr uint32_t kEnd = 0x06054B50;
static constexpr uint32_t kZip64End = 0x06064B50;
static constexpr uint32_t kZip64Locator = 0x07064B50;
static constexpr uint32_t kDescriptor = 0x08074B50;
};

inline constexpr uint16_t kZip64Tag = 0x0001;
inline constexpr uint16_t kUnicodePathTag = 0x7075;
inline constexpr uint32_t kMax32 = 0xFFFFFFFFu;
inline constexpr uint16_t kMax16 = 0xFFFF;
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;
inline constexpr size_t kZip64EndSize = 56;
inline constexpr size_t kZip64LocatorSize = 20;

struct ZipFlag {
static constexpr uint16_t kEncrypted = 1 << 0;
static constexpr uint16_t kFolder = 1 << 1;  // what this engine writes for folder entries
static constexpr uint16_t kDescriptor = 1 << 3;
static constexpr uint16_t kUtf8 = 1 << 11;
};

// MS-DOS file attributes as stored in the external attributes of entries made on FAT-like systems.
struct ZipAttr {
static constexpr uint32_t kReadOnly = 0x01;
static constexpr uint32_t kHidden = 0x02;
static constexpr uint32_t kSystem = 0x04;
static constexpr uint32_t kVolume = 0x08;
static constexpr uint32_t kDirectory = 0x10;
static constexpr uint32_t kArchive = 0x20;
static constexpr uint32_t kAllFiles = 0x28BF;  // the search attributes the program uses
};

struct TZipExtraField {
  uint16_t tag = 0;
  std::string data;
};

// One entry as the central directory holds it, plus what an entry waiting to be written needs.
struct TZipEntry {
  uint16_t versionMadeBy = 20;
  uint16_t versionNeeded = 20;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t time = 0;
  uint16_t date = 0;
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint64_t localOffset = 0;
  uint32_t diskStart = 0;
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  std::string name;                   // UTF-8 with "/" separators
  std::string rawName;                // the name's bytes as stored
  std::vector<TZipExtraField> extra;  // every extra field but Zip64, in the order read
  std::string comment;

  // Entries waiting to be written.
  std::string sourcePath;
  int compressionMode = 1;
  bool toProcess = false;

  bool isFolder() const;
  bool encrypted() const { return (flags & ZipFlag::kEncrypted) != 0; }
};

// The fixed part of a local file header; the name and extra field follow it, then the entry's data.
struct ZipLocalHeader {
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t time = 0;
  uint16_t date = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;

  // Bytes from the header's start to the entry's data.
  uint64_t size() const { return kLocalHeaderSize + nameLength + extraLength; }
};

// The local header in the first kLocalHeaderSize bytes of `bytes`; nullopt when they are fewer or do not
// begin with its signature.
std::optional<ZipLocalHeader> parseLocalHeader(std::string_view bytes);

// Little-endian packing.
void putU16(std::string& out, uint16_t v);
void putU32(std::string& out, uint32_t v);
void putU64(std::string& out, uint64_t v);
uint16_t getU16(const void* p);
uint32_t getU32(const void* p);
uint64_t getU64(const void* p);

// MS-DOS time and date (local time) of a moment, and back. Years outside 1980..2107 are clamped.
void toDosDateTime(std::time_t moment, uint16_t& dosTime, uint16_t& dosDate);
std::time_t fromDosDateTime(uint16_t dosTime, uint16_t dosDate);

uint32_t crc32Update(uint32_t crc, const void* data, size_t n);

// Names. The OEM code page belongs to the legacy code page: 866 for Windows-1251, 437 otherwise.
int zipOemCodePage();
// Encodes a UTF-8 name for storing. With OEM names on, a name the OEM code page can hold is stored in it;
// any other name is stored as UTF-8 and `utf8` is set (general-purpose flag bit 11).
std::string encodeEntryName(const std::string& utf8Name, bool oemNames, bool& utf8);
// Decodes a stored name: bit 11 or a valid Unicode Path extra field give UTF-8; otherwise a name that is
// valid UTF-8 and not plain ASCII is read as UTF-8 (archives made on Linux and macOS); otherwise the OEM
// code page applies (or, with OEM names off, the legacy code page).
std::string decodeEntryName(std::string_view raw, uint16_t flags, const std::vector<TZipExtraField>& extra,
                            bool oemNames);
// The Info-ZIP Unicode Path extra field for a name stored in a code page, so other tools read it right.
TZipExtraField unicodePathField(std::string_view rawName, std::string_view utf8Name);

// Central directory header bytes of an entry, Zip64 field generated as needed.
std::string centralHeader(const TZipEntry& e);
// Local header bytes: with `zip64Sizes` both sizes are 0xFFFFFFFF and a 20-byte Zip64 field follows.
std::string localHeader(const TZipEntry& e, bool zip64Sizes, const std::vector<TZipExtraField>& extra = {});
// End records for a central directory of `count` entries at [start, start + size); `zip64` adds the Zip64
// end record and locator before the end record.
std::string endRecords(uint64_t count, uint64_t start, uint64_t size, bool zip64, std::string_view comment = {});

}  // namespace lumora::archive
