// Any bytes as an Options.dat: reading never fails, every problem names a line of the text, and every
// section ends with values in their ranges.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/skin_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::skin;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const SkinReadResult result = parseSkinOptions(bytes, "Options.dat");
  size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  for (const SkinProblem& problem : result.Problems) {
    if (problem.Line < 0 || static_cast<size_t>(problem.Line) > lines * 2 + 2) __builtin_trap();
    if (problem.Message.empty()) __builtin_trap();
  }
  for (const SectionLook& look : result.Data.Sections) {
    if (look.BorderWidth < 0 || look.BorderWidth > 4 || look.Radius < 0 || look.Radius > 12) __builtin_trap();
    if (look.FontSize < 0 || look.FontSize > 36) __builtin_trap();
    if (look.Color > 0xFFFFFF || look.FontColor > 0xFFFFFF) __builtin_trap();
    if (look.Image.find('/') != std::string::npos) __builtin_trap();
  }
  (void)resolveSkinDirectory(bytes.substr(0, 64), "/pub/");
  return 0;
}
