#include "help/chm_file.h"

#include <chm_lib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/file_read.h"
#include "help/help_names.h"

namespace lumora::help {

namespace {

// The container's header: "ITSF", a version of 2 or 3 and a header length that fits the file. chmlib
// trusts more of a file than a reader of files from outside should, so the obvious non-files stop here.
bool looksLikeChm(const std::string& path, uint64_t size) {
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  if (!in.read(header, sizeof header)) return false;
  if (std::memcmp(header, "ITSF", 4) != 0) return false;
  const auto word = [&](int at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(header[at + i])) << (8 * i);
    return v;
  };
  const uint32_t version = word(4), length = word(8);
  return (version == 2 || version == 3) && length >= 0x38 && length <= size;
}

int collectName(chmFile*, chmUnitInfo* ui, void* context) {
  auto* names = static_cast<std::vector<std::string>*>(context);
  const std::string name = ui->path;
  if ((ui->flags & CHM_ENUMERATE_FILES) != 0 && name.size() > 1 && name[0] == '/' && name[1] != '#' && name[1] != '$')
    names->push_back(name);
  return names->size() < 1000000 ? CHM_ENUMERATOR_CONTINUE : CHM_ENUMERATOR_SUCCESS;
}

bool endsWithFolded(std::string_view name, std::string_view extension) {
  return name.size() >= extension.size() && foldedName(name.substr(name.size() - extension.size())) == extension;
}

// chmlib trusts the file's directory and compression data: a damaged file can make it read through null
// or wild pointers while it opens the file or unpacks an object. So every object is read once in a child
// process first; only a file that reads to its end there, in time, is opened here. The time allowed grows
// with the file (a second per 2 MB beyond a first two), so a small file that sends chmlib round in circles
// is refused quickly rather than after a wait the reader would take for a hang.
std::chrono::milliseconds trialReadTime(uint64_t size) {
  return std::chrono::milliseconds(2000 + size / (2 * 1024 * 1024) * 1000);
}

bool readsThroughInAChild(const std::string& path, uint64_t size) {
  const pid_t child = ::fork();
  if (child < 0) return true;  // no child to try in: read as it is
  if (child == 0) {
    // A crash report of the child would only be noise.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 2);
    chmFile* h = chm_open(path.c_str());
    if (h == nullptr) ::_exit(0);  // refused cleanly: the constructor says so
    std::vector<std::string> names;
    chm_enumerate(h, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectName, &names);
    std::vector<unsigned char> buffer;
    const auto readObject = [&](const char* name) {
      chmUnitInfo ui{};
      if (chm_resolve_object(h, name, &ui) != CHM_RESOLVE_SUCCESS || ui.length > kMaxChmObjectBytes) return;
      buffer.resize(static_cast<size_t>(ui.length) + 1);
      chm_retrieve_object(h, &ui, buffer.data(), 0, static_cast<LONGINT64>(ui.length));
    };
    // Both ways round, since what the library keeps from one object can change how it unpacks the next.
    readObject("/#SYSTEM");
    for (const std::string& name : names) readObject(name.c_str());
    for (auto it = names.rbegin(); it != names.rend(); ++it) readObject(it->c_str());
    chm_close(h);
    ::_exit(0);
  }
  const auto deadline = std::chrono::steady_clock::now() + trialReadTime(size);
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (done < 0) return false;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

void TChmFile::Closer::operator()(chmFile* h) const { chm_close(h); }

TChmFile::TChmFile(const std::string& Path) : path_(Path) {
  std::string problem;
  if (!core::isRegularFile(Path, &problem)) throw EChmError("Cannot open the help file " + Path + ": " + problem + ".");
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(Path, ec);
  if (ec || size > kMaxChmFileBytes) throw EChmError("Cannot open the help file " + Path + ": it is too large.");
  if (!looksLikeChm(Path, size)) throw EChmError("Cannot open the help file " + Path + ": it is not a compiled help file.");
  if (!readsThroughInAChild(Path, size)) throw EChmError("Cannot open the help file " + Path + ": it is damaged.");
  handle_.reset(chm_open(Path.c_str()));
  if (!handle_) throw EChmError("Cannot open the help file " + Path + ": it is damaged.");
  chm_enumerate(handle_.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectName, &names_);
  for (const std::string& name : names_) folded_.emplace(foldedName(name), name);
  // "#SYSTEM" is internal, so it is read by its exact name.
  chmUnitInfo ui{};
  if (chm_resolve_object(handle_.get(), "/#SYSTEM", &ui) == CHM_RESOLVE_SUCCESS && ui.length <= kMaxChmObjectBytes) {
    std::string bytes(static_cast<size_t>(ui.length), '\0');
    const LONGINT64 got = chm_retrieve_object(handle_.get(), &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              static_cast<LONGINT64>(ui.length));
    if (got >= 0) bytes.resize(static_cast<size_t>(got));
    info_ = parseSystemFile(bytes);
    info_.Title = helpTextToUtf8(info_.Title, info_.Lcid);
  }
  if (names_.empty()) throw EChmError("Cannot open the help file " + Path + ": it holds no topics.");
}

TChmFile::~TChmFile() = default;

bool TChmFile::contains(std::string_view Name) const {
  const std::string name = withoutFragment(Name);
  return folded_.count(foldedName(name)) != 0;
}

std::optional<std::string> TChmFile::read(std::string_view Name) const {
  std::string name = withoutFragment(Name);
  if (name.empty() || name.size() > CHM_MAX_PATHLEN) return std::nullopt;
  if (name.front() != '/') name.insert(name.begin(), '/');
  const auto found = folded_.find(foldedName(name));
  if (found == folded_.end()) return std::nullopt;
  chmUnitInfo ui{};
  if (chm_resolve_object(handle_.get(), found->second.c_str(), &ui) != CHM_RESOLVE_SUCCESS) return std::nullopt;
  if (ui.length > kMaxChmObjectBytes) return std::nullopt;
  std::string bytes(static_cast<size_t>(ui.length), '\0');
  if (ui.length == 0) return bytes;
  const LONGINT64 got = chm_retrieve_object(handle_.get(), &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                            static_cast<LONGINT64>(ui.length));
  // A short read means the file is damaged there: nothing rather than part of a page.
  if (got != static_cast<LONGINT64>(ui.length)) return std::nullopt;
  return bytes;
}

std::string TChmFile::findByExtension(std::string_view Extension) const {
  for (const std::string& name : names_)
    if (endsWithFolded(name, Extension)) return name;
  return {};
}

std::string TChmFile::contentsText() const {
  const std::string name = info_.ContentsFile.empty() ? findByExtension(".hhc") : resolveTopicName(info_.ContentsFile, "");
  return read(name).value_or(std::string());
}

std::string TChmFile::indexText() const {
  const std::string name = info_.IndexFile.empty() ? findByExtension(".hhk") : resolveTopicName(info_.IndexFile, "");
  return read(name).value_or(std::string());
}

std::string TChmFile::defaultTopic() const {
  if (!info_.DefaultTopic.empty()) {
    const std::string topic = resolveTopicName(info_.DefaultTopic, "");
    if (!topic.empty() && contains(topic)) return topic;
  }
  for (const std::string& name : names_)
    if (endsWithFolded(name, ".htm") || endsWithFolded(name, ".html")) return name;
  return {};
}

}  // namespace lumora::help
