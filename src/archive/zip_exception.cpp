#include "archive/zip_exception.h"

#include <cstdio>

namespace lumora::archive {

namespace {

struct ErrorRow {
  const char* message;
  std::vector<int> natives;
};

const std::vector<ErrorRow>& errorTable() {
  static const std::vector<ErrorRow> table = {
      {"Unknown error", {0}},
      {"Index out of bounds", {1, 2, 3, 4, 7, 16, 21, 24}},
      {"Invalid compression mode. Mode must be in [0-9] range", {5}},
      {"Unexpected nil pointer", {6}},
      {"Invalid size or check sum of file or unsupported compression format", {8}},
      {"File name is blank. Specify appropriate file name", {9, 10, 29}},
      {"File \"%s\" not found", {11, 12, 15, 18, 30, 31, 38, 42, 53, 54}},
      {"Archive is not open", {13, 14}},
      {"SFXStub property is not specified", {17}},
      {"Cannot create file \"%s\"", {19, 23}},
      {"Cannot create directory \"%s\"", {20}},
      {"Internal error. Update is not started", {22, 25}},
      {"Cannot open file \"%s\"", {33}},
      {"Cannot proceed when update is not ended. Preceding EndUpdate call is required.", {26}},
      {"Cannot delete file \"%s\"", {27}},
      {"In-memory archive can be created only", {28}},
      {"File is open in read-only mode", {32}},
      {"Invalid compressed size, rfs.size = %d, count = %d", {34}},
      {"Invalid archive file.", {35}},
      {"Cannot create output file. Probably file is locked by another process. FileName = '%s'.", {36}},
      {"Archive is open. You should close it beore performing this operation.", {37}},
      {"Unable to create directory", {39}},
      {"Cannot find Zip64 directory end record", {40}},
      {"Cannot compress file '%s'. Zip64 mode is not enabled", {41, 43}},
      {"Cannot open archive file. Opening aborted or invalid file", {44, 45}},
      {"Write to stream error", {46}},
      {"Cannot place SFX stub on volume. Volume size limit is too small", {47}},
      {"Archive is damaged. Open failed", {48, 57}},
      {"MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of "
       "MakeSFX",
       {49}},
      {"Archive already has SFX stub", {50}},
      {"Multi-volume archive is not allowed for custom stream", {51}},
      {"Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files "
       "several times",
       {52}},
      {"Deflate64 compression method is not supported", {55}},
      {"MakeSFX error", {56}},
      {"Entry \"%s\" would be written outside the target folder and was refused", {ZipErr::kUnsafeName}},
      {"Folder \"%s\" to compress not found", {ZipErr::kFolderNotFound}},
  };
  return table;
}

std::string fillPlaceholders(const std::string& pattern, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
      if (next < args.size()) out += args[next];
      ++next;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

std::string buildMessage(int nativeError, const std::vector<std::string>& args, const std::string& name) {
  std::string text = fillPlaceholders(zipErrorMessage(zipErrorCodeFor(nativeError)), args);
  if (!name.empty()) text = name + ": " + text;
  char code[32];
  std::snprintf(code, sizeof code, "%05d", nativeError);
  return text + " - Native error: " + code;
}

}  // namespace

int zipErrorCodeFor(int nativeError) {
  const auto& table = errorTable();
  for (size_t i = 0; i < table.size(); ++i)
    for (int n : table[i].natives)
      if (n == nativeError) return static_cast<int>(i);
  return 0;
}

const char* zipErrorMessage(int errorCode) {
  const auto& table = errorTable();
  if (errorCode < 0 || static_cast<size_t>(errorCode) >= table.size()) return table[0].message;
  return table[static_cast<size_t>(errorCode)].message;
}

EZipException::EZipException(int nativeError, const std::vector<std::string>& args, const std::string& componentName)
    : std::runtime_error(buildMessage(nativeError, args, componentName)),
      errorCode_(zipErrorCodeFor(nativeError)),
      nativeError_(nativeError),
      named_(!componentName.empty()) {}

EZipException EZipException::named(const std::string& componentName) const {
  if (named_ || componentName.empty()) return *this;
  return EZipException(componentName + ": " + what(), errorCode_, nativeError_, true);
}

}  // namespace lumora::archive
