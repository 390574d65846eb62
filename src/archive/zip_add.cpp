// Finding the files and folders to add and forming their entries.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <unordered_map>

#include "archive/zip_archiver.h"
#include "archive/zip_internal.h"
#include "archive/zip_mask.h"

namespace lumora::archive {

struct TZipBaseArchiver::SearchState {
  std::string base;
  std::string archivePath;
  dev_t archiveDev = 0;
  ino_t archiveIno = 0;
  std::vector<std::string> exclusions;
  uint32_t attrs = ZipAttr::kAllFiles;
  bool maskHasSeparators = false;
  std::unordered_map<std::string, size_t> byName;  // entry index by name, so big folders add in linear time
};

namespace {

std::string parentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string leafOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

struct Listing {
  std::vector<std::string> files, folders;
};

// Sorted, so archives of the same tree are the same bytes wherever they are made.
Listing listFolder(const std::string& folder) {
  Listing l;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return l;
  while (dirent* ent = ::readdir(d)) {
    const std::string name = ent->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = join(folder, name);
    struct stat lst {
    }, st{};
    if (::lstat(path.c_str(), &lst) != 0) continue;
    if (S_ISDIR(lst.st_mode)) {
      l.folders.push_back(name);
    } else if (S_ISLNK(lst.st_mode)) {
      // A link to a file is stored as that file; links to folders are not followed (they can loop).
      if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) l.files.push_back(name);
    } else if (S_ISREG(lst.st_mode)) {
      l.files.push_back(name);
    }
  }
  ::closedir(d);
  std::sort(l.files.begin(), l.files.end());
  std::sort(l.folders.begin(), l.folders.end());
  return l;
}

std::time_t fileTime(const std::string& path, bool& ok) {
  struct stat st {};
  ok = ::stat(path.c_str(), &st) == 0;
  return ok ? st.st_mtime : std::time(nullptr);
}

}  // namespace

void TZipBaseArchiver::addFound(SearchState& s, const std::string& path, bool isFolder) {
  // The stored name.
  std::string name;
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '/' || (trimmed.size() > 2 && trimmed.ends_with("/."))))
    trimmed.pop_back();
  switch (Options.StorePath) {
    case TZipStorePathMode::spNoPath: name = leafOf(trimmed); break;
    case TZipStorePathMode::spRelativePath:
      name = (trimmed.size() > s.base.size() + 1 && trimmed.starts_with(s.base == "/" ? "/" : s.base + "/"))
                 ? trimmed.substr(s.base == "/" ? 1 : s.base.size() + 1)
                 : trimmed;
      break;
    case TZipStorePathMode::spFullPath:
    case TZipStorePathMode::spFullPathWithDrive: name = trimmed; break;
  }
  if (Options.StorePath != TZipStorePathMode::spFullPathWithDrive && !name.empty() && name[0] == '/') name.erase(0, 1);
  if (name.empty()) return;
  if (isFolder) name += '/';

  uint32_t attributes = zipFileAttributes(trimmed, isFolder, ::access(trimmed.c_str(), W_OK) == 0);
  if (OnStoreFile) OnStoreFile(*this, name, attributes);
  if (OnConfirmProcessFile) {
    bool confirm = true;
    OnConfirmProcessFile(*this, name, TZipProcessOperation::poAdd, confirm);
    if (!confirm) return;
  }

  TZipEntry e;
  e.name = name;
  bool utf8 = false;
  e.rawName = encodeEntryName(name, Options.OEMFileNames, utf8);
  if (utf8) e.flags |= ZipFlag::kUtf8;
  // Tools that ignore flag bit 11 or the OEM code page (unzip among them) read the name from here.
  if (utf8 || e.rawName != name) e.extra.push_back(unicodePathField(e.rawName, name));
  e.externalAttributes = attributes;
  e.sourcePath = trimmed;
  e.toProcess = true;
  bool timeOk = false;
  const std::time_t when = isFolder ? std::time(nullptr) : fileTime(trimmed, timeOk);
  toDosDateTime(when, e.time, e.date);
  if (isFolder) {
    e.flags |= ZipFlag::kFolder;
  } else {
    struct stat st {};
    if (::stat(trimmed.c_str(), &st) == 0) e.uncompressedSize = static_cast<uint64_t>(st.st_size);
    e.compressionMode = mode_;
    for (const auto& m : NoCompressionMasks)
      if (zipMaskMatches(m, leafOf(name)) || zipMaskMatches(m, name)) e.compressionMode = 0;
    e.method = (e.compressionMode == 0 || e.uncompressedSize == 0) ? 0 : 8;
  }

  const auto found = s.byName.find(name);
  if (found == s.byName.end()) {
    s.byName.emplace(name, entries_.size());
    entries_.push_back(std::move(e));
    return;
  }
  TZipEntry* same = &entries_[found->second];
  const bool replace = decideOverwrite(when, fromDosDateTime(same->time, same->date), trimmed, name);
  if (replace) *same = std::move(e);
}

void TZipBaseArchiver::search(SearchState& s, const std::string& folder, const std::string& pattern, bool topLevel) {
  const std::string fullMask = join(folder, pattern);
  auto excluded = [&](const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && st.st_dev == s.archiveDev && st.st_ino == s.archiveIno) return true;
    if (path == s.archivePath) return true;
    for (const auto& x : s.exclusions)
      if (zipMaskMatches(x, path) || zipMaskMatches(x, leafOf(path))) return true;
    return false;
  };
  if (topLevel && !zipMaskHasWildcards(pattern)) {
    struct stat st {};
    if (::stat(fullMask.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      if (!excluded(fullMask)) addFound(s, fullMask, false);
      return;
    }
  }
  const Listing l = listFolder(folder);
  const uint32_t fileAttrs = s.attrs & ~ZipAttr::kDirectory;
  constexpr uint32_t kRhsa = ZipAttr::kReadOnly | ZipAttr::kHidden | ZipAttr::kSystem | ZipAttr::kArchive;
  for (const auto& name : l.files) {
    if (!zipMaskMatches(pattern, name)) continue;
    const std::string path = join(folder, name);
    const uint32_t a = zipFileAttributes(path, false, ::access(path.c_str(), W_OK) == 0);
    if ((a & fileAttrs) == 0 && !(a == 0 && (s.attrs & kRhsa) == kRhsa)) continue;
    if (!excluded(path)) addFound(s, path, false);
  }
  const bool withFolders = (s.attrs & ZipAttr::kDirectory) != 0;
  if (!withFolders && !Options.Recurse) return;
  for (const auto& name : l.folders) {
    const std::string path = join(folder, name);
    if (excluded(path)) continue;
    if (withFolders && (zipMaskMatches(fullMask, path) || zipMaskMatches(fullMask, path + "."))) {
      addFound(s, path, true);
      const bool saved = s.maskHasSeparators;
      s.maskHasSeparators = false;
      search(s, path, "*.*", false);
      s.maskHasSeparators = saved;
    } else if (Options.Recurse && (!s.maskHasSeparators || zipMaskHasWildcards(pattern))) {
      search(s, path, pattern, false);
    }
  }
}

bool TZipBaseArchiver::AddMatching(const std::string& fileMask, uint32_t searchAttr, const std::string& exclusionMask) {
  std::lock_guard<std::recursive_mutex> lock(processLock());
  try {
    if (!isOpen()) raise(ZipErr::kNotOpen);
    if (!writable_) raise(ZipErr::kReadOnly);
    SearchState s;
    s.base = absolutePath(BaseDir);
    s.archivePath = absolutePath(FileName);
    struct stat st {};
    // The archive as it is on disk, also when a new one is still to replace it.
    if ((file_.isOpen() ? ::fstat(file_.descriptor(), &st) : ::stat(FileName.c_str(), &st)) == 0)
      s.archiveDev = st.st_dev, s.archiveIno = st.st_ino;
    if (!exclusionMask.empty()) s.exclusions.push_back(exclusionMask);
    for (const auto& x : ExclusionMasks) s.exclusions.push_back(x);
    s.attrs = searchAttr;
    for (size_t i = 0; i < entries_.size(); ++i) s.byName.emplace(entries_[i].name, i);
    std::vector<std::string> masks;
    if (!fileMask.empty())
      masks.push_back(fileMask);
    else
      masks = FileMasks;

    BeginUpdate();
    try {
      for (std::string mask : masks) {
        std::replace(mask.begin(), mask.end(), '\\', '/');
        s.maskHasSeparators = mask.find('/') != std::string::npos;
        std::string full = mask.starts_with("/") ? mask : join(s.base, mask);
        full = std::filesystem::path(full).lexically_normal().string();
        while (full.size() > 1 && full.back() == '/') full.pop_back();
        search(s, parentOf(full), leafOf(full), true);
      }
    } catch (...) {
      updateDepth_ = 0;
      entries_ = savedEntries_;
      savedEntries_.clear();
      updateFailed_ = true;
      throw;
    }
    return EndUpdate();
  } catch (const EZipException& e) {
    throw e.named(Name);
  }
}

}  // namespace lumora::archive
