// Whole pages through the builder: any bytes give a document model and its dump, never a crash or a hang.
// Linked style sheets are served without touching the disk: "self" sheets are the input itself, any other
// name a small fixed sheet. Scripts and objects have handlers so their readers run too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "html/html_document.h"
#include "html/html_host.h"
#include "html/html_dump.h"
#include "html/html_parser.h"
#include "html/html_section.h"

namespace {

using namespace lumora::html;

class Sheets : public IResourceReader {
 public:
  explicit Sheets(const std::string& input) : input_(input) {}
  std::optional<std::string> readResource(const std::string& url, TResourceKind, std::string&) override {
    if (url.find("self") != std::string::npos) return input_;
    return std::string("p { color: red; margin: 2em } .c, ul li { font: bold 12px serif; border: solid 1px }\n");
  }

 private:
  const std::string& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  Sheets sheets(input);
  THtmlHost host;
  host.Resources = &sheets;
  TSectionList doc(&host);
  doc.DocumentPath = "/nonexistent/page.htm";
  doc.Events.OnScript = [](const std::string&, const std::string&, const std::string&) {};
  doc.Events.OnObjectTag = [](TPanelObj& panel, bool& want, const std::vector<std::string>&,
                              const std::vector<std::string>&) { want = !panel.Name.empty(); };
  doc.Events.OnInclude = [](const std::string& command, const std::vector<std::string>&, std::string& text) {
    if (command == "inc") text = "<b>included</b>";
  };
  doc.SetDefaults();
  ParseHtmlText(input, doc);
  (void)dumpDocument(doc);
  (void)documentText(doc);

  doc.Clear();
  doc.SetDefaults();
  ParsePlainText(input.substr(0, 4096), doc);
  (void)dumpDocument(doc);
  return 0;
}
