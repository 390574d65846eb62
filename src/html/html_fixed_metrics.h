#pragma once
// A host whose every answer is fixed, so that layout and drawing come out the same on every machine: the
// tests use it, and `lumora-html layout --metrics fixed` lays pages out with it. Its rules:
//
// - Every family counts as installed, and every font has the character set it was asked for.
// - A font of character height H pixels has cell height H, internal and external leading 0, descent H / 4
//   (integer division), average width H / 2 and maximum width H / 2.
// - Every character, the space included, advances H / 2 pixels (the engine adds letter spacing); the second
//   unit of a surrogate pair advances 0. Bold and italic change nothing.
// - Form controls: check boxes and radio buttons are 13 x 13 pixels; text areas and list boxes 8 pixels
//   per column (at least 2) by 16 per row (at least 1), plus 4 each way; everything else is 8 pixels per
//   character of its size or caption (at least 40) plus 4, by 20. A percentage width is the engine's.
//
// So the default 12-point font at 96 pixels per inch is 16 pixels high, 8 pixels per character, descent 4.

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "html/html_host.h"

namespace lumora::html {

class FixedMetricsPlatform : public ITextMetrics, public IFormControlHost {
 public:
  // --- ITextMetrics ---
  bool isFontInstalled(std::string_view Family) const override { return !Family.empty(); }
  TFontHandle realizeFont(const TFontRequest& Request) override;
  const TRealizedFont& fontMetrics(TFontHandle Font) const override;
  int textAdvances(TFontHandle Font, std::u16string_view Text, int* Advances) override;

  // --- IFormControlHost ---
  TControlSize controlSize(const TFormControlObj& Control) override;
  void placeControl(TFormControlObj&, int, int) override {}
  void releaseControl(TFormControlObj&) override {}

  // The request a handle was made from.
  const TFontRequest& request(TFontHandle Font) const;
  int RealizeCalls = 0;  // every realizeFont call, for tests of the engine's caching
  TFontRequest LastRequest;

 private:
  std::vector<std::pair<TFontRequest, TRealizedFont>> fonts_;
  std::map<std::tuple<std::string, int, int, int>, TFontHandle, std::less<>> handles_;
};

}  // namespace lumora::html
