// Whole pages through the builder and layout: any bytes are laid out at widths from 0 to 5000 with the
// fixed metrics, without a crash, a hang or a runaway in time or memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "html/html_document.h"
#include "html/html_fixed_metrics.h"
#include "html/html_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::html;
  // Pages beyond this size only repeat what smaller ones reach, at the price of the fuzzer's speed.
  if (size > 64 * 1024) return 0;
  FixedMetricsPlatform metrics;
  THtmlHost host{&metrics, nullptr, nullptr, &metrics};
  TSectionList doc(&host);
  doc.DocumentPath = "/nonexistent/page.htm";
  doc.SetDefaults();
  ParseHtmlText(std::string(reinterpret_cast<const char*>(data), size), doc);
  for (const int width : {800, 0, 37, 5000, 300}) {
    int scrollWidth = 0;
    doc.LayOut(metrics, 600, width, scrollWidth);
  }
  return 0;
}
