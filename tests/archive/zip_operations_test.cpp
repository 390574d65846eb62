// The archive component: adding folders, extracting, its errors, its questions, undoing failed updates and
// keeping extraction inside the target folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <thread>

#include "archive/zip_archiver.h"
#include "archive/zip_codec.h"
#include "archive/zip_compress_folder.h"
#include "zip_test_util.h"

namespace lumora::archive {
namespace {

using testing::readFile;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

// Answers the component's questions from a script and records what was asked.
class ScriptedDialogs : public TZipDialogs {
 public:
  std::deque<TZipAction> failures;
  std::deque<std::optional<std::string>> passwords;
  std::vector<std::string> asked;
  TZipAction failureDialog(const std::string& message) override {
    asked.push_back(message);
    if (failures.empty()) return TZipAction::fxaAbort;
    const TZipAction a = failures.front();
    failures.pop_front();
    return a;
  }
  std::optional<std::string> passwordDialog(const std::string& title, const std::string& prompt) override {
    asked.push_back(title + "|" + prompt);
    if (passwords.empty()) return std::nullopt;
    auto p = passwords.front();
    passwords.pop_front();
    return p;
  }
  TZipOverwriteAnswer overwriteDialog(const std::string& message) override {
    asked.push_back(message);
    return TZipOverwriteAnswer::No;
  }
};

std::vector<std::string> entryNames(const std::string& archive) {
  TZipArchiver a;
  a.FileName = archive;
  a.Open(kZipOpenRead);
  std::vector<std::string> names;
  for (const auto& e : a.Entries()) names.push_back(e.name);
  return names;
}

int nativeErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EZipException& e) {
    return e.NativeError();
  }
  return -1;
}

// A stored-entry archive written record by record, for names and attributes no well-behaved tool makes.
struct RawEntry {
  std::string name;
  std::string data;
  uint16_t madeBy = 20;
  uint32_t attributes = 0;
  bool badCrc = false;
};
std::string rawArchive(const std::vector<RawEntry>& entries) {
  std::string out, central;
  for (const auto& r : entries) {
    TZipEntry e;
    e.name = e.rawName = r.name;
    e.versionMadeBy = r.madeBy;
    e.crc = crc32Update(0, r.data.data(), r.data.size()) ^ (r.badCrc ? 1u : 0u);
    e.compressedSize = e.uncompressedSize = r.data.size();
    e.externalAttributes = r.attributes;
    e.localOffset = out.size();
    out += localHeader(e, false) + r.data;
    central += centralHeader(e);
  }
  const uint64_t start = out.size();
  return out + central + endRecords(entries.size(), start, central.size(), false);
}

TEST(ZipCompressFolder, FolderEntryWithFullPathThenFilesThenSubFolders) {
  TempDir tmp;
  const auto pub = tmp / "data/pub";
  writeFile(pub / "index.htm", "<p>x</p>");
  writeFile(pub / "z.txt", "z");
  writeFile(pub / "img/a.gif", "GIF89a");
  writeFile(pub / "img/deeper/b.gif", "GIF89a");
  // The archive lies inside the folder it compresses: it must not contain itself.
  const std::string archive = (pub / "pub.zip").string();
  TZipArchiver a;
  ASSERT_TRUE(compressFolderInto(a, pub.string(), archive));
  const std::string top = pub.string().substr(1) + "/";
  EXPECT_EQ(entryNames(archive), (std::vector<std::string>{top, "index.htm", "z.txt", "img/", "img/a.gif",
                                                           "img/deeper/", "img/deeper/b.gif"}));
}

// The names in a folder, sorted.
std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ZipCompressFolder, AFailedCompressionLeavesTheArchiveThereAsItWasOrNone) {
  TempDir tmp;
  const fs::path big = tmp / "src/big.bin";  // larger than a block, so it is read while it is written
  const fs::path archive = tmp / "out/a.zip";
  struct Case {
    const char* name;
    fs::path folder;
    std::function<void(TZipArchiver&)> setUp;
    int nativeError;  // 0: the user aborted
  };
  const std::vector<Case> cases = {
      {"missing folder", tmp / "nonexistent", {}, ZipErr::kFolderNotFound},
      {"a file shrinks while it is packed", tmp / "src",
       [&](TZipArchiver& a) {
         a.OnFileProgress = [&](TZipBaseArchiver&, const std::string& name, double, TZipProcessOperation,
                                TZipProgressPhase phase, bool&) {
           if (phase == TZipProgressPhase::ppStart && name == big.string()) fs::resize_file(big, 1000);
         };
       },
       ZipErr::kSourceSizeChanged},
      {"abort after a failed entry", tmp / "src",
       [&](TZipArchiver& a) {
         a.OnStoreFile = [&](TZipBaseArchiver&, std::string& name, uint32_t&) {
           if (name == "small.txt") fs::remove(tmp / "src/small.txt");
         };
         a.OnProcessFileFailure = [](TZipBaseArchiver&, const std::string&, TZipProcessOperation, int, int,
                                     const std::string&, TZipAction& action) { action = TZipAction::fxaAbort; };
       },
       0},
  };
  for (const Case& c : cases) {
    for (bool existing : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (existing ? ", archive there" : ", no archive"));
      writeFile(tmp / "src/small.txt", "small");
      writeFile(big, std::string(3 << 20, 'b'));
      fs::remove_all(tmp / "out");
      fs::create_directories(tmp / "out");
      std::string before;
      if (existing) {
        writeFile(tmp / "old/kept.txt", "the archive made before");
        TZipArchiver maker;
        compressFolderInto(maker, (tmp / "old").string(), archive.string());
        before = readFile(archive);
      }
      TZipArchiver a;
      if (c.setUp) c.setUp(a);
      int outcome = -1;
      try {
        outcome = compressFolderInto(a, c.folder.string(), archive.string()) ? -1 : 0;
      } catch (const EZipException& e) {
        outcome = e.NativeError();
      }
      EXPECT_EQ(outcome, c.nativeError);
      if (existing) {
        EXPECT_EQ(readFile(archive), before);
        EXPECT_EQ(namesIn(tmp / "out"), std::vector<std::string>{"a.zip"});  // no temporary file left
      } else {
        EXPECT_TRUE(namesIn(tmp / "out").empty());
      }
    }
  }
}

TEST(ZipCompressFolder, AReplacedArchiveKeepsItsPermissionsAndItsLink) {
  TempDir tmp;
  writeFile(tmp / "src/a.txt", "first");
  const fs::path real = tmp / "real/a.zip";
  fs::create_directories(real.parent_path());
  TZipArchiver first;
  compressFolderInto(first, (tmp / "src").string(), real.string());
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(real, tmp / "link.zip");
  writeFile(tmp / "src/a.txt", "second");
  TZipArchiver second;
  ASSERT_TRUE(compressFolderInto(second, (tmp / "src").string(), (tmp / "link.zip").string()));
  EXPECT_TRUE(fs::is_symlink(tmp / "link.zip"));
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  TZipArchiver x;
  x.FileName = (tmp / "link.zip").string();
  x.BaseDir = (tmp / "x").string();
  x.Open(kZipOpenRead);
  EXPECT_TRUE(x.ExtractMatching());
  EXPECT_EQ(readFile(tmp / "x/a.txt"), "second");
  EXPECT_EQ(namesIn(tmp / "real"), std::vector<std::string>{"a.zip"});
}

TEST(ZipExtract, EverythingIncludingDotlessNamesAndEmptyFoldersAndReplacesEarlierCopies) {
  TempDir tmp;
  const auto src = tmp / "src";
  testing::makeSampleTree(src);
  TZipArchiver a;
  a.FileName = (tmp / "s.zip").string();
  a.Open(kZipOpenCreate);
  a.BaseDir = src.string();
  a.AddMatching("*.*");
  a.Close();

  const auto out = tmp / "out";
  auto extract = [&] {
    TZipArchiver x;
    x.FileName = (tmp / "s.zip").string();
    x.BaseDir = out.string();
    x.Open(kZipOpenRead);
    EXPECT_TRUE(x.ExtractMatching("*.*", ZipAttr::kAllFiles, ""));
    x.Close();
  };
  extract();
  EXPECT_EQ(snapshot(out), snapshot(src));
  // A second extraction replaces changed copies without asking, read-only ones included.
  writeFile(out / "README", "changed");
  ::chmod((out / "index.htm").c_str(), 0444);
  extract();
  EXPECT_EQ(snapshot(out), snapshot(src));
}

TEST(ZipArchiver, OperationsFailWithTheirNativeErrors) {
  TempDir tmp;
  TZipArchiver a;
  a.Name = "Archiver";
  a.FileName = "";
  EXPECT_EQ(nativeErrorOf([&] { a.Open(kZipOpenCreate); }), 10);
  a.FileName = (tmp / "folder/").string();
  EXPECT_EQ(nativeErrorOf([&] { a.Open(kZipOpenRead); }), 10);
  a.FileName = (tmp / "missing.zip").string();
  try {
    a.Open(kZipOpenRead);
    ADD_FAILURE();
  } catch (const EZipException& e) {
    EXPECT_EQ(std::string(e.what()), "Archiver: File \"" + a.FileName + "\" not found - Native error: 00012");
  }
  writeFile(tmp / "text.zip", "this is no archive");
  a.FileName = (tmp / "text.zip").string();
  EXPECT_EQ(nativeErrorOf([&] { a.Open(kZipOpenRead); }), 35);
  EXPECT_EQ(nativeErrorOf([&] { a.AddMatching("*.*"); }), 13);
  EXPECT_EQ(nativeErrorOf([&] { a.ExtractMatching(); }), 13);
  EXPECT_EQ(nativeErrorOf([&] { a.setCompressionMode(10); }), 5);
  a.FileName = (tmp / "new.zip").string();
  a.Open(kZipOpenCreate);
  a.Close();
  a.Open(kZipOpenRead);
  EXPECT_EQ(nativeErrorOf([&] { a.AddMatching("*.*"); }), 32);
  a.Close();
  EXPECT_EQ(readFile(tmp / "new.zip").size(), 22u);  // a bare end record

  a.Open(kZipOpenReadWrite);
  a.BeginUpdate();
  EXPECT_EQ(nativeErrorOf([&] { a.ExtractMatching(); }), 26);
  a.EndUpdate();
  EXPECT_EQ(nativeErrorOf([&] { a.EndUpdate(); }), 22);

  // Level and mode follow each other.
  a.setCompressionMode(5);
  EXPECT_EQ(a.CompressionLevel(), TZipCompressionLevel::clNormal);
  a.setCompressionLevel(TZipCompressionLevel::clMax);
  EXPECT_EQ(a.CompressionMode(), 9);
}

TEST(ZipExtract, FailedEntryGoesToTheDialogAndLeavesNoFileBehind) {
  TempDir tmp;
  writeFile(tmp / "bad.zip",
            rawArchive({{"good1.txt", "one"}, {"bad.txt", "corrupt", 20, 0, true}, {"good2.txt", "two"}}));
  writeFile(tmp / "out/bad.txt", "the earlier copy");
  struct Case {
    std::vector<TZipAction> answers;
    bool completed;
    bool secondGood;
    size_t asked;
  } cases[] = {
      {{TZipAction::fxaIgnore}, true, true, 1},
      {{TZipAction::fxaRetry, TZipAction::fxaIgnore}, true, true, 2},
      {{TZipAction::fxaAbort}, false, false, 1},
  };
  for (const auto& c : cases) {
    fs::remove(tmp / "out/good1.txt");
    fs::remove(tmp / "out/good2.txt");
    ScriptedDialogs dialogs;
    dialogs.failures.assign(c.answers.begin(), c.answers.end());
    TZipArchiver a;
    a.Dialogs = &dialogs;
    a.FileName = (tmp / "bad.zip").string();
    a.BaseDir = (tmp / "out").string();
    a.Open(kZipOpenRead);
    EXPECT_EQ(a.ExtractMatching(), c.completed);
    ASSERT_EQ(dialogs.asked.size(), c.asked);
    EXPECT_EQ(dialogs.asked[0],
              "Invalid size or check sum of file or unsupported compression format - Native error: 00008. File "
              "processing error, possibly disk is full");
    EXPECT_EQ(readFile(tmp / "out/good1.txt"), "one");
    EXPECT_EQ(fs::exists(tmp / "out/good2.txt"), c.secondGood);
    // The failed entry neither left a half-written file nor destroyed the earlier copy.
    EXPECT_EQ(readFile(tmp / "out/bad.txt"), "the earlier copy");
    EXPECT_EQ(snapshot(tmp / "out").size(), c.secondGood ? 3u : 2u);
  }
  // Without a dialog the failure reaches the caller.
  TZipArchiver a;
  a.FileName = (tmp / "bad.zip").string();
  a.BaseDir = (tmp / "out2").string();
  a.Open(kZipOpenRead);
  EXPECT_EQ(nativeErrorOf([&] { a.ExtractMatching(); }), 8);
}

TEST(ZipExtract, NothingIsWrittenOutsideTheTargetFolder) {
  TempDir tmp;
  const auto outside = tmp / "outside";
  fs::create_directories(outside);
  const auto target = tmp / "target";
  fs::create_directories(target);
  fs::create_symlink(outside, target / "planted");
  const uint32_t linkMode = 0120777u << 16;
  writeFile(tmp / "evil.zip", rawArchive({
                                  {"../evil1.txt", "x"},
                                  {"/tmp/../" + (outside / "evil2.txt").string().substr(1), "x"},
                                  {"C:\\evil3.txt", "x"},
                                  {"a\\..\\..\\evil4.txt", "x"},
                                  {"ok/../../evil5.txt", "x"},
                                  {std::string("..\0/evil8.txt", 13), "x"},
                                  {"planted/evil6.txt", "x"},
                                  {"sym", outside.string(), 0x031E, linkMode},
                                  {"sym/evil7.txt", "x"},
                                  {"fine/kept.txt", "kept"},
                              }));
  std::vector<std::pair<std::string, int>> refused;
  TZipArchiver a;
  a.OnProcessFileFailure = [&](TZipBaseArchiver&, const std::string& name, TZipProcessOperation, int native, int,
                               const std::string& message, TZipAction& action) {
    refused.emplace_back(name, native);
    std::string shown = name.substr(0, name.find('/'));
    std::replace(shown.begin(), shown.end(), '\0', '?');
    EXPECT_NE(message.find(shown), std::string::npos) << message;
    action = TZipAction::fxaIgnore;
  };
  a.FileName = (tmp / "evil.zip").string();
  a.BaseDir = target.string();
  a.Open(kZipOpenRead);
  EXPECT_TRUE(a.ExtractMatching());
  EXPECT_TRUE(fs::is_empty(outside));
  EXPECT_EQ(readFile(target / "fine/kept.txt"), "kept");
  // A stored link becomes a plain file holding its text; nothing follows it.
  EXPECT_FALSE(fs::is_symlink(target / "sym"));
  const std::vector<std::pair<std::string, int>> expected = {
      {"../evil1.txt", 58},       {"/tmp/../" + (outside / "evil2.txt").string().substr(1), 58},
      {"C:\\evil3.txt", 58},      {"a\\..\\..\\evil4.txt", 58},
      {"ok/../../evil5.txt", 58}, {std::string("..\0/evil8.txt", 13), 58},
      {"planted/evil6.txt", 58},  {"sym/evil7.txt", 20}};
  EXPECT_EQ(refused, expected);
}

TEST(ZipExtract, PasswordIsAskedUntilRightOrCancelled) {
  TempDir tmp;
  // One encrypted stored entry, check byte from the CRC.
  const std::string data = "secret data";
  TZipEntry e;
  e.name = e.rawName = "s.txt";
  e.flags = ZipFlag::kEncrypted;
  e.crc = crc32Update(0, data.data(), data.size());
  e.uncompressedSize = data.size();
  e.compressedSize = data.size() + 12;
  std::string payload = std::string(11, '\x5A') + static_cast<char>(e.crc >> 24) + data;
  ZipEncrypter("right").encrypt(payload.data(), payload.size());
  const std::string local = localHeader(e, false) + payload;
  const std::string central = centralHeader(e);
  writeFile(tmp / "p.zip", local + central + endRecords(1, local.size(), central.size(), false));

  ScriptedDialogs dialogs;
  dialogs.passwords = {std::string("wrong"), std::string("right")};
  TZipArchiver a;
  a.Dialogs = &dialogs;
  a.FileName = (tmp / "p.zip").string();
  a.BaseDir = (tmp / "out").string();
  a.Open(kZipOpenRead);
  EXPECT_TRUE(a.ExtractMatching());
  EXPECT_EQ(readFile(tmp / "out/s.txt"), data);
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(dialogs.asked[0], "Password for \"s.txt\"|Enter password: ");
  EXPECT_EQ(a.Password, "right");

  // Cancelling skips the entry.
  fs::remove(tmp / "out/s.txt");
  a.Password.clear();
  dialogs.passwords = {std::nullopt};
  EXPECT_TRUE(a.ExtractMatching());
  EXPECT_FALSE(fs::exists(tmp / "out/s.txt"));
}

TEST(ZipUpdate, FailedSourcesAreIgnoredOrUndoTheWholeUpdate) {
  TempDir tmp;
  writeFile(tmp / "src/a.txt", "aaa");
  writeFile(tmp / "src/b.txt", "bbb");
  writeFile(tmp / "src/c.txt", "ccc");
  for (TZipAction answer : {TZipAction::fxaIgnore, TZipAction::fxaAbort}) {
    writeFile(tmp / "src/b.txt", "bbb");
    const std::string before = fs::exists(tmp / "u.zip") ? readFile(tmp / "u.zip") : "";
    ScriptedDialogs dialogs;
    dialogs.failures = {answer};
    TZipArchiver a;
    a.Dialogs = &dialogs;
    // The file vanishes between being found and being read.
    a.OnStoreFile = [&](TZipBaseArchiver&, std::string& name, uint32_t&) {
      if (name == "b.txt") fs::remove(tmp / "src/b.txt");
    };
    a.FileName = (tmp / "u.zip").string();
    a.Open(kZipOpenCreate);
    a.BaseDir = (tmp / "src").string();
    EXPECT_EQ(a.AddMatching("*.*"), answer == TZipAction::fxaIgnore);
    a.Close();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_NE(dialogs.asked[0].find("Cannot open file \"" + (tmp / "src/b.txt").string() + "\""), std::string::npos);
    if (answer == TZipAction::fxaIgnore) {
      EXPECT_EQ(entryNames((tmp / "u.zip").string()), (std::vector<std::string>{"a.txt", "c.txt"}));
    } else {
      // The aborted archive never replaces the one made in the round before.
      EXPECT_EQ(readFile(tmp / "u.zip"), before);
    }
  }
}

TEST(ZipUpdate, AppendingAndReplacingKeepOldEntriesAndAbortRestoresTheFile) {
  TempDir tmp;
  writeFile(tmp / "src/a.txt", "aaa");
  writeFile(tmp / "src/b.txt", "bbb");
  writeFile(tmp / "src/c.txt", "ccc");
  const std::string archive = (tmp / "r.zip").string();
  {
    TZipArchiver a;
    a.FileName = archive;
    a.Open(kZipOpenCreate);
    a.BaseDir = (tmp / "src").string();
    a.AddMatching("*.txt");
  }
  writeFile(tmp / "src/b.txt", "a new b that is longer");
  writeFile(tmp / "src/d.txt", "ddd");
  {
    TZipArchiver a;
    a.FileName = archive;
    a.Open(kZipOpenReadWrite);
    a.BaseDir = (tmp / "src").string();
    EXPECT_TRUE(a.AddMatching("b.txt"));  // replaces the middle entry, c.txt is copied after it
    EXPECT_TRUE(a.AddMatching("d.txt"));
  }
  EXPECT_EQ(entryNames(archive), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));
  {
    TZipArchiver x;
    x.FileName = archive;
    x.BaseDir = (tmp / "out").string();
    x.Open(kZipOpenRead);
    EXPECT_TRUE(x.ExtractMatching());
  }
  EXPECT_EQ(readFile(tmp / "out/b.txt"), "a new b that is longer");
  EXPECT_EQ(readFile(tmp / "out/c.txt"), "ccc");

  // An aborted update leaves the archive byte for byte as it was.
  const std::string before = readFile(archive);
  writeFile(tmp / "src/e.txt", "eee");
  TZipArchiver a;
  a.OnFileProgress = [](TZipBaseArchiver&, const std::string& name, double, TZipProcessOperation,
                        TZipProgressPhase phase,
                        bool& cancel) { cancel = phase == TZipProgressPhase::ppStart && name.ends_with("e.txt"); };
  a.FileName = archive;
  a.Open(kZipOpenReadWrite);
  a.BaseDir = (tmp / "src").string();
  EXPECT_FALSE(a.AddMatching("*.txt"));  // replaces a-d (unchanged bytes), then e is cancelled
  a.Close();
  EXPECT_EQ(readFile(archive), before);
}

TEST(ZipUpdate, SizesBeyondZip32NeedZip64Mode) {
  TempDir tmp;
  const auto big = tmp / "src/huge.bin";
  writeFile(big, "");
  fs::resize_file(big, 0x100000000ull);  // sparse; never read, the check comes first
  TZipArchiver a;
  ScriptedDialogs dialogs;
  a.Dialogs = &dialogs;
  a.FileName = (tmp / "z.zip").string();
  a.Open(kZipOpenCreate);
  a.BaseDir = (tmp / "src").string();
  EXPECT_FALSE(a.AddMatching("*.*"));
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_NE(dialogs.asked[0].find("Cannot compress file '" + big.string() +
                                  "'. Zip64 mode is not enabled - Native error: 00041"),
            std::string::npos);
}

TEST(ZipArchiver, ProgressRunsFromStartToEndWithoutGoingBack) {
  TempDir tmp;
  testing::makeSampleTree(tmp / "src");
  for (int op = 0; op < 2; ++op) {
    std::vector<std::pair<double, TZipProgressPhase>> seen;
    int fileStarts = 0, fileEnds = 0;
    TZipArchiver a;
    a.OnOverallProgress = [&](TZipBaseArchiver&, double p, TZipProcessOperation, TZipProgressPhase phase, bool&) {
      seen.emplace_back(p, phase);
    };
    a.OnFileProgress = [&](TZipBaseArchiver&, const std::string&, double, TZipProcessOperation, TZipProgressPhase phase,
                           bool&) {
      fileStarts += phase == TZipProgressPhase::ppStart;
      fileEnds += phase == TZipProgressPhase::ppEnd;
    };
    a.FileName = (tmp / "p.zip").string();
    if (op == 0) {
      a.Open(kZipOpenCreate);
      a.BaseDir = (tmp / "src").string();
      a.AddMatching("*.*");
    } else {
      a.Open(kZipOpenRead);
      a.BaseDir = (tmp / "out").string();
      a.ExtractMatching();
    }
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), std::make_pair(0.0, TZipProgressPhase::ppStart));
    EXPECT_EQ(seen.back(), std::make_pair(100.0, TZipProgressPhase::ppEnd));
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].first, seen[i - 1].first);
    EXPECT_EQ(fileStarts, fileEnds);
    EXPECT_EQ(static_cast<size_t>(fileStarts), a.Entries().size());
  }
}

TEST(ZipUpdate, ALargeThreadRequestStartsNoMoreThanTwiceTheCores) {
  TempDir tmp;
  for (int i = 0; i < 64; ++i) writeFile(tmp / ("src/f" + std::to_string(i) + ".txt"), std::string(100 + i, 'a'));
  auto threadCount = [] {
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
  };
  const size_t before = threadCount();
  size_t most = before;
  TZipArchiver a;
  a.Threads = 1000;
  a.OnFileProgress = [&](TZipBaseArchiver&, const std::string&, double, TZipProcessOperation, TZipProgressPhase,
                         bool&) { most = std::max(most, threadCount()); };
  a.FileName = (tmp / "t.zip").string();
  a.Open(kZipOpenCreate);
  a.BaseDir = (tmp / "src").string();
  EXPECT_TRUE(a.AddMatching("*.*", ZipAttr::kAllFiles & ~ZipAttr::kDirectory));
  a.Close();
  EXPECT_LE(most - before, 2 * std::max(1u, std::thread::hardware_concurrency()));
  EXPECT_EQ(entryNames((tmp / "t.zip").string()).size(), 64u);
}

TEST(ZipUpdate, ParallelCompressionWritesTheSameBytes) {
  TempDir tmp;
  for (int i = 0; i < 40; ++i)
    writeFile(tmp / ("src/f" + std::to_string(i) + ".txt"), std::string(1000 + i * 997, 'a' + i % 26));
  writeFile(tmp / "src/large.bin", std::string(4 << 20, 'L'));  // several blocks, written on the caller's thread
  std::string first;
  for (int threads : {1, 2, 5}) {
    TZipArchiver a;
    a.Threads = threads;
    a.setCompressionMode(9);
    a.FileName = (tmp / "t.zip").string();
    a.Open(kZipOpenCreate);
    a.BaseDir = (tmp / "src").string();
    a.AddMatching("*.*", ZipAttr::kAllFiles & ~ZipAttr::kDirectory);
    a.Close();
    if (first.empty())
      first = readFile(tmp / "t.zip");
    else
      EXPECT_EQ(readFile(tmp / "t.zip"), first) << threads << " threads";
  }
}

}  // namespace
}  // namespace lumora::archive
