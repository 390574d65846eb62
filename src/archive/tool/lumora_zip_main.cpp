// lumora-zip: the archive engine on the command line, for publishers' build scripts and for tests.
//   lumora-zip c ARCHIVE FOLDER     compress FOLDER into a new ARCHIVE
//   lumora-zip x ARCHIVE FOLDER     extract everything into FOLDER, replacing existing files
//   lumora-zip l ARCHIVE            list names, sizes, method and CRC-32
//   lumora-zip t ARCHIVE            check every entry
// Options before the command: -p PASSWORD (encrypted entries), -j THREADS (compression threads).
// Errors go to standard error as the engine's message; the exit status is then 1. A failed compression
// leaves an archive already there as it was.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/zip_archiver.h"
#include "archive/zip_compress_folder.h"

namespace {

int usage() {
  std::fputs(
      "usage: lumora-zip [-p PASSWORD] [-j THREADS] c|x ARCHIVE FOLDER\n"
      "       lumora-zip [-p PASSWORD] l|t ARCHIVE\n",
      stderr);
  return 2;
}

const char* methodName(uint16_t method) {
  switch (method) {
    case 0: return "stored";
    case 8: return "deflated";
    case 9: return "deflate64";
    default: return "other";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string password;
  int threads = 0;
  while (args.size() >= 2 && (args[0] == "-p" || args[0] == "-j")) {
    if (args[0] == "-p")
      password = args[1];
    else
      threads = std::atoi(args[1].c_str());
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return usage();
  const std::string command = args[0];
  const bool twoArgs = command == "c" || command == "x";
  if ((twoArgs && args.size() != 3) || (!twoArgs && args.size() != 2) ||
      (command != "c" && command != "x" && command != "l" && command != "t"))
    return usage();

  lumora::archive::TZipArchiver archiver;
  archiver.Threads = threads;
  archiver.Password = password;
  bool failed = false;
  // A failed entry is reported. Extracting and testing skip it, so one bad entry does not hide the state
  // of the others; compressing stops, as an archive without that file is not the one asked for.
  const bool compressing = command == "c";
  archiver.OnProcessFileFailure = [&](lumora::archive::TZipBaseArchiver&, const std::string&, lumora::archive::TZipProcessOperation, int,
                                      int, const std::string& message, lumora::archive::TZipAction& action) {
    std::fprintf(stderr, "%s\n", message.c_str());
    failed = true;
    action = compressing ? lumora::archive::TZipAction::fxaAbort : lumora::archive::TZipAction::fxaIgnore;
  };
  archiver.OnPassword = [&](lumora::archive::TZipBaseArchiver&, const std::string& name, std::string&, bool& skip) {
    std::fprintf(stderr, "Wrong or missing password for \"%s\"; entry skipped\n", name.c_str());
    failed = true;
    skip = true;
  };
  try {
    if (compressing) {
      if (!lumora::archive::compressFolderInto(archiver, args[2], args[1])) failed = true;
    } else {
      archiver.FileName = args[1];
      archiver.Options.OverwriteMode = lumora::archive::TZipOverwriteMode::omAlways;
      archiver.Open(lumora::archive::kZipOpenRead);
      if (command == "x") {
        archiver.BaseDir = args[2];
        archiver.ExtractMatching("*.*", lumora::archive::ZipAttr::kAllFiles, "");
      } else if (command == "t") {
        archiver.testMatching("*.*", lumora::archive::ZipAttr::kAllFiles, "");
      } else {
        for (const auto& e : archiver.Entries())
          std::printf("%12" PRIu64 " %12" PRIu64 " %-9s %08" PRIx32 " %s\n", e.uncompressedSize, e.compressedSize,
                      methodName(e.method), e.crc, e.name.c_str());
      }
      archiver.Close();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return failed ? 1 : 0;
}
