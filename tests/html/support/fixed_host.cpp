#include "html/support/fixed_host.h"

#include <memory>
#include <stdexcept>

#include "image/image_cache.h"

namespace lumora::html::testing {

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
