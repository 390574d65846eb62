// Whole pages through the builder: any bytes give a document model and its dump, never a crash or a hang.
// Linked style sheets are served without touching the disk: "self" sheets are the input itself, any other
// name a small fixed sheet. Scripts and objects have handlers so their readers run too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "html/html_document.h"
#include "html/html_dump.h"
#include "html/html_parser.h"
#include "html/html_section.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::html;
  const std::string input(reinterpret_cast<const char*>(data), size);
  TSectionList doc;
  doc.DocumentPath = "/nonexistent/page.htm";
  doc.OnStreamRequest = [&input](const std::string& url) -> std::optional<std::string> {
    if (url.find("self") != std::string::npos) return input;
    return std::string("p { color: red; margin: 2em } .c, ul li { font: bold 12px serif; border: solid 1px }\n");
  };
  doc.ScriptEvent = [](const std::string&, const std::string&, const std::string&) {};
  doc.OnObjectTag = [](TPanelObj& panel, bool& want, const std::vector<std::string>&, const std::vector<std::string>&) {
    want = !panel.Name.empty();
  };
  doc.SetDefaults();
  THtmlParseCallbacks callbacks;
  callbacks.OnInclude = [](const std::string& command, const std::vector<std::string>&, std::string& text) {
    if (command == "inc") text = "<b>included</b>";
  };
  ParseHtmlText(input, doc, callbacks);
  (void)dumpDocument(doc);
  (void)documentText(doc);

  doc.Clear();
  doc.SetDefaults();
  ParsePlainText(input.substr(0, 4096), doc);
  (void)dumpDocument(doc);
  return 0;
}
