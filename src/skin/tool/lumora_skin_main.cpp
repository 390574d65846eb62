// lumora-skin check FOLDER: reads a skin folder as the reader does and reports every problem, one a line,
// as "FILE:LINE: message". Exit status 0 for a skin without problems, 1 when there are any, 2 for a wrong
// command line.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "skin/skin_format.h"

int main(int argc, char** argv) {
  using namespace lumora::skin;
  if (argc != 3 || std::strcmp(argv[1], "check") != 0) {
    std::fprintf(stderr, "usage: lumora-skin check FOLDER\n");
    return 2;
  }
  std::filesystem::path folder = argv[2];
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    std::fprintf(stderr, "%s: not a folder\n", argv[2]);
    return 1;
  }
  const SkinReadResult result = readSkinFolder(folder);
  for (const SkinProblem& problem : result.Problems) {
    std::printf("%s%s\n", problem.text().c_str(), problem.Fatal ? "" : " [warning]");
  }
  if (result.Problems.empty()) {
    std::printf("%s: skin \"%s\" is fine\n", argv[2], result.Data.Name.c_str());
    return 0;
  }
  std::printf("%s: %zu problem(s); %s\n", argv[2], result.Problems.size(),
              result.usable() ? "the reader uses the skin and ignores what it warns about"
                              : "the reader does not use this skin and shows its built-in look instead");
  return 1;
}
