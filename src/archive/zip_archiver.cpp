#include "archive/zip_archiver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <filesystem>

#include "archive/zip_internal.h"

namespace lumora::archive {


std::recursive_mutex& processLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::string absolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = path.empty() ? std::filesystem::current_path(ec) : std::filesystem::path(path);
  p = std::filesystem::absolute(p, ec).lexically_normal();
  std::string s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}


uint32_t zipFileAttributes(const std::string& path, bool isFolder, bool writable) {
  uint32_t attr = isFolder ? ZipAttr::kDirectory : ZipAttr::kArchive;
  if (!writable) attr |= ZipAttr::kReadOnly;
  const auto slash = path.find_last_of('/');
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  if (leaf.size() > 1 && leaf[0] == '.' && leaf != "..") attr |= ZipAttr::kHidden;
  return attr;
}

TZipBaseArchiver::TZipBaseArchiver() : exceptionsAtCreation_(std::uncaught_exceptions()) {}

TZipBaseArchiver::~TZipBaseArchiver() {
  // A component dropped while an error unwinds writes nothing: an archive it was creating or updating
  // stays as it was.
  if (std::uncaught_exceptions() > exceptionsAtCreation_) {
    abandon();
    return;
  }
  try {
    Close();
  } catch (...) {
    // Destroying a component cannot report; Close() called by the owner does.
  }
}

void TZipBaseArchiver::raise(int nativeError, const std::vector<std::string>& args) const {
  throw EZipException(nativeError, args, Name);
}

void TZipBaseArchiver::setCompressionLevel(TZipCompressionLevel level) {
  level_ = level;
  switch (level) {
    case TZipCompressionLevel::clNone: mode_ = 0; break;
    case TZipCompressionLevel::clFastest: mode_ = 1; break;
    case TZipCompressionLevel::clNormal: mode_ = 6; break;
    case TZipCompressionLevel::clMax: mode_ = 9; break;
  }
}

void TZipBaseArchiver::setCompressionMode(int mode) {
  if (mode < 0 || mode > 9) raise(ZipErr::kInvalidMode);
  mode_ = mode;
  level_ = mode == 0   ? TZipCompressionLevel::clNone
           : mode <= 3 ? TZipCompressionLevel::clFastest
           : mode <= 6 ? TZipCompressionLevel::clNormal
                       : TZipCompressionLevel::clMax;
}

void TZipBaseArchiver::Open(int mode) {
  try {
    Close();
    const auto slash = FileName.find_last_of('/');
    const std::string leaf = slash == std::string::npos ? FileName : FileName.substr(slash + 1);
    if (leaf.empty()) raise(ZipErr::kBlankName);
    dir_ = ZipDirectory{};
    entries_.clear();
    updateFailed_ = false;
    if (mode == kZipOpenCreate) {
      // Nothing is written yet, but a name that can never be replaced fails here, as creating it would.
      { ZipReplacement probe(FileName); }
      open_ = writable_ = true;
      wroteCentral_ = false;
      return;
    }
    struct stat st {};
    if (::stat(FileName.c_str(), &st) != 0) raise(ZipErr::kArchiveNotFound, {FileName});
    const bool readWrite = (mode & 3) == 2;
    if (!file_.open(FileName, readWrite ? ZipFile::Mode::ReadWrite : ZipFile::Mode::Read))
      raise(readWrite ? ZipErr::kCannotCreateArchive : ZipErr::kArchiveNotFound, {FileName});
    try {
      ZipReadOptions options;
      options.oemNames = Options.OEMFileNames;
      dir_ = readZipDirectory(file_, options);
    } catch (...) {
      file_.close();
      throw;
    }
    entries_ = dir_.entries;
    wroteCentral_ = true;
    open_ = true;
    writable_ = readWrite;
  } catch (const EZipException& e) {
    throw e.named(Name);
  }
}

void TZipBaseArchiver::Close() {
  if (!open_) return;
  try {
    while (updateDepth_ > 0) EndUpdate();
    if (writable_ && !wroteCentral_ && !updateFailed_) {
      ZipReplacement empty(FileName);
      empty.file().write(endRecords(0, 0, 0, false));
      empty.commit(Options.FlushBuffers);
    }
    file_.close();
  } catch (const EZipException& e) {
    abandon();
    throw e.named(Name);
  }
  abandon();
}

void TZipBaseArchiver::abandon() noexcept {
  try {
    file_.close();
  } catch (...) {
    // Nothing of the archive is pending in it: updates are written to their own file.
  }
  updateDepth_ = 0;
  open_ = writable_ = false;
  entries_.clear();
  savedEntries_.clear();
  dir_ = ZipDirectory{};
}

void TZipBaseArchiver::BeginUpdate() {
  if (!open_) raise(ZipErr::kNotOpen);
  if (!writable_) raise(ZipErr::kReadOnly);
  if (updateDepth_++ == 0) {
    savedEntries_ = entries_;
    savedCentralStart_ = dir_.centralStart;
  }
}

TZipAction TZipBaseArchiver::entryFailed(const std::string& fileName, TZipProcessOperation op,
                                         const EZipException& error) {
  const EZipException named = error.named(Name);
  TZipAction action = TZipAction::fxaAbort;
  if (OnProcessFileFailure) {
    OnProcessFileFailure(*this, fileName, op, named.NativeError(), named.ErrorCode(), named.what(), action);
    return action;
  }
  if (!Dialogs) throw named;
  return Dialogs->failureDialog(std::string(named.what()) + ". File processing error, possibly disk is full");
}

bool TZipBaseArchiver::overallProgress(double progress, TZipProcessOperation op, TZipProgressPhase phase) {
  bool cancel = false;
  if (OnOverallProgress) OnOverallProgress(*this, progress, op, phase, cancel);
  return !cancel;
}

bool TZipBaseArchiver::fileProgress(const std::string& name, double progress, TZipProcessOperation op,
                                    TZipProgressPhase phase) {
  bool cancel = false;
  if (OnFileProgress) OnFileProgress(*this, name, progress, op, phase, cancel);
  return !cancel;
}

}  // namespace lumora::archive
