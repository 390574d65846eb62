// Any bytes as a compiled help file: it is refused with a message naming it, or it opens and every topic
// reads whole or not at all, and its lists parse. chmlib needs a file, so the bytes are written to one.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "help/chm_file.h"
#include "help/help_sitemap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::help;
  static const std::string path = [] {
    std::string pattern = "/tmp/lumora-fuzz-chm-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) ::close(fd);
    return pattern;
  }();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  try {
    const TChmFile chm(path);
    for (const std::string& name : chm.names()) {
      const auto bytes = chm.read(name);
      if (bytes && bytes->size() > kMaxChmObjectBytes) __builtin_trap();
    }
    (void)parseSitemap(chm.contentsText(), chm.info().Lcid);
    (void)parseSitemap(chm.indexText(), chm.info().Lcid);
    (void)chm.defaultTopic();
  } catch (const EChmError& e) {
    if (std::string(e.what()).find(path) == std::string::npos) __builtin_trap();
  }
  return 0;
}
