// Reads an archive from arbitrary bytes (end-record search, Zip64, leading data, recovery from local
// headers) and decodes every entry, with and without a password.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/zip_exception.h"
#include "archive/zip_reader.h"

namespace {
struct OutputLimit {};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const lumora::archive::MemoryZipInput in(std::string_view(reinterpret_cast<const char*>(data), size));
  for (bool oem : {true, false}) {
    lumora::archive::ZipReadOptions options;
    options.oemNames = oem;
    try {
      const lumora::archive::ZipDirectory dir = lumora::archive::readZipDirectory(in, options);
      const std::string password = "pw";
      for (const auto& e : dir.entries) {
        try {
          (void)lumora::archive::zipPasswordMatches(in, dir, e, password);
          lumora::archive::ZipDecodeOptions decode;
          decode.password = &password;
          size_t produced = 0;
          lumora::archive::decodeZipEntry(
              in, dir, e,
              [&](const char*, size_t n) {
                produced += n;
                if (produced > (1u << 22)) throw OutputLimit{};
              },
              decode);
        } catch (const lumora::archive::EZipException&) {
        } catch (const OutputLimit&) {
        }
      }
    } catch (const lumora::archive::EZipException&) {
    }
  }
  return 0;
}
