// The engine below the component: messages, masks, names, records, deflate, and reading archives whole,
// damaged or hostile.
#include <gtest/gtest.h>
#include <zlib.h>

#include "archive/zip_archiver.h"
#include "archive/zip_codec.h"
#include "archive/zip_mask.h"
#include "archive/zip_reader.h"
#include "zip_test_util.h"

namespace lumora::archive {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// An archive made by the engine from files (name -> bytes) below a fresh folder, stored names relative.
std::string makeArchive(const TempDir& tmp, const std::map<std::string, std::string>& files) {
  const auto src = tmp / "src";
  for (const auto& [name, bytes] : files) writeFile(src / name, bytes);
  TZipArchiver a;
  a.FileName = (tmp / "made.zip").string();
  a.Open(kZipOpenCreate);
  a.BaseDir = src.string();
  a.AddMatching("*.*", ZipAttr::kAllFiles & ~ZipAttr::kDirectory);
  a.Close();
  return readFile(tmp / "made.zip");
}

std::string decodeAll(const ZipInput& in, const ZipDirectory& dir, const TZipEntry& e) {
  std::string out;
  decodeZipEntry(in, dir, e, [&](const char* p, size_t n) { out.append(p, n); });
  return out;
}

TEST(ZipException, MessageCarriesNameTableTextAndFiveDigitCode) {
  struct Case {
    int native;
    std::vector<std::string> args;
    std::string name;
    std::string text;
    int errorCode;
  } cases[] = {
      {12, {"/tmp/a.zip"}, "Archiver", "Archiver: File \"/tmp/a.zip\" not found - Native error: 00012", 6},
      {10, {}, "", "File name is blank. Specify appropriate file name - Native error: 00010", 5},
      {8, {}, "", "Invalid size or check sum of file or unsupported compression format - Native error: 00008", 4},
      {34, {"5", "3"}, "", "Invalid compressed size, rfs.size = 5, count = 3 - Native error: 00034", 17},
      {57, {}, "Z", "Z: Archive is damaged. Open failed - Native error: 00057", 27},
      {55, {}, "", "Deflate64 compression method is not supported - Native error: 00055", 32},
      {12345, {}, "", "Unknown error - Native error: 12345", 0},
  };
  for (const auto& c : cases) {
    EZipException e(c.native, c.args, c.name);
    EXPECT_EQ(e.what(), c.text);
    EXPECT_EQ(e.ErrorCode(), c.errorCode) << c.native;
    EXPECT_EQ(e.NativeError(), c.native);
  }
  // A named component names an unnamed engine error once.
  EZipException inner(13);
  EXPECT_EQ(std::string(inner.named("A").named("B").what()), "A: Archive is not open - Native error: 00013");
}

TEST(ZipMask, WildcardsIgnoreCaseAndStarDotStarTakesEveryName) {
  struct Case {
    const char* mask;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "README", true},        {"*.*", "a.txt", true},
      {"*.TXT", "notes.txt", true},   {"*.txt", "notes.htm", false},
      {"a?c", "abc", true},           {"a?c", "ac", false},
      {"*b*b*", "abxxbz", true},      {"*", "", true},
      {"/d/p/*.*", "/d/p/img", true}, {"/d/pub", "/d/pub", true},
      {"/d/pub", "/d/public", false},
  };
  for (const auto& c : cases) EXPECT_EQ(zipMaskMatches(c.mask, c.name), c.match) << c.mask << " " << c.name;
  // Hostile masks stay fast (no exponential backtracking).
  EXPECT_FALSE(zipMaskMatches(std::string(60, '*') + "x", std::string(5000, 'a')));
}

TEST(ZipNames, OemWhenPossibleUtf8OtherwiseAndEveryStoredFormReadsBack) {
  ASSERT_EQ(zipOemCodePage(), 866);
  bool utf8 = false;
  const std::string cyr = "\xD0\x9F\xD1\x80";  // "Пр"
  EXPECT_EQ(encodeEntryName(cyr, true, utf8), "\x8F\xE0");
  EXPECT_FALSE(utf8);
  EXPECT_EQ(encodeEntryName("caf\xC3\xA9", true, utf8), "caf\xC3\xA9");
  EXPECT_TRUE(utf8);
  EXPECT_EQ(encodeEntryName("plain.txt", true, utf8), "plain.txt");
  EXPECT_FALSE(utf8);

  EXPECT_EQ(decodeEntryName("\x8F\xE0", 0, {}, true), cyr);                            // OEM
  EXPECT_EQ(decodeEntryName("caf\xC3\xA9", ZipFlag::kUtf8, {}, true), "caf\xC3\xA9");  // bit 11
  EXPECT_EQ(decodeEntryName("caf\xC3\xA9", 0, {}, true), "caf\xC3\xA9");               // Linux/macOS zip
  // The Unicode Path field wins over the stored bytes, unless it belongs to another name.
  EXPECT_EQ(decodeEntryName("\x8F\xE0", 0, {unicodePathField("\x8F\xE0", "X\xC3\xA9")}, true), "X\xC3\xA9");
  EXPECT_EQ(decodeEntryName("\x8F\xE0", 0, {unicodePathField("other", "X\xC3\xA9")}, true), cyr);
}

TEST(ZipFormat, DosTimeRoundTripsToTwoSecondsAndClampsEarlyYears) {
  std::tm t{};
  t.tm_year = 2021 - 1900, t.tm_mon = 6, t.tm_mday = 14, t.tm_hour = 13, t.tm_min = 45, t.tm_sec = 31;
  t.tm_isdst = -1;
  const std::time_t moment = std::mktime(&t);
  uint16_t time = 0, date = 0;
  toDosDateTime(moment, time, date);
  EXPECT_EQ(date, (2021 - 1980) * 512 + 7 * 32 + 14);
  EXPECT_EQ(time, 13 * 2048 + 45 * 32 + 15);
  EXPECT_EQ(fromDosDateTime(time, date), moment - 1);
  toDosDateTime(0, time, date);
  EXPECT_EQ(date, 0 * 512 + 1 * 32 + 1);
}

TEST(ZipFormat, FiveByteFileArchiveHasExactRecordLayout) {
  TempDir tmp;
  const std::string zip = makeArchive(tmp, {{"a.txt", "hello"}});
  ASSERT_GE(zip.size(), 30u + 5 + 46 + 5 + 22);
  const uint32_t compressed = getU32(zip.data() + 18);
  EXPECT_EQ(zip.size(), 30 + 5 + compressed + 46 + 5 + 22);
  EXPECT_EQ(getU32(zip.data()), ZipSig::kLocal);
  EXPECT_EQ(getU16(zip.data() + 4), 20);  // version needed
  EXPECT_EQ(getU16(zip.data() + 6), 0);   // flags
  EXPECT_EQ(getU16(zip.data() + 8), 8);   // deflate
  EXPECT_EQ(getU32(zip.data() + 14), crc32(0, reinterpret_cast<const Bytef*>("hello"), 5));
  EXPECT_EQ(getU32(zip.data() + 22), 5u);
  EXPECT_EQ(getU16(zip.data() + 26), 5);
  EXPECT_EQ(getU16(zip.data() + 28), 0);
  const char* end = zip.data() + zip.size() - 22;
  EXPECT_EQ(getU32(end), ZipSig::kEnd);
  EXPECT_EQ(getU16(end + 8), 1);
  EXPECT_EQ(getU16(end + 10), 1);
  EXPECT_EQ(getU32(end + 12), 46u + 5);
  EXPECT_EQ(zip.find("PK\x06\x06"), std::string::npos);
  const char* central = zip.data() + getU32(end + 16);
  EXPECT_EQ(getU16(central + 4), 20);  // made by = needed
  EXPECT_EQ(getU32(central + 38), ZipAttr::kArchive);
  // The data is a raw deflate stream.
  std::string out(5, '\0');
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + 35));
  z.avail_in = compressed;
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = 5;
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  inflateEnd(&z);
  EXPECT_EQ(out, "hello");
}

TEST(ZipFormat, FolderAndEmptyFileEntriesAreStoredWithZeroes) {
  TempDir tmp;
  writeFile(tmp / "src/empty.txt", "");
  std::filesystem::create_directories(tmp / "src/sub");
  TZipArchiver a;
  a.FileName = (tmp / "x.zip").string();
  a.Open(kZipOpenCreate);
  a.BaseDir = (tmp / "src").string();
  a.AddMatching("*.*");
  a.Close();
  const std::string zip = readFile(tmp / "x.zip");
  MemoryZipInput in(zip);
  const ZipDirectory dir = readZipDirectory(in);
  ASSERT_EQ(dir.entries.size(), 2u);
  const TZipEntry& file = dir.entries[0];
  const TZipEntry& folder = dir.entries[1];
  EXPECT_EQ(file.name, "empty.txt");
  EXPECT_EQ(file.method, 0);
  EXPECT_EQ(file.crc, 0u);
  EXPECT_EQ(file.compressedSize, 0u);
  EXPECT_EQ(folder.name, "sub/");
  EXPECT_EQ(folder.method, 0);
  EXPECT_EQ(folder.flags, ZipFlag::kFolder);
  EXPECT_EQ(folder.crc, 0u);
  EXPECT_EQ(folder.externalAttributes, ZipAttr::kDirectory);
}

TEST(ZipCodec, BlocksEndInSyncFlushAndTheStreamInflatesBack) {
  std::string input;
  for (int i = 0; i < 300000; ++i) input += static_cast<char>('a' + (static_cast<unsigned>(i) * 7919u) % 26u);
  ZipDeflater d(9);
  std::string packed;
  d.block(input.data(), 100000, false, packed);
  EXPECT_EQ(packed.substr(packed.size() - 4), std::string("\0\0\xFF\xFF", 4));  // empty stored block
  d.block(input.data() + 100000, input.size() - 100000, true, packed);
  ZipInflater inflater;
  std::string out;
  // Fed in small pieces, as blocks arrive.
  for (size_t i = 0; i < packed.size(); i += 777)
    ASSERT_TRUE(inflater.feed(packed.data() + i, std::min<size_t>(777, packed.size() - i),
                              [&](const char* p, size_t n) { out.append(p, n); }));
  EXPECT_TRUE(inflater.finished());
  EXPECT_EQ(out, input);
  EXPECT_EQ(zipBlockSize(9), 1536u * 1024);
  EXPECT_EQ(zipBlockSize(2), 512u * 1024);
  EXPECT_EQ(zipBlockSize(0), 1024u * 1024);
}

TEST(ZipReader, LeadingDataCommentsAndDamageAreHandled) {
  TempDir tmp;
  const std::string zip = makeArchive(tmp, {{"a.txt", "alpha alpha alpha"}, {"b.txt", "beta"}});
  auto check = [&](const std::string& bytes, bool recovered, const char* what) {
    MemoryZipInput in(bytes);
    const ZipDirectory dir = readZipDirectory(in);
    ASSERT_EQ(dir.entries.size(), 2u) << what;
    EXPECT_EQ(dir.recovered, recovered) << what;
    EXPECT_EQ(decodeAll(in, dir, dir.entries[0]), "alpha alpha alpha") << what;
    EXPECT_EQ(decodeAll(in, dir, dir.entries[1]), "beta") << what;
  };
  check(zip, false, "plain");
  check(std::string(10, 'G') + zip, false, "10 bytes of garbage in front, offsets not adjusted");
  // A comment that does not reach exactly the end of the file makes the end record unusable.
  std::string badComment = zip;
  badComment[badComment.size() - 2] = 5;
  check(badComment, true, "comment length past the end");
  std::string badCentral = zip;
  badCentral.replace(badCentral.find("PK\x01\x02"), 4, "XXXX");
  check(badCentral, true, "damaged central directory");
  std::string withComment = zip;
  withComment[withComment.size() - 2] = 3;
  withComment += "abc";
  MemoryZipInput in(withComment);
  EXPECT_EQ(readZipDirectory(in).comment, "abc");
}

TEST(ZipReader, FailuresUseTheTableCodes) {
  TempDir tmp;
  const std::string zip = makeArchive(tmp, {{"a.txt", std::string(5000, 'q') + "tail"}});
  auto nativeOf = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const EZipException& e) {
      return e.NativeError();
    }
    return -1;
  };
  EXPECT_EQ(nativeOf([] { readZipDirectory(MemoryZipInput("just some text, no archive at all")); }), 35);
  EXPECT_EQ(nativeOf([] { readZipDirectory(MemoryZipInput("")); }), 35);
  ZipReadOptions strict;
  strict.openDamaged = false;
  EXPECT_EQ(nativeOf([&] { readZipDirectory(MemoryZipInput(zip.substr(0, zip.size() - 1)), strict); }), 48);
  // A Zip64 locator whose record is nowhere.
  std::string locator;
  putU32(locator, ZipSig::kZip64Locator);
  putU32(locator, 0);
  putU64(locator, 3);
  putU32(locator, 1);
  const std::string lying = zip.substr(0, zip.size() - 22) + locator + zip.substr(zip.size() - 22);
  EXPECT_EQ(nativeOf([&] { readZipDirectory(MemoryZipInput(lying)); }), 40);

  // A flipped data byte fails the check; so do unknown methods and Deflate64.
  MemoryZipInput good(zip);
  ZipDirectory dir = readZipDirectory(good);
  std::string flipped = zip;
  flipped[40] ^= 0x55;
  MemoryZipInput bad(flipped);
  try {
    decodeAll(bad, dir, dir.entries[0]);
    ADD_FAILURE() << "flipped byte accepted";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.NativeError(), 8);
    EXPECT_NE(std::string(e.what()).find("Invalid size or check sum of file or unsupported compression format"),
              std::string::npos);
  }
  TZipEntry e = dir.entries[0];
  e.method = 9;
  EXPECT_EQ(nativeOf([&] { decodeAll(good, dir, e); }), 55);
  e.method = 12;
  EXPECT_EQ(nativeOf([&] { decodeAll(good, dir, e); }), 8);
  e = dir.entries[0];
  e.uncompressedSize = 10;  // a size that lies: never more output than claimed
  EXPECT_EQ(nativeOf([&] { decodeAll(good, dir, e); }), 8);
}

// A stored entry described for writing by hand.
TZipEntry storedEntry(const std::string& name, const std::string& data, uint64_t offset) {
  TZipEntry e;
  e.name = e.rawName = name;
  e.crc = crc32Update(0, data.data(), data.size());
  e.compressedSize = e.uncompressedSize = data.size();
  e.localOffset = offset;
  return e;
}

std::string withDirectory(const std::string& body, const std::vector<TZipEntry>& entries) {
  std::string central;
  for (const auto& e : entries) central += centralHeader(e);
  return body + central + endRecords(entries.size(), body.size(), central.size(), false);
}

TEST(ZipReader, EntriesSharingBytesAreRefusedAsDamaged) {
  const std::string data(1000, 'z');
  const TZipEntry a = storedEntry("a.bin", data, 0);
  const std::string first = localHeader(a, false) + data;
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::vector<TZipEntry> tenNames;
  for (int i = 0; i < 10; ++i) tenNames.push_back(storedEntry("copy" + std::to_string(i) + ".bin", data, 0));
  // A whole entry stored inside another one's data, and listed too.
  const TZipEntry inner = storedEntry("b.txt", "bee", 0);
  const std::string innerBytes = localHeader(inner, false) + "bee";
  const std::string outerData = "xx" + innerBytes + "yy";
  const TZipEntry outer = storedEntry("outer.bin", outerData, 0);
  TZipEntry innerListed = inner;
  innerListed.localOffset = localHeader(outer, false).size() + 2;
  // The first entry's data claimed to run on over the next entry's header.
  TZipEntry longA = a;
  longA.compressedSize += 10;
  const std::vector<Case> cases = {
      {"ten names on one local header", withDirectory(first, tenNames)},
      {"an entry inside another entry's data",
       withDirectory(localHeader(outer, false) + outerData, {outer, innerListed})},
      {"data running into the next header",
       withDirectory(first + innerBytes, {longA, storedEntry("b.txt", "bee", first.size())})},
  };
  TempDir tmp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool openDamaged : {true, false}) {
      ZipReadOptions options;
      options.openDamaged = openDamaged;
      try {
        readZipDirectory(MemoryZipInput(c.bytes), options);
        ADD_FAILURE() << "opened";
      } catch (const EZipException& e) {
        EXPECT_EQ(e.ErrorCode(), zipErrorCodeFor(ZipErr::kDamaged)) << e.what();
      }
    }
    // The component refuses to open it, so nothing is extracted.
    writeFile(tmp / "hostile.zip", c.bytes);
    TZipArchiver archiver;
    archiver.FileName = (tmp / "hostile.zip").string();
    try {
      archiver.Open(kZipOpenRead);
      ADD_FAILURE() << "opened";
    } catch (const EZipException& e) {
      EXPECT_EQ(std::string(e.what()), "Archive is damaged. Open failed - Native error: 00048");
    }
  }
  // The same entries one after the other open as they are.
  const std::string fineBytes = withDirectory(first + innerBytes, {a, storedEntry("b.txt", "bee", first.size())});
  MemoryZipInput fine(fineBytes);
  const ZipDirectory dir = readZipDirectory(fine);
  ASSERT_EQ(dir.entries.size(), 2u);
  EXPECT_EQ(decodeAll(fine, dir, dir.entries[1]), "bee");
}

TEST(ZipReader, EveryTruncationAndCorruptionFailsCleanly) {
  TempDir tmp;
  const std::string zip = makeArchive(tmp, {{"a.txt", std::string(3000, 'x')}, {"d/b.txt", "bee"}, {"c", ""}});
  for (size_t len = 0; len <= zip.size(); ++len) {
    for (int variant = 0; variant < 2; ++variant) {
      std::string bytes = zip.substr(0, len);
      if (variant == 1 && len < zip.size()) bytes = zip, bytes[len] = static_cast<char>(bytes[len] ^ 0xFF);
      MemoryZipInput in(bytes);
      try {
        const ZipDirectory dir = readZipDirectory(in);
        for (const auto& e : dir.entries) {
          try {
            std::string out = decodeAll(in, dir, e);
            EXPECT_LE(out.size(), e.uncompressedSize);
          } catch (const EZipException&) {
          }
        }
      } catch (const EZipException&) {
      }
    }
  }
}

}  // namespace
}  // namespace lumora::archive
