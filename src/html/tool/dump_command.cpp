#include "html/tool/dump_command.h"

#include <filesystem>

#include "html/html_dump.h"
#include "html/html_parser.h"

namespace lumora::html {

int writeDocument(const std::string& path, const std::string& document, bool textOnly, std::ostream& out) {
  TSectionList doc;
  doc.DocumentPath = std::filesystem::absolute(path).generic_string();
  doc.SetDefaults();
  ParseHtmlText(document, doc);
  out << (textOnly ? documentText(doc) : dumpDocument(doc));
  out.flush();
  return out ? 0 : 1;
}

}  // namespace lumora::html
