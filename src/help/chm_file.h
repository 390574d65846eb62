#pragma once
// A compiled help file (.chm) opened for reading: its topics, pictures and style sheets by name, and what
// it says about itself. chmlib reads the container; this class adds the checks a file from outside needs.

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "help/chm_system.h"

struct chmFile;

namespace lumora::help {

class EChmError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Objects larger than this are not read: help pages and their pictures are far smaller, and a damaged
// directory could otherwise claim any size.
inline constexpr uint64_t kMaxChmObjectBytes = 64ull << 20;
// The help file itself.
inline constexpr uint64_t kMaxChmFileBytes = 1ull << 30;

class TChmFile {
 public:
  // Opens Path. A file that is missing, not a regular file, too large or not a compiled help file throws
  // EChmError with a message that names it.
  explicit TChmFile(const std::string& Path);
  ~TChmFile();
  TChmFile(const TChmFile&) = delete;
  TChmFile& operator=(const TChmFile&) = delete;

  const std::string& path() const { return path_; }
  const TChmSystemInfo& info() const { return info_; }

  // The bytes of the object Name (an absolute path inside the file, "/topic.htm"; a "#" part is ignored),
  // matched exactly or else without regard to case. Nothing when it is not there, too large or damaged.
  std::optional<std::string> read(std::string_view Name) const;
  bool contains(std::string_view Name) const;
  // The file's own objects (topics, pictures, lists), without the container's internal ones ("/#...",
  // "/$...", "::...").
  const std::vector<std::string>& names() const { return names_; }

  // The table of contents, the index and the popup texts, as the file names them ("" or empty when it has
  // none); the table of contents and the index are found by extension when the file does not name them.
  std::string contentsText() const;
  std::string indexText() const;
  // The topic to show first: the file's default topic, or else its first page.
  std::string defaultTopic() const;

 private:
  std::string findByExtension(std::string_view Extension) const;

  std::string path_;
  struct Closer {
    void operator()(chmFile* h) const;
  };
  std::unique_ptr<chmFile, Closer> handle_;
  TChmSystemInfo info_;
  std::vector<std::string> names_;
  std::map<std::string, std::string> folded_;  // lower-case name -> name as stored
};

}  // namespace lumora::help
