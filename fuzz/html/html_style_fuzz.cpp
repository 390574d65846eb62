// Style values from a page: a rule "selector { property: value }" and an element that may match it, as
// lines of the input. Any text gives a computed property set, never a crash.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_style_convert.h"
#include "html/html_style_list.h"
#include "html/html_style_props.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::html;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  while (lines.size() < 6) {
    const size_t nl = input.find('\n');
    lines.emplace_back(input.substr(0, nl));
    if (nl == std::string_view::npos) break;
    input.remove_prefix(nl + 1);
  }
  lines.resize(6);
  const std::string& selector = lines[0];
  const std::string& property = lines[1];
  const std::string& value = lines[2];

  TColor color = 0;
  (void)ParseColor(value, false, color);
  (void)ParseColor(value, true, color);
  (void)ToPixels(value, true, 100.0, 0, 16.0, 8.0, kDefaultPixelsPerInch);

  TStyleList styles;
  styles.BuildDefaults("Times New Roman", "Courier New", 10, 15, 1, true, 0x0000FF, 0x800080, 0xFF0000, 0, 12);
  styles.SetRuleProperty(selector, property, value);
  TPropStack stack;
  stack.push(std::make_unique<TProperties>(*styles.find("default")));
  auto inlineStyle = std::make_shared<TProperties>();
  inlineStyle->SetInlineProperty(property, value);
  for (int depth = 0; depth < 3; ++depth) {
    auto element = std::make_unique<TProperties>();
    element->InheritFrom(lines[3], stack.last());
    element->ApplyRules(styles, stack, stack.count() - 1, lines[3], lines[4], lines[5], "", "",
                        depth == 2 ? inlineStyle : nullptr);
    stack.push(std::move(element));
  }
  return 0;
}
