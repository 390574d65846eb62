// lumora-html: the HTML engine on the command line.
//   lumora-html tokens FILE   the lexer's tokens, one JSON object per line
//   lumora-html dump FILE     the document model, one item per line
//   lumora-html text FILE     the page's text as a reader reads it

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "html/tool/dump_command.h"
#include "html/tool/tokens_command.h"

namespace {

int usage() {
  std::fputs("usage: lumora-html tokens|dump|text FILE\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string_view command = argv[1];
  if (command == "tokens" || command == "dump" || command == "text") {
    if (argc != 3) return usage();
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "lumora-html: cannot read %s\n", argv[2]);
      return 1;
    }
    const std::string document((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (command == "tokens") return lumora::html::writeTokens(document, std::cout);
    return lumora::html::writeDocument(argv[2], document, command == "text", std::cout);
  }
  return usage();
}
