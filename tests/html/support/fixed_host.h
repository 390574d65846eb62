#pragma once
// A host for engine tests whose every answer is fixed, so layout and drawing can be checked to the pixel:
//
// - Installed families: "Arial", "Courier New", "Times New Roman" and "Symbol" (a symbol font).
// - A font of character height h: cell height h + h / 4, internal leading h / 4, descent h / 5, external
//   leading 1, average width h / 2, maximum width h. Every UTF-16 unit advances h / 2, whatever the face
//   or style; the second unit of a surrogate pair advances 0.
// - Pictures: what the test put in Images by source (upper-cased); sources in Deferred are answered later
//   (the test calls TSectionList::imageArrived); anything else has no picture.
// - Resources: what the test put in Resources by URL.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "html/html_host.h"

namespace lumora::html::testing {

class TFixedMetrics : public ITextMetrics {
 public:
  bool isFontInstalled(std::string_view Family) const override;
  TFontHandle realizeFont(const TFontRequest& Request) override;
  const TRealizedFont& fontMetrics(TFontHandle Font) const override;
  int textAdvances(TFontHandle Font, std::u16string_view Text, int* Advances) override;

  const TFontRequest& request(TFontHandle Font) const { return fonts_.at(static_cast<size_t>(Font - 1)).first; }
  int RealizeCalls = 0;
  TFontRequest LastRequest;

 private:
  std::vector<std::pair<TFontRequest, TRealizedFont>> fonts_;
};

class TFixedImages : public IImageHost {
 public:
  TImageAnswer requestImage(const std::string& Source, int Transparency) override;
  void releaseImage(const std::string& Source) override { Released.push_back(Source); }

  std::map<std::string, TImageAnswer> Images;  // by upper-cased source
  std::set<std::string> Deferred;              // upper-cased sources answered later
  std::vector<std::string> Requested, Released;
};

class TFixedResources : public IResourceReader {
 public:
  std::optional<std::string> readResource(const std::string& Url, TResourceKind Kind, std::string& Error) override;
  std::map<std::string, std::string> Files;
  std::vector<std::string> Read;
};

// The whole host, ready to hand to a document.
struct TFixedHost {
  TFixedMetrics Metrics;
  TFixedImages Images;
  TFixedResources Resources;
  THtmlHost Host{&Metrics, &Images, &Resources, nullptr, kDefaultPixelsPerInch};
};

// A solid picture of the given size, as a decoder would hand it over.
TImageAnswer solidPicture(int Width, int Height);

}  // namespace lumora::html::testing
