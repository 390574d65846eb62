#pragma once
// Reading an archive: finding and parsing its directory (or rebuilding it from the local headers of a
// damaged archive) and decoding one entry's data with its checks.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/zip_format.h"
#include "archive/zip_io.h"

namespace lumora::archive {

struct ZipReadOptions {
  bool oemNames = true;
  bool openDamaged = true;  // rebuild the entry list from local headers when the directory is unusable
};

struct ZipDirectory {
  std::vector<TZipEntry> entries;  // local offsets already include any leading data
  std::string comment;
  uint64_t centralStart = 0;  // where the central directory starts (new entries are written here)
  uint64_t dataLimit = 0;     // entry data never reaches beyond this
  bool recovered = false;     // rebuilt from local headers
};

// Throws EZipException: 35 when the bytes hold no local header at all, 40 for a missing Zip64 end record,
// and with `openDamaged` off 48 for a missing end record and 57 for sizes beyond the file.
ZipDirectory readZipDirectory(const ZipInput& in, const ZipReadOptions& options = {});

// The check byte of an encrypted entry's header: high byte of the CRC-32, or of the time with flag bit 3.
uint8_t zipPasswordCheckByte(const TZipEntry& e);

// True when `password` opens the encrypted entry (always true for an entry that is not encrypted).
bool zipPasswordMatches(const ZipInput& in, const ZipDirectory& dir, const TZipEntry& e, const std::string& password);

struct ZipDecodeOptions {
  const std::string* password = nullptr;  // for encrypted entries
  bool ignoreChecks = false;              // keep going when size or CRC-32 do not match
  // Called before each input block with the compressed bytes consumed so far; returning false cancels.
  std::function<bool(uint64_t done, uint64_t total)> progress;
};

// Decodes the entry's data into `sink`. Fails with EZipException 8 (bad data, wrong size or CRC-32,
// unknown method) or 55 (Deflate64). Returns false when cancelled through `progress`.
bool decodeZipEntry(const ZipInput& in, const ZipDirectory& dir, const TZipEntry& e,
                    const std::function<void(const char*, size_t)>& sink, const ZipDecodeOptions& options = {});

}  // namespace lumora::archive
