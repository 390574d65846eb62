#include "audio/audio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/file_read.h"

namespace lumora::audio {

int openAudioFile(const std::string& path, std::string* error) {
  if (!core::isRegularFile(path, error)) return -1;
  // Should the name be swapped for a FIFO after the check, O_NONBLOCK keeps the open from waiting for a
  // writer, and the fstat below refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    if (error) *error = path + ": not a regular file";
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace lumora::audio
