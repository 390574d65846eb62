#pragma once
// The archive component: open an archive for creation or reading, add files and folders, extract or test
// entries, close. Events report progress and ask questions; without handlers, a TZipDialogs implementation
// (the Qt one in the archiver window's library, or a scripted one in tests) answers.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/zip_exception.h"
#include "archive/zip_format.h"
#include "archive/zip_io.h"
#include "archive/zip_reader.h"

namespace lumora::archive {

enum class TZipCompressionLevel { clNone, clFastest, clNormal, clMax };
enum class TZip64Mode { zmDisabled, zmAuto, zmAlways };
enum class TZipSpanningMode { smNone, smSpanning, smSplitting };
enum class TZipStorePathMode { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum class TZipFileShareMode { smShareCompat, smShareExclusive, smShareDenyWrite, smShareDenyRead, smShareDenyNone };
enum class TZipOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum class TZipProcessOperation {
  poAdd,
  poMove,
  poDelete,
  poUpdate,
  poExtract,
  poTest,
  poRename,
  poChangeAttr,
  poChangeComment,
  poMakeSFX
};
enum class TZipProgressPhase { ppStart, ppProcess, ppEnd };
enum class TZipAction { fxaRetry, fxaIgnore, fxaAbort };
enum class TZipOverwriteAnswer { Yes, No, NoToAll, YesToAll };

struct TZipOptions {
  TZipStorePathMode StorePath = TZipStorePathMode::spRelativePath;
  bool Recurse = true;
  TZipFileShareMode ShareMode = TZipFileShareMode::smShareDenyNone;
  TZipOverwriteMode OverwriteMode = TZipOverwriteMode::omAlways;
  bool CreateDirs = true;
  bool ReplaceReadOnly = true;
  bool SetAttributes = true;
  uint32_t SearchAttr = ZipAttr::kAllFiles;
  bool FlushBuffers = true;
  bool OEMFileNames = true;
};

// Open modes. Creating leaves an existing archive of that name in place until the first update (or the
// close of an archive left empty) has been written whole; every update is written as a new file beside
// the archive that replaces it only once complete.
inline constexpr int kZipOpenCreate = 0xFFFF;
inline constexpr int kZipOpenRead = 0x40;       // read, sharing allowed
inline constexpr int kZipOpenReadWrite = 0x42;  // read the directory, then allow adding

// The questions the component asks when no event handler is assigned.
class TZipDialogs {
 public:
  virtual ~TZipDialogs() = default;
  // `message` is "<error>. File processing error, possibly disk is full".
  virtual TZipAction failureDialog(const std::string& message) = 0;
  // nullopt when cancelled (the entry is skipped).
  virtual std::optional<std::string> passwordDialog(const std::string& title, const std::string& prompt) = 0;
  virtual TZipOverwriteAnswer overwriteDialog(const std::string& message) = 0;
};

class TZipBaseArchiver {
 public:
  TZipBaseArchiver();
  virtual ~TZipBaseArchiver();
  TZipBaseArchiver(const TZipBaseArchiver&) = delete;
  TZipBaseArchiver& operator=(const TZipBaseArchiver&) = delete;

  // Component name; when set, messages begin with "<Name>: ".
  std::string Name;
  std::string FileName;
  std::string BaseDir;
  TZipOptions Options;
  std::vector<std::string> FileMasks, ExclusionMasks, NoCompressionMasks;
  bool ExtractCorruptedFiles = false;
  TZip64Mode Zip64Mode = TZip64Mode::zmDisabled;
  TZipSpanningMode SpanningMode = TZipSpanningMode::smNone;
  std::string Password;
  // Kept for callers that set it; nothing is written there, as an update is built beside the archive.
  std::string TempDir;
  // Threads compressing entries (0: one per core; at most twice the cores). The archive is the same bytes
  // for any number.
  int Threads = 0;
  // Answers questions when the matching event is unassigned; not owned. Without it a failed entry ends
  // the operation with its exception, a missing password skips the entry and overwriting is refused.
  TZipDialogs* Dialogs = nullptr;

  TZipCompressionLevel CompressionLevel() const { return level_; }
  void setCompressionLevel(TZipCompressionLevel level);
  int CompressionMode() const { return mode_; }
  void setCompressionMode(int mode);  // above 9: native error 5

  // Events.
  std::function<void(TZipBaseArchiver&, double, TZipProcessOperation, TZipProgressPhase, bool&)> OnOverallProgress;
  std::function<void(TZipBaseArchiver&, const std::string&, double, TZipProcessOperation, TZipProgressPhase, bool&)>
      OnFileProgress;
  std::function<void(TZipBaseArchiver&, const std::string&, TZipProcessOperation, bool&)> OnConfirmProcessFile;
  std::function<void(TZipBaseArchiver&, const std::string&, TZipProcessOperation, int nativeError, int errorCode,
                     const std::string& message, TZipAction&)>
      OnProcessFileFailure;
  std::function<void(TZipBaseArchiver&, const std::string&, std::string& newPassword, bool& skipFile)> OnPassword;
  std::function<void(TZipBaseArchiver&, const std::string& source, std::string& dest, bool& confirm)>
      OnConfirmOverwrite;
  std::function<void(TZipBaseArchiver&, std::string& fileName, uint32_t& attributes)> OnStoreFile;
  std::function<void(TZipBaseArchiver&, std::string& fileName, uint32_t& attributes)> OnExtractFile;

  void Open(int mode);
  // Writes an archive opened for creation that no update has written yet as an empty archive, unless an
  // update failed or was aborted: the archive of that name is then left as it was.
  void Close();
  bool isOpen() const { return open_; }
  // Return false when the user (or a handler) aborted; the archive is then as before the operation.
  bool AddMatching(const std::string& fileMask, uint32_t searchAttr = ZipAttr::kAllFiles,
                   const std::string& exclusionMask = {});
  bool ExtractMatching(const std::string& fileMask = "*.*", uint32_t searchAttr = ZipAttr::kAllFiles,
                       const std::string& exclusionMask = {});
  // Decodes every selected entry and checks it, writing nothing.
  bool testMatching(const std::string& fileMask = "*.*", uint32_t searchAttr = ZipAttr::kAllFiles,
                    const std::string& exclusionMask = {});
  void BeginUpdate();
  bool EndUpdate();

  const std::vector<TZipEntry>& Entries() const { return entries_; }
  const std::string& Comment() const { return dir_.comment; }

 protected:
  [[noreturn]] void raise(int nativeError, const std::vector<std::string>& args = {}) const;

 private:
  friend class ZipUpdateWriter;
  struct SearchState;
  void search(SearchState& s, const std::string& folder, const std::string& mask, bool topLevel);
  void addFound(SearchState& s, const std::string& path, bool isFolder);
  std::vector<size_t> selectEntries(const std::string& fileMask, uint32_t searchAttr,
                                    const std::string& exclusion) const;
  bool runEntries(TZipProcessOperation op, const std::vector<size_t>& selected);
  struct FolderCache;
  bool extractOne(const TZipEntry& e, TZipProcessOperation op, size_t done, size_t total, bool& cancelled,
                  FolderCache& folders);
  bool ensurePassword(const TZipEntry& e, bool& skip);
  // Whether `incoming` (time `incomingTime`) replaces `existing` (time `existingTime`) under the overwrite mode,
  // asking the confirmation event or the overwrite dialog in prompt mode.
  bool decideOverwrite(std::time_t incomingTime, std::time_t existingTime, const std::string& incoming,
                       const std::string& existing);
  // The failure path: handler, dialog, or (neither) the exception itself.
  TZipAction entryFailed(const std::string& fileName, TZipProcessOperation op, const EZipException& error);
  bool overallProgress(double progress, TZipProcessOperation op, TZipProgressPhase phase);
  bool fileProgress(const std::string& name, double progress, TZipProcessOperation op, TZipProgressPhase phase);

  // Forgets the open archive without writing anything.
  void abandon() noexcept;
  // The entry list as before the update that failed; the archive on disk never changed.
  void undoUpdate();

  TZipCompressionLevel level_ = TZipCompressionLevel::clFastest;
  int mode_ = 1;
  ZipFile file_;  // the archive as written last; not open while a new archive has no update written yet
  bool open_ = false;
  bool writable_ = false;
  bool updateFailed_ = false;  // since Open: an update was undone
  int exceptionsAtCreation_ = 0;
  ZipDirectory dir_;
  std::vector<TZipEntry> entries_;
  std::vector<TZipEntry> savedEntries_;  // the list as it was before the current update
  uint64_t savedCentralStart_ = 0;
  int updateDepth_ = 0;
  bool wroteCentral_ = false;
};

class TZipArchiver : public TZipBaseArchiver {
 public:
  using TZipBaseArchiver::TZipBaseArchiver;
};

// The legacy attribute bits of a file on this system: directory, archive, read-only (no write permission),
// hidden (a name that starts with ".").
uint32_t zipFileAttributes(const std::string& path, bool isFolder, bool writable);

}  // namespace lumora::archive
