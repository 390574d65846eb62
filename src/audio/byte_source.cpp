#include "audio/byte_source.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "audio/audio_file.h"

namespace lumora::audio {

bool MemoryByteSource::readAt(uint64_t offset, void* out, size_t count) {
  if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
  std::memcpy(out, bytes_.data() + offset, count);
  return true;
}

std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path) {
  const int fd = openAudioFile(path);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "rb");
  if (f == nullptr) {
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<FileByteSource> source(new FileByteSource());
  source->file_.reset(f);
  struct stat st {};
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  source->size_ = static_cast<uint64_t>(st.st_size);
  return source;
}

bool FileByteSource::readAt(uint64_t offset, void* out, size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  if (fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, count, file_.get()) == count;
}

}  // namespace lumora::audio
