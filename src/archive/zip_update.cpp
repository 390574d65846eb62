// Writing an update as a new file beside the archive: the unchanged start is copied, new entries are
// compressed (small ones in parallel, ahead of the writer) and written in list order, unchanged entries
// after the first changed one are copied, then the directory follows and the file takes the archive's name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <optional>
#include <thread>

#include "archive/zip_archiver.h"
#include "archive/zip_codec.h"
#include "core/file_read.h"

namespace lumora::archive {

namespace {

constexpr uint16_t kVersionDefault = 20;
constexpr uint16_t kVersionZip64 = 45;
constexpr uint16_t kVersionNoOem = 0x0B14;

using core::ScopedFd;

// Reads up to n bytes, retrying short reads; returns the count.
size_t readFully(int fd, char* buffer, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t got = ::read(fd, buffer + done, n - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

int openSource(const TZipEntry& e) {
  const int fd = ::open(e.sourcePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EZipException(ZipErr::kCannotOpenSource, {e.sourcePath});
  return fd;
}

[[noreturn]] void sizeChanged(uint64_t expected, uint64_t got) {
  throw EZipException(ZipErr::kSourceSizeChanged, {std::to_string(expected), std::to_string(got)});
}

// A whole small entry, compressed away from the writer thread.
struct Prepared {
  std::string data;
  uint32_t crc = 0;
  std::optional<EZipException> error;
};

Prepared prepareSmall(const TZipEntry& e) {
  Prepared p;
  try {
    ScopedFd fd(openSource(e));
    std::string input(static_cast<size_t>(e.uncompressedSize) + 1, '\0');
    const size_t got = readFully(fd.get(), input.data(), input.size());
    if (got != e.uncompressedSize) sizeChanged(e.uncompressedSize, got);
    input.resize(got);
    p.crc = crc32Update(0, input.data(), input.size());
    if (e.method == 8) {
      ZipDeflater deflater(e.compressionMode);
      deflater.block(input.data(), input.size(), true, p.data);
    } else {
      p.data = std::move(input);
    }
  } catch (const EZipException& ex) {
    p.error = ex;
  }
  return p;
}

// A few worker threads taking jobs in order.
class WorkerPool {
 public:
  explicit WorkerPool(int threads) {
    for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { run(); });
  }
  // Jobs not yet started are dropped (an aborted update does not wait for them); running ones finish.
  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      jobs_.clear();
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  void submit(std::function<void()> job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
  }

 private:
  void run() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }
  std::vector<std::thread> workers_;
  std::deque<std::function<void()>> jobs_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
};

uint64_t worstDeflatedSize(uint64_t n, size_t block) {
  return n + n / 1000 + (n / block + 1) * 16 + 64;
}

}  // namespace

// Carries one EndUpdate: the new archive is written beside the old one (its unchanged start copied, new
// entries compressed, later unchanged entries copied) and replaces it only when complete.
class ZipUpdateWriter {
 public:
  explicit ZipUpdateWriter(TZipBaseArchiver& a) : a_(a), old_(a.file_) {}
  ~ZipUpdateWriter() { pool_.reset(); }
  ZipUpdateWriter(const ZipUpdateWriter&) = delete;
  ZipUpdateWriter& operator=(const ZipUpdateWriter&) = delete;

  // False when aborted. Either way, and on an exception, the archive on disk is untouched unless the
  // result is true.
  bool run();

 private:
  enum class Outcome { Written, Dropped, Aborted };
  bool isSmall(const TZipEntry& e) const {
    return e.toProcess && !e.isFolder() && e.uncompressedSize > 0 &&
           e.uncompressedSize <= zipBlockSize(e.compressionMode);
  }
  void findCut();
  void prefetch(size_t upTo);
  Outcome writeNew(TZipEntry e, size_t jobIndex, std::vector<TZipEntry>& out);
  void writeEntry(TZipEntry& e, std::optional<Prepared> prepared);
  void beginEntry(TZipEntry& e, bool zip64Sizes);
  void copyOld(const TZipEntry& old, uint64_t spanEnd, std::vector<TZipEntry>& out);
  bool progressBeforeBlock(const std::string& name, double share);

  TZipBaseArchiver& a_;
  ZipFile& old_;                                  // the archive as it is (not open when there is none yet)
  std::unique_ptr<ZipReplacement> replacement_;  // the archive being written
  ZipFile* file_ = nullptr;                       // replacement_'s file
  uint64_t cut_ = 0;    // the old archive's bytes before this are taken over unchanged
  size_t first_ = 0;    // index of the first entry that differs from the saved list
  size_t toProcess_ = 0;
  size_t finished_ = 0;
  std::vector<size_t> jobs_;  // entries_ indices compressed ahead
  std::vector<std::future<Prepared>> futures_;
  size_t submitted_ = 0;
  size_t consumed_ = 0;
  uint64_t bytesAhead_ = 0;
  std::unique_ptr<WorkerPool> pool_;
  std::vector<std::promise<Prepared>> promises_;
};

bool ZipUpdateWriter::progressBeforeBlock(const std::string& name, double share) {
  if (!a_.fileProgress(name, share * 100.0, TZipProcessOperation::poAdd, TZipProgressPhase::ppProcess)) return false;
  const double overall = toProcess_ == 0 ? 100.0 : (share + static_cast<double>(finished_)) / toProcess_ * 100.0;
  return a_.overallProgress(overall, TZipProcessOperation::poAdd, TZipProgressPhase::ppProcess);
}

void ZipUpdateWriter::findCut() {
  const auto& entries = a_.entries_;
  const auto& saved = a_.savedEntries_;
  // The unchanged start is taken over as bytes only when the old entries lie in list order; otherwise
  // every old entry is copied by itself.
  const bool inOrder = std::is_sorted(saved.begin(), saved.end(), [](const TZipEntry& x, const TZipEntry& y) {
    return x.localOffset < y.localOffset;
  });
  first_ = 0;
  while (inOrder && first_ < entries.size() && first_ < saved.size() && !entries[first_].toProcess &&
         entries[first_].localOffset == saved[first_].localOffset && entries[first_].name == saved[first_].name)
    ++first_;
  if (first_ < saved.size()) {
    cut_ = saved[first_].localOffset;
    for (size_t i = first_; i < saved.size(); ++i) cut_ = std::min(cut_, saved[i].localOffset);
  } else {
    cut_ = a_.savedCentralStart_;
  }
}

void ZipUpdateWriter::copyOld(const TZipEntry& old, uint64_t spanEnd, std::vector<TZipEntry>& out) {
  TZipEntry e = old;
  e.localOffset = file_->position();
  file_->copyFrom(old_, old.localOffset, spanEnd - old.localOffset);
  out.push_back(std::move(e));
}

void ZipUpdateWriter::prefetch(size_t upTo) {
  if (!pool_) return;
  // Keep the workers busy well ahead of the writer (also while it deflates a large file itself), within a
  // bound on the source bytes held in flight.
  constexpr uint64_t kMaxBytesAhead = 64ull << 20;
  constexpr size_t kMaxJobsAhead = 4096;
  while (submitted_ < jobs_.size() &&
         (submitted_ < upTo || (bytesAhead_ < kMaxBytesAhead && submitted_ - consumed_ < kMaxJobsAhead))) {
    const TZipEntry& e = a_.entries_[jobs_[submitted_]];
    bytesAhead_ += e.uncompressedSize;
    std::promise<Prepared>* promise = &promises_[submitted_];
    pool_->submit([promise, e] { promise->set_value(prepareSmall(e)); });
    ++submitted_;
  }
}

void ZipUpdateWriter::beginEntry(TZipEntry& e, bool zip64Sizes) {
  e.localOffset = file_->position();
  const bool bigOffset = e.localOffset >= kMax32;
  if (bigOffset || zip64Sizes || a_.Zip64Mode == TZip64Mode::zmAlways) {
    if (a_.Zip64Mode == TZip64Mode::zmDisabled)
      throw EZipException(zip64Sizes ? ZipErr::kZip64NeededSize : ZipErr::kZip64NeededOffset, {e.sourcePath});
    e.versionNeeded = kVersionZip64;
  } else {
    e.versionNeeded = a_.Options.OEMFileNames ? kVersionDefault : kVersionNoOem;
  }
  e.versionMadeBy = e.versionNeeded;
}

void ZipUpdateWriter::writeEntry(TZipEntry& e, std::optional<Prepared> prepared) {
  ZipFile& file = *file_;
  if (e.isFolder() || e.uncompressedSize == 0) {
    if (!e.isFolder()) {
      // An empty file is stored; make sure it is still empty.
      ScopedFd fd(openSource(e));
      char c;
      if (readFully(fd.get(), &c, 1) != 0) sizeChanged(0, 1);
    }
    e.method = 0;
    e.crc = 0;
    e.compressedSize = e.uncompressedSize = 0;
    beginEntry(e, false);
    file.write(localHeader(e, false, e.extra));
    return;
  }
  if (prepared) {
    if (prepared->error) throw *prepared->error;
    e.crc = prepared->crc;
    e.compressedSize = prepared->data.size();
    beginEntry(e, false);
    file.write(localHeader(e, false, e.extra));
    file.write(prepared->data);
    return;
  }
  // Streamed: header with room for the final values, blocks, then the header again.
  const size_t block = zipBlockSize(e.compressionMode);
  const uint64_t expected = e.uncompressedSize;
  const bool zip64Sizes = expected >= kMax32 || (e.method == 8 && worstDeflatedSize(expected, block) >= kMax32);
  ScopedFd fd(openSource(e));
  beginEntry(e, zip64Sizes);
  const uint64_t headerAt = e.localOffset;
  const std::string placeholder = localHeader(e, zip64Sizes, e.extra);
  file.write(placeholder);
  std::optional<ZipDeflater> deflater;
  if (e.method == 8) deflater.emplace(e.compressionMode);
  std::string in(block, '\0'), out;
  uint64_t total = 0, written = 0;
  uint32_t crc = 0;
  for (;;) {
    if (!progressBeforeBlock(e.sourcePath, expected ? static_cast<double>(total) / expected : 0.0))
      throw TZipAction::fxaAbort;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(block, expected - std::min(total, expected)));
    size_t got = readFully(fd.get(), in.data(), want);
    total += got;
    const bool last = total >= expected || got < want;
    if (last) {
      char extra;
      if (readFully(fd.get(), &extra, 1) == 1) sizeChanged(expected, total + 1);
      if (total != expected) sizeChanged(expected, total);
    }
    crc = crc32Update(crc, in.data(), got);
    out.clear();
    if (deflater) {
      deflater->block(in.data(), got, last, out);
      file.write(out);
      written += out.size();
    } else {
      file.write(in.data(), got);
      written += got;
    }
    if (last) break;
  }
  e.crc = crc;
  e.compressedSize = written;
  file.flush();
  const std::string finalHeader = localHeader(e, zip64Sizes, e.extra);
  file.writeAt(headerAt, finalHeader);
}

ZipUpdateWriter::Outcome ZipUpdateWriter::writeNew(TZipEntry e, size_t jobIndex, std::vector<TZipEntry>& out) {
  const uint64_t start = file_->position();
  const std::string& name = e.sourcePath.empty() ? e.name : e.sourcePath;
  bool usePrepared = jobIndex != SIZE_MAX;
  for (;;) {
    TZipEntry attempt = e;
    try {
      if (!a_.fileProgress(name, 0, TZipProcessOperation::poAdd, TZipProgressPhase::ppStart)) return Outcome::Aborted;
      std::optional<Prepared> prepared;
      if (usePrepared) {
        if (pool_) {
          prefetch(jobIndex + 1);
          prepared = futures_[jobIndex].get();
          ++consumed_;
          bytesAhead_ -= attempt.uncompressedSize;
        } else {
          prepared = prepareSmall(attempt);
        }
        usePrepared = false;  // a retry reads the file again
        if (!progressBeforeBlock(name, 0.0)) return Outcome::Aborted;
      } else if (isSmall(attempt)) {
        prepared = prepareSmall(attempt);
        if (!progressBeforeBlock(name, 0.0)) return Outcome::Aborted;
      }
      writeEntry(attempt, std::move(prepared));
      if (!a_.fileProgress(name, 100, TZipProcessOperation::poAdd, TZipProgressPhase::ppEnd)) return Outcome::Aborted;
      attempt.toProcess = false;
      out.push_back(std::move(attempt));
      return Outcome::Written;
    } catch (TZipAction) {
      return Outcome::Aborted;
    } catch (const EZipException& ex) {
      file_->seek(start);
      switch (a_.entryFailed(name, TZipProcessOperation::poAdd, ex)) {
        case TZipAction::fxaRetry: continue;
        case TZipAction::fxaIgnore: return Outcome::Dropped;
        case TZipAction::fxaAbort: return Outcome::Aborted;
      }
    }
  }
}

bool ZipUpdateWriter::run() {
  auto& entries = a_.entries_;
  const auto& saved = a_.savedEntries_;
  for (const auto& e : entries) toProcess_ += e.toProcess ? 1 : 0;
  if (!a_.overallProgress(0, TZipProcessOperation::poAdd, TZipProgressPhase::ppStart)) return false;

  findCut();
  if (first_ == entries.size() && first_ == saved.size() && a_.wroteCentral_) {
    return a_.overallProgress(100, TZipProcessOperation::poAdd, TZipProgressPhase::ppEnd);
  }

  // Where each saved entry's bytes end in the old file: at the next entry's start, or at the directory.
  std::vector<uint64_t> oldOffsets;
  for (const auto& e : saved) oldOffsets.push_back(e.localOffset);
  std::sort(oldOffsets.begin(), oldOffsets.end());
  auto spanEnd = [&](uint64_t offset) {
    auto it = std::upper_bound(oldOffsets.begin(), oldOffsets.end(), offset);
    return it == oldOffsets.end() ? a_.savedCentralStart_ : *it;
  };

  std::vector<size_t> jobOf(entries.size(), SIZE_MAX);
  for (size_t i = first_; i < entries.size(); ++i)
    if (isSmall(entries[i])) jobOf[i] = jobs_.size(), jobs_.push_back(i);
  // More workers than cores only wait for each other, and each costs a thread: a large request is cut
  // down rather than followed.
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  int threads = a_.Threads > 0 ? std::min(a_.Threads, 2 * cores) : cores;
  threads = static_cast<int>(std::min<size_t>(static_cast<size_t>(threads), jobs_.size()));
  if (threads > 1) {
    promises_.resize(jobs_.size());
    for (auto& p : promises_) futures_.push_back(p.get_future());
    pool_ = std::make_unique<WorkerPool>(threads);
  }

  replacement_ = std::make_unique<ZipReplacement>(a_.FileName);
  file_ = &replacement_->file();
  if (cut_ > 0) file_->copyFrom(old_, 0, cut_);
  std::vector<TZipEntry> out(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(first_));
  for (size_t i = first_; i < entries.size(); ++i) {
    const TZipEntry& e = entries[i];
    if (!e.toProcess) {
      copyOld(e, spanEnd(e.localOffset), out);
      continue;
    }
    prefetch(0);
    switch (writeNew(e, jobOf[i], out)) {
      case Outcome::Written: break;
      case Outcome::Dropped: break;
      case Outcome::Aborted: return false;
    }
    ++finished_;
  }
  pool_.reset();

  const uint64_t cdStart = file_->position();
  for (const auto& e : out) file_->write(centralHeader(e));
  const uint64_t cdEnd = file_->position();
  const bool zip64 = cdEnd >= kMax32 || out.size() > 65534;
  file_->write(endRecords(out.size(), cdStart, cdEnd - cdStart, zip64, a_.dir_.comment));
  const uint64_t end = file_->position();
  file_->truncate(end);  // a failed entry may have left bytes beyond
  a_.file_ = replacement_->commit(a_.Options.FlushBuffers);
  entries = std::move(out);
  a_.dir_.centralStart = cdStart;
  a_.dir_.dataLimit = cdStart;
  a_.wroteCentral_ = true;
  return a_.overallProgress(100, TZipProcessOperation::poAdd, TZipProgressPhase::ppEnd);
}

bool TZipBaseArchiver::EndUpdate() {
  if (updateDepth_ == 0) raise(ZipErr::kUpdateNotStarted);
  if (--updateDepth_ > 0) return true;
  bool ok = false;
  try {
    ZipUpdateWriter writer(*this);
    ok = writer.run();
  } catch (const EZipException& e) {
    undoUpdate();
    throw e.named(Name);
  } catch (...) {
    undoUpdate();
    throw;
  }
  if (!ok) undoUpdate();
  savedEntries_.clear();
  return ok;
}

void TZipBaseArchiver::undoUpdate() {
  entries_ = savedEntries_;
  savedEntries_.clear();
  updateFailed_ = true;
}

}  // namespace lumora::archive
