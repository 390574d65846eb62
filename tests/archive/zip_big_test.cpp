// A file over 4 GiB through the whole road: Zip64 records written, read back by the reference tools and
// by the engine. Slow (minutes), so it runs only with LUMORA_BIG_TESTS=1.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>

#include "archive/zip_archiver.h"
#include "archive/zip_compress_folder.h"
#include "zip_test_util.h"

namespace lumora::archive {
namespace {

using testing::quoted;
using testing::TempDir;
namespace fs = std::filesystem;

uint32_t fileCrc(const fs::path& p, uint64_t& size) {
  std::ifstream in(p, std::ios::binary);
  std::string buf(1 << 20, '\0');
  uLong crc = crc32(0, nullptr, 0);
  size = 0;
  while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0) {
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buf.data()), static_cast<uInt>(in.gcount()));
    size += static_cast<uint64_t>(in.gcount());
  }
  return static_cast<uint32_t>(crc);
}

TEST(ZipBig, FileOver4GiBUsesZip64AndRoundTrips) {
  const char* flag = std::getenv("LUMORA_BIG_TESTS");
  if (!flag || std::string(flag) != "1") GTEST_SKIP() << "set LUMORA_BIG_TESTS=1 to run";
  TempDir tmp;
  const auto src = tmp / "src";
  fs::create_directories(src);
  const uint64_t bigSize = 0x100000000ull + 12345;
  // Sparse zeroes marked at a few places: one deflated (tiny in the archive), one stored, so the entry
  // after them starts beyond 4 GiB too.
  for (const char* name : {"big.bin", "big.raw"}) {
    std::fstream f(src / name, std::ios::binary | std::ios::out);
    f.close();
    fs::resize_file(src / name, bigSize);
    f.open(src / name, std::ios::binary | std::ios::in | std::ios::out);
    for (uint64_t at : {uint64_t{0}, uint64_t{0xFFFFFFFFull - 3}, bigSize - 8}) {
      f.seekp(static_cast<std::streamoff>(at));
      f << "MARKER!!";
    }
  }
  testing::writeFile(src / "z-after.txt", "behind the 4 GiB mark");
  const auto archive = tmp / "big.zip";
  TZipArchiver a;
  a.NoCompressionMasks = {"*.raw"};
  ASSERT_TRUE(compressFolderInto(a, src.string(), archive.string()));

  // The big entries: version 45 and a 20-byte Zip64 field in their local headers.
  {
    TZipArchiver r;
    r.FileName = archive.string();
    r.Open(kZipOpenRead);
    ASSERT_EQ(r.Entries().size(), 4u);
    for (size_t i : {1, 2}) {
      const TZipEntry& big = r.Entries()[i];
      EXPECT_EQ(big.uncompressedSize, bigSize);
      EXPECT_EQ(big.versionNeeded, 45);
      std::ifstream in(archive, std::ios::binary);
      in.seekg(static_cast<std::streamoff>(big.localOffset));
      char h[30];
      in.read(h, 30);
      EXPECT_EQ(getU16(h + 4), 45);
      EXPECT_EQ(getU16(h + 28), 20);
      EXPECT_EQ(getU32(h + 22), 0xFFFFFFFFu);
    }
    EXPECT_EQ(r.Entries()[2].method, 0);
    EXPECT_GE(r.Entries()[3].localOffset, 0xFFFFFFFFull);
  }
  auto r = testing::runCommand("unzip -tqq " + quoted(archive));
  EXPECT_EQ(r.status, 0) << r.output;
  r = testing::runPython(tmp.path(), "import zipfile\nassert zipfile.ZipFile('big.zip').testzip() is None\n");
  EXPECT_EQ(r.status, 0) << r.output;

  TZipArchiver x;
  x.FileName = archive.string();
  x.BaseDir = (tmp / "out").string();
  x.Open(kZipOpenRead);
  for (const char* name : {"big.bin", "big.raw", "z-after.txt"}) ASSERT_TRUE(x.ExtractMatching(name));
  x.Close();
  for (const char* name : {"big.bin", "big.raw"}) {
    uint64_t sizeIn = 0, sizeOut = 0;
    EXPECT_EQ(fileCrc(tmp / "out" / name, sizeOut), fileCrc(src / name, sizeIn)) << name;
    EXPECT_EQ(sizeOut, sizeIn) << name;
    fs::remove(tmp / "out" / name);
  }
  EXPECT_EQ(testing::readFile(tmp / "out/z-after.txt"), "behind the 4 GiB mark");
}

}  // namespace
}  // namespace lumora::archive
