// Selecting, extracting and testing entries. Every file is written below the target folder only: names that
// climb out of it are refused, folders are walked without following symbolic links, and data goes to a
// temporary file that takes the entry's name only once it has passed its checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <random>

#include "archive/zip_archiver.h"
#include "archive/zip_internal.h"
#include "archive/zip_mask.h"

namespace lumora::archive {

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) reset(), fd_ = o.fd_, o.fd_ = -1;
    return *this;
  }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string leafOf(const std::string& s) {
  const auto slash = s.find_last_of('/');
  return slash == std::string::npos ? s : s.substr(slash + 1);
}

// The entry name as path components below the target folder; false when it would leave the folder.
bool safeComponents(const std::string& name, std::vector<std::string>& parts) {
  parts.clear();
  // A NUL would cut the name short at the system call, after the checks below.
  if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find('\0') != std::string::npos) return false;
  std::string part;
  auto flush = [&]() -> bool {
    if (part == "..") return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
    return true;
  };
  for (char c : name) {
    if (c == '/' || c == '\\') {
      if (!flush()) return false;
    } else {
      part += c;
    }
  }
  if (!flush()) return false;
  // A drive letter ("C:...") names an absolute place on the system the archive came from.
  if (!parts.empty() && parts[0].size() >= 2 && parts[0][1] == ':' &&
      ((parts[0][0] >= 'A' && parts[0][0] <= 'Z') || (parts[0][0] >= 'a' && parts[0][0] <= 'z')))
    return false;
  return true;
}

// The name as a message can show it: control characters (a NUL would end the text) become "?".
std::string printable(std::string name) {
  for (char& ch : name)
    if (static_cast<unsigned char>(ch) < 0x20) ch = '?';
  return name;
}

std::string joinParts(const std::string& base, const std::vector<std::string>& parts, size_t count) {
  std::string out = base.empty() ? "." : base;
  for (size_t i = 0; i < count; ++i) out += "/" + parts[i];
  return out;
}

std::string temporaryName(const std::string& leaf) {
  static std::atomic<unsigned> counter{0};
  static const unsigned seed = std::random_device{}();
  std::string name(1, '.');
  name.append(leaf, 0, 200);
  name += ".lumora-";
  name += std::to_string(::getpid());
  name += '-';
  name += std::to_string(seed ^ counter.fetch_add(1));
  return name;
}

}  // namespace

// The folder the previous entry went to, kept open: entries come folder by folder, so most of them need no
// walk at all.
struct TZipBaseArchiver::FolderCache {
  std::string base;
  bool baseReady = false;
  std::vector<std::string> parts;
  Fd dir;
};

std::vector<size_t> TZipBaseArchiver::selectEntries(const std::string& fileMask, uint32_t searchAttr,
                                                    const std::string& exclusion) const {
  std::string mask = fileMask.empty() ? "*.*" : fileMask;
  std::replace(mask.begin(), mask.end(), '\\', '/');
  const auto slash = mask.find_last_of('/');
  const std::string maskFolder = slash == std::string::npos ? "" : mask.substr(0, slash);
  std::vector<std::string> exclusions = ExclusionMasks;
  if (!exclusion.empty()) exclusions.push_back(exclusion);
  constexpr uint32_t kGuarded = ZipAttr::kHidden | ZipAttr::kSystem | ZipAttr::kVolume | ZipAttr::kDirectory;
  std::vector<size_t> selected;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const TZipEntry& e = entries_[i];
    std::string n = e.name;
    std::replace(n.begin(), n.end(), '\\', '/');
    while (!n.empty() && n.back() == '/') n.pop_back();
    const std::string leaf = leafOf(n);
    if (!zipMaskMatches(mask, n) && !zipMaskMatches(mask, leaf)) continue;
    bool skip = false;
    for (const auto& x : exclusions) skip = skip || zipMaskMatches(x, n) || zipMaskMatches(x, leaf);
    if (skip) continue;
    if ((e.externalAttributes & kGuarded & ~searchAttr) != 0) continue;
    if (!Options.Recurse) {
      const auto s = n.find_last_of('/');
      if ((s == std::string::npos ? "" : n.substr(0, s)) != maskFolder) continue;
    }
    selected.push_back(i);
  }
  return selected;
}

bool TZipBaseArchiver::decideOverwrite(std::time_t incomingTime, std::time_t existingTime,
                                       const std::string& incoming, const std::string& existing) {
  switch (Options.OverwriteMode) {
    case TZipOverwriteMode::omAlways: return true;
    case TZipOverwriteMode::omNever: return false;
    case TZipOverwriteMode::omIfNewer: return incomingTime > existingTime;
    case TZipOverwriteMode::omIfOlder: return incomingTime < existingTime;
    case TZipOverwriteMode::omPrompt: break;
  }
  bool replace = true;
  std::string dest = existing;
  if (OnConfirmOverwrite) {
    OnConfirmOverwrite(*this, incoming, dest, replace);
  } else if (Dialogs) {
    const auto answer = Dialogs->overwriteDialog("Overwrite file \"" + existing + "\" with \"" + incoming + "\"");
    replace = answer == TZipOverwriteAnswer::Yes || answer == TZipOverwriteAnswer::YesToAll;
    if (answer == TZipOverwriteAnswer::YesToAll) Options.OverwriteMode = TZipOverwriteMode::omAlways;
    if (answer == TZipOverwriteAnswer::NoToAll) Options.OverwriteMode = TZipOverwriteMode::omNever;
  } else {
    replace = false;
  }
  return replace;
}

bool TZipBaseArchiver::ensurePassword(const TZipEntry& e, bool& skip) {
  skip = false;
  for (int attempt = 0; !zipPasswordMatches(file_, dir_, e, Password); ++attempt) {
    std::string password;
    bool skipFile = attempt >= 100;  // a handler that keeps answering wrong must not hang us
    if (skipFile) {
    } else if (OnPassword) {
      OnPassword(*this, e.name, password, skipFile);
    } else if (Dialogs) {
      auto answer = Dialogs->passwordDialog("Password for \"" + e.name + "\"", "Enter password: ");
      if (answer)
        password = *answer;
      else
        skipFile = true;
    } else {
      skipFile = true;
    }
    if (skipFile) {
      skip = true;
      return false;
    }
    Password = password;
  }
  return true;
}

bool TZipBaseArchiver::extractOne(const TZipEntry& entry, TZipProcessOperation op, size_t done, size_t total,
                                  bool& cancelled, FolderCache& folders) {
  std::string name = entry.name;
  uint32_t attributes = entry.externalAttributes;
  if (OnExtractFile) OnExtractFile(*this, name, attributes);
  if (OnConfirmProcessFile) {
    bool confirm = true;
    OnConfirmProcessFile(*this, name, op, confirm);
    if (!confirm) return true;
  }
  if (!fileProgress(name, 0, op, TZipProgressPhase::ppStart)) return cancelled = true, false;

  ZipDecodeOptions decode;
  decode.ignoreChecks = ExtractCorruptedFiles;
  decode.password = &Password;
  decode.progress = [&](uint64_t doneBytes, uint64_t totalBytes) {
    const double share = totalBytes ? static_cast<double>(doneBytes) / static_cast<double>(totalBytes) : 0.0;
    if (!fileProgress(name, share * 100.0, op, TZipProgressPhase::ppProcess)) return false;
    return overallProgress((share + static_cast<double>(done)) / static_cast<double>(total) * 100.0, op,
                           TZipProgressPhase::ppProcess);
  };

  if (op == TZipProcessOperation::poTest) {
    if (!entry.isFolder()) {
      bool skip = false;
      if (entry.encrypted() && !ensurePassword(entry, skip)) return true;
      if (!decodeZipEntry(
              file_, dir_, entry, [](const char*, size_t) {}, decode))
        return cancelled = true, false;
    }
    return fileProgress(name, 100, op, TZipProgressPhase::ppEnd) || (cancelled = true, false);
  }

  std::vector<std::string> parts;
  if (!safeComponents(name, parts)) throw EZipException(ZipErr::kUnsafeName, {printable(name)});
  const bool folderEntry = (attributes & ZipAttr::kDirectory) != 0 || name.back() == '/' || name.back() == '\\';
  if (parts.empty()) return true;  // "./" and the like: the target folder itself

  const std::string base = BaseDir.empty() ? "." : BaseDir;
  if (!folders.baseReady || folders.base != base) {
    std::error_code ec;
    std::filesystem::create_directories(base, ec);
    folders.base = base;
    folders.baseReady = true;
    folders.parts.clear();
    folders.dir.reset();
  }
  // walk (and create) the entry's folders without following links, so nothing lands outside the target.
  const size_t folderCount = Options.CreateDirs ? (folderEntry ? parts.size() : parts.size() - 1) : 0;
  const std::vector<std::string> wanted(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(folderCount));
  if (folders.dir.get() < 0 || folders.parts != wanted) {
    folders.dir.reset();
    folders.parts.clear();
    Fd dir(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) throw EZipException(ZipErr::kCannotCreateDir, {base});
    for (size_t i = 0; i < folderCount; ++i) {
      Fd next(::openat(dir.get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (next.get() < 0 && errno == ENOENT) {
        if (::mkdirat(dir.get(), parts[i].c_str(), 0777) != 0 && errno != EEXIST)
          throw EZipException(ZipErr::kCannotCreateDir, {joinParts(base, parts, i + 1)});
        next = Fd(::openat(dir.get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      }
      if (next.get() < 0) {
        struct stat link {};
        if (::fstatat(dir.get(), parts[i].c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode))
          throw EZipException(ZipErr::kUnsafeName,
                              {printable(name)});  // a link in the target folder could lead anywhere
        throw EZipException(ZipErr::kCannotCreateDir, {joinParts(base, parts, i + 1)});
      }
      dir = std::move(next);
    }
    folders.dir = std::move(dir);
    folders.parts = wanted;
  }
  Fd& dir = folders.dir;
  if (folderEntry) return fileProgress(name, 100, op, TZipProgressPhase::ppEnd) || (cancelled = true, false);
  const std::string leaf = parts.back();
  const std::string target = Options.CreateDirs ? joinParts(base, parts, parts.size()) : base + "/" + leaf;

  const std::time_t stored = fromDosDateTime(entry.time, entry.date);
  struct stat st {};
  const bool exists = ::fstatat(dir.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) throw EZipException(ZipErr::kCannotCreateFile, {target});
    if ((st.st_mode & S_IWUSR) == 0 && !S_ISLNK(st.st_mode) && !Options.ReplaceReadOnly) return true;
    const bool replace = decideOverwrite(stored, st.st_mtime, name, target);
    if (!replace) return true;
  }
  bool skip = false;
  if (entry.encrypted() && !ensurePassword(entry, skip)) return true;

  // A new file is written under its own name and removed again if it fails; an existing one is replaced
  // only once its successor is complete, so a failure never costs the earlier copy.
  const bool replacing = exists;
  const std::string temp = replacing ? temporaryName(leaf) : leaf;
  Fd out(::openat(dir.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (out.get() < 0) throw EZipException(ZipErr::kCannotCreateFile, {target});
  bool kept = false;
  try {
    std::string buffer;
    auto flushBuffer = [&] {
      size_t off = 0;
      while (off < buffer.size()) {
        const ssize_t put = ::write(out.get(), buffer.data() + off, buffer.size() - off);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) throw EZipException(ZipErr::kCannotCreateFile, {target});
        off += static_cast<size_t>(put);
      }
      buffer.clear();
    };
    const bool finished = decodeZipEntry(
        file_, dir_, entry,
        [&](const char* p, size_t n) {
          buffer.append(p, n);
          if (buffer.size() >= (1 << 20)) flushBuffer();
        },
        decode);
    if (!finished) {
      cancelled = true;
    } else {
      flushBuffer();
      const struct timespec times[2] = {{stored, 0}, {stored, 0}};
      ::futimens(out.get(), times);
      if (Options.SetAttributes && (attributes & ZipAttr::kReadOnly)) {
        struct stat own {};
        if (::fstat(out.get(), &own) == 0) ::fchmod(out.get(), own.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH));
      }
      out.reset();
      // Removing the old file first, rather than renaming over it, spares the file system's forced
      // write-back of the new data that a replacing rename triggers.
      if (replacing && (::unlinkat(dir.get(), leaf.c_str(), 0) != 0 && errno != ENOENT))
        throw EZipException(ZipErr::kCannotCreateFile, {target});
      if (replacing && ::renameat(dir.get(), temp.c_str(), dir.get(), leaf.c_str()) != 0)
        throw EZipException(ZipErr::kCannotCreateFile, {target});
      kept = true;
    }
  } catch (...) {
    ::unlinkat(dir.get(), temp.c_str(), 0);
    throw;
  }
  if (!kept) {
    ::unlinkat(dir.get(), temp.c_str(), 0);
    return false;
  }
  return fileProgress(name, 100, op, TZipProgressPhase::ppEnd) || (cancelled = true, false);
}

bool TZipBaseArchiver::runEntries(TZipProcessOperation op, const std::vector<size_t>& selected) {
  if (!overallProgress(0, op, TZipProgressPhase::ppStart)) return false;
  FolderCache folders;
  size_t done = 0;
  for (size_t index : selected) {
    const TZipEntry& e = entries_[index];
    for (;;) {
      bool cancelled = false;
      try {
        extractOne(e, op, done, selected.size(), cancelled, folders);
        if (cancelled) return false;
        break;
      } catch (const EZipException& ex) {
        const TZipAction action = entryFailed(e.name, op, ex);
        if (action == TZipAction::fxaRetry) continue;
        if (action == TZipAction::fxaAbort) return false;
        break;
      }
    }
    ++done;
  }
  return overallProgress(100, op, TZipProgressPhase::ppEnd);
}

bool TZipBaseArchiver::ExtractMatching(const std::string& fileMask, uint32_t searchAttr,
                                       const std::string& exclusionMask) {
  std::lock_guard<std::recursive_mutex> lock(processLock());
  try {
    if (!isOpen()) raise(ZipErr::kNotOpen);
    if (updateDepth_ > 0) raise(ZipErr::kInUpdate);
    return runEntries(TZipProcessOperation::poExtract, selectEntries(fileMask, searchAttr, exclusionMask));
  } catch (const EZipException& e) {
    throw e.named(Name);
  }
}

bool TZipBaseArchiver::testMatching(const std::string& fileMask, uint32_t searchAttr,
                                    const std::string& exclusionMask) {
  std::lock_guard<std::recursive_mutex> lock(processLock());
  try {
    if (!isOpen()) raise(ZipErr::kNotOpen);
    if (updateDepth_ > 0) raise(ZipErr::kInUpdate);
    return runEntries(TZipProcessOperation::poTest, selectEntries(fileMask, searchAttr, exclusionMask));
  } catch (const EZipException& e) {
    throw e.named(Name);
  }
}

}  // namespace lumora::archive
