#include "html/support/fixed_host.h"

#include <memory>
#include <stdexcept>

#include "image/image_cache.h"

namespace lumora::html::testing {

bool TFixedMetrics::isFontInstalled(std::string_view Family) const {
  static const std::set<std::string, std::less<>> installed = {"Arial", "Courier New", "Times New Roman", "Symbol"};
  return installed.contains(Family);
}

TFontHandle TFixedMetrics::realizeFont(const TFontRequest& Request) {
  ++RealizeCalls;
  LastRequest = Request;
  for (size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].first == Request) return static_cast<TFontHandle>(i + 1);
  const int h = Request.Height;
  TRealizedFont m;
  m.CellHeight = h + h / 4;
  m.InternalLeading = h / 4;
  m.Descent = h / 5;
  m.ExternalLeading = 1;
  m.AveCharWidth = h / 2;
  m.MaxCharWidth = h;
  m.CharSet = Request.Name == "Symbol" ? kSymbolCharSet : (Request.CharSet == kDefaultCharSet ? 0 : Request.CharSet);
  fonts_.emplace_back(Request, m);
  return static_cast<TFontHandle>(fonts_.size());
}

const TRealizedFont& TFixedMetrics::fontMetrics(TFontHandle Font) const {
  if (Font < 1 || static_cast<size_t>(Font) > fonts_.size()) throw std::out_of_range("unknown font handle");
  return fonts_[static_cast<size_t>(Font - 1)].second;
}

int TFixedMetrics::textAdvances(TFontHandle Font, std::u16string_view Text, int* Advances) {
  const int advance = request(Font).Height / 2;
  int total = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    const bool secondHalf = i > 0 && Text[i] >= 0xDC00 && Text[i] <= 0xDFFF && Text[i - 1] >= 0xD800 &&
                            Text[i - 1] <= 0xDBFF;
    const int w = secondHalf ? 0 : advance;
    if (Advances) Advances[i] = w;
    total += w;
  }
  return total;
}

TImageAnswer TFixedImages::requestImage(const std::string& Source, int) {
  Requested.push_back(Source);
  const std::string key = image::TStringBitmapList::makeKey(Source);
  if (Deferred.contains(key)) {
    TImageAnswer later;
    later.Deferred = true;
    return later;
  }
  const auto it = Images.find(key);
  if (it == Images.end()) return {};
  return it->second;
}

std::optional<std::string> TFixedResources::readResource(const std::string& Url, TResourceKind, std::string& Error) {
  Read.push_back(Url);
  const auto it = Files.find(Url);
  if (it == Files.end()) {
    Error = Url + ": not found";
    return std::nullopt;
  }
  return it->second;
}

TImageAnswer solidPicture(int Width, int Height) {
  TImageAnswer answer;
  answer.Image.Bitmap = std::make_shared<image::TBitmap>(Width, Height, image::makePixel(10, 20, 30));
  return answer;
}

}  // namespace lumora::html::testing
