// Archives checked against the reference tools (unzip, 7z, Python's zipfile, Info-ZIP zip), and the
// lumora-zip command line.
#include <gtest/gtest.h>

#include "archive/zip_archiver.h"
#include "zip_test_util.h"

namespace lumora::archive {
namespace {

using testing::quoted;
using testing::readFile;
using testing::runCommand;
using testing::runPython;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

const std::string kTool = std::string(LUMORA_BINARY_DIR) + "/bin/lumora-zip";

void compressTree(const fs::path& src, const fs::path& archive) {
  TZipArchiver a;
  a.FileName = archive.string();
  a.setCompressionLevel(TZipCompressionLevel::clMax);
  a.Open(kZipOpenCreate);
  a.BaseDir = src.string();
  a.AddMatching("*.*");
  a.Close();
}

void extractAll(const fs::path& archive, const fs::path& target, const std::string& password = {}) {
  TZipArchiver a;
  a.FileName = archive.string();
  a.BaseDir = target.string();
  a.Password = password;
  a.Open(kZipOpenRead);
  EXPECT_TRUE(a.ExtractMatching("*.*", ZipAttr::kAllFiles, "")) << archive;
  a.Close();
}

TEST(ZipInterop, OurArchivesPassUnzip7zAndPythonAndExtractTheSame) {
  for (const char* tool : {"unzip", "7z", "python3"})
    if (!testing::haveTool(tool)) GTEST_SKIP() << tool << " missing";
  TempDir tmp;
  const auto src = tmp / "src";
  testing::makeSampleTree(src);
  compressTree(src, tmp / "ours.zip");
  const std::string zip = quoted(tmp / "ours.zip");

  auto r = runCommand("unzip -t " + zip);
  EXPECT_EQ(r.status, 0) << r.output;
  r = runCommand("7z t " + zip);
  EXPECT_EQ(r.status, 0) << r.output;
  r = runPython(tmp.path(), "import zipfile\nz = zipfile.ZipFile('ours.zip')\nassert z.testzip() is None\n");
  EXPECT_EQ(r.status, 0) << r.output;

  const auto expected = snapshot(src);
  r = runCommand("mkdir -p " + quoted(tmp / "u") + " && cd " + quoted(tmp / "u") + " && LC_ALL=C.UTF-8 unzip -q " +
                 zip);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(snapshot(tmp / "u"), expected) << "unzip";
  r = runCommand("7z x -y -o" + quoted(tmp / "s") + " " + zip);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(snapshot(tmp / "s"), expected) << "7z";
  // Python knows neither the Unicode Path field nor the OEM code page on its own; told the code page, it
  // reads every name right.
  r = runPython(tmp.path(), "import zipfile\nzipfile.ZipFile('ours.zip', metadata_encoding='cp866').extractall('p')\n");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(snapshot(tmp / "p"), expected) << "python";
  extractAll(tmp / "ours.zip", tmp / "l");
  EXPECT_EQ(snapshot(tmp / "l"), expected) << "ours";
}

TEST(ZipInterop, ArchivesOfOtherToolsExtractToTheSameTree) {
  for (const char* tool : {"zip", "7z", "python3"})
    if (!testing::haveTool(tool)) GTEST_SKIP() << tool << " missing";
  TempDir tmp;
  const auto src = tmp / "src";
  testing::makeSampleTree(src);
  const auto expected = snapshot(src);
  const std::string inSrc = "cd " + quoted(src) + " && ";
  const std::string walk =
      "import os, zipfile, io\n"
      "def files():\n"
      "  for root, dirs, names in sorted(os.walk('src')):\n"
      "    for d in sorted(dirs): yield os.path.relpath(os.path.join(root, d), 'src') + '/', None\n"
      "    for n in sorted(names):\n"
      "      p = os.path.join(root, n)\n"
      "      yield os.path.relpath(p, 'src'), open(p, 'rb').read()\n";
  struct Case {
    const char* label;
    std::string make;  // shell command or Python script (starting with "py:")
    std::string password;
  } cases[] = {
      {"zip", inSrc + "zip -qr ../t.zip .", ""},
      {"zip -D", inSrc + "zip -qrD ../t.zip .", ""},
      {"zip -fd (data descriptors)", inSrc + "zip -qr -fd ../t.zip .", ""},
      {"zip with comment", inSrc + "zip -qr ../t.zip . && echo 'a comment' | zip -qz ../t.zip", ""},
      {"zip -A with a prefix",
       inSrc + "zip -qr ../z.zip . && cd .. && (head -c 5000 /dev/zero; cat z.zip) > t.zip && zip -qA t.zip", ""},
      {"prefix without -A", inSrc + "zip -qr ../z.zip . && cd .. && (printf 0123456789; cat z.zip) > t.zip", ""},
      {"zip -P", inSrc + "zip -qr -P s3cret ../t.zip .", "s3cret"},
      {"7z", inSrc + "7z a -tzip ../t.zip . > /dev/null", ""},
      {"python stored",
       "py:" + walk + "with zipfile.ZipFile('t.zip', 'w') as z:\n  for n, d in files():\n    z.writestr(n, d or b'')\n",
       ""},
      {"python deflated",
       "py:" + walk +
           "with zipfile.ZipFile('t.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n  for n, d in files():\n    z.writestr(n, "
           "d "
           "or b'')\n",
       ""},
      {"python streamed",
       "py:" + walk +
           "class S(io.RawIOBase):\n  def __init__(s): s.b = bytearray()\n  def writable(s): return True\n"
           "  def write(s, d): s.b += d; return len(d)\n"
           "s = S()\nwith zipfile.ZipFile(s, 'w', zipfile.ZIP_DEFLATED) as z:\n  for n, d in files():\n"
           "    if d is None: z.writestr(n, b'')\n    else:\n      with z.open(n, 'w') as f: f.write(d)\n"
           "open('t.zip', 'wb').write(s.b)\n",
       ""},
      {"python zip64 forced",
       "py:" + walk +
           "with zipfile.ZipFile('t.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n  for n, d in files():\n"
           "    if d is None: z.writestr(n, b'')\n    else:\n      with z.open(n, 'w', force_zip64=True) as f: "
           "f.write(d)\n",
       ""},
  };
  for (const auto& c : cases) {
    fs::remove(tmp / "t.zip");
    fs::remove(tmp / "z.zip");
    fs::remove_all(tmp / "out");
    auto r = c.make.starts_with("py:") ? runPython(tmp.path(), c.make.substr(3)) : runCommand(c.make);
    ASSERT_EQ(r.status, 0) << c.label << ": " << r.output;
    extractAll(tmp / "t.zip", tmp / "out", c.password);
    auto want = expected;
    if (c.label == std::string("zip -D")) want.erase("empty-folder");  // no folder entries at all
    const auto got = snapshot(tmp / "out");
    EXPECT_TRUE(got == want) << c.label << ": " << ::testing::PrintToString(got).substr(0, 2000);
  }
}

TEST(ZipInterop, ManyEntriesGetAZip64EndRecordOthersRead) {
  if (!testing::haveTool("unzip") || !testing::haveTool("python3")) GTEST_SKIP();
  TempDir tmp;
  const auto src = tmp / "src";
  fs::create_directories(src);
  for (int i = 0; i < 65536; ++i) {
    FILE* f = std::fopen((src / std::to_string(i)).c_str(), "w");
    ASSERT_TRUE(f);
    std::fclose(f);
  }
  compressTree(src, tmp / "many.zip");
  const std::string zip = readFile(tmp / "many.zip");
  EXPECT_NE(zip.find("PK\x06\x06"), std::string::npos);
  EXPECT_EQ(zip.substr(zip.size() - 22 + 8, 4), "\xFF\xFF\xFF\xFF");
  auto r = runCommand("unzip -tqq " + quoted(tmp / "many.zip"));
  EXPECT_EQ(r.status, 0) << r.output;
  r = runPython(tmp.path(), "import zipfile\nassert len(zipfile.ZipFile('many.zip').infolist()) == 65536\n");
  EXPECT_EQ(r.status, 0) << r.output;
  TZipArchiver a;
  a.FileName = (tmp / "many.zip").string();
  a.Open(kZipOpenRead);
  EXPECT_EQ(a.Entries().size(), 65536u);
}

TEST(ZipTool, CompressListTestExtractAndReportErrors) {
  if (!testing::haveTool("unzip")) GTEST_SKIP();
  TempDir tmp;
  const auto pub = tmp / "pub";
  testing::makeSampleTree(pub);
  const std::string zip = quoted(tmp / "p.zip");
  auto r = runCommand(kTool + " c " + zip + " " + quoted(pub));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(runCommand("unzip -tqq " + zip).status, 0);
  r = runCommand(kTool + " l " + zip);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find(" deflated "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("img/noise.bin"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(pub.string().substr(1) + "/"), std::string::npos) << r.output;
  EXPECT_EQ(runCommand(kTool + " t " + zip).status, 0);
  r = runCommand(kTool + " x " + zip + " " + quoted(tmp / "out"));
  EXPECT_EQ(r.status, 0) << r.output;
  auto got = snapshot(tmp / "out");
  for (const auto& [name, bytes] : snapshot(pub)) EXPECT_EQ(got[name], bytes) << name;

  // A flipped data byte: "t" and "x" report the entry's check failure and exit with 1.
  std::string bytes = readFile(tmp / "p.zip");
  const size_t at = bytes.find("long.txt") + 8 + 100;
  bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
  writeFile(tmp / "bad.zip", bytes);
  for (const char* args : {" t ", " x "}) {
    r = runCommand(kTool + args + quoted(tmp / "bad.zip") + (args[1] == 'x' ? " " + quoted(tmp / "out2") : ""));
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(
        r.output.find("Invalid size or check sum of file or unsupported compression format - Native error: 00008"),
        std::string::npos)
        << r.output;
  }
  EXPECT_FALSE(fs::exists(tmp / "out2/deep/a/b/c/d/long.txt"));
  // A wrong password fails cleanly.
  ASSERT_EQ(runCommand("cd " + quoted(pub) + " && zip -qr -P right ../enc.zip .").status, 0);
  r = runCommand(kTool + " -p wrong x " + quoted(tmp / "enc.zip") + " " + quoted(tmp / "out3"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("password"), std::string::npos) << r.output;
  EXPECT_TRUE(snapshot(tmp / "out3").empty() || [&] {
    for (const auto& [n, b] : snapshot(tmp / "out3"))
      if (b != "<dir>") return false;
    return true;
  }());
  // Engine errors go to standard error as the message, exit status 1.
  r = runCommand(kTool + " x " + quoted(tmp / "missing.zip") + " " + quoted(tmp / "o"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "File \"" + (tmp / "missing.zip").string() + "\" not found - Native error: 00012\n");
}

TEST(ZipTool, AMissingFolderIsAnErrorAndTheArchiveStaysAndThreadsAreCapped) {
  TempDir tmp;
  writeFile(tmp / "pub/a.txt", "alpha");
  writeFile(tmp / "pub/b.txt", "beta");
  const std::string zip = quoted(tmp / "p.zip");
  // Far more threads than anyone has: the engine uses what the machine can run.
  auto r = runCommand(kTool + " -j 100000 c " + zip + " " + quoted(tmp / "pub"));
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string before = readFile(tmp / "p.zip");
  r = runCommand(kTool + " c " + zip + " " + quoted(tmp / "nonexistent"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "Folder \"" + (tmp / "nonexistent").string() + "\" to compress not found - Native error: 00059\n");
  EXPECT_EQ(readFile(tmp / "p.zip"), before);
}

}  // namespace
}  // namespace lumora::archive
