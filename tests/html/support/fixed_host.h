#pragma once
// A host for engine tests whose every answer is fixed, so layout and drawing can be checked to the pixel:
//
// - Fonts and controls: FixedMetricsPlatform (its rules are in its header).
// - Pictures: what the test put in Images by source (upper-cased); sources in Deferred are answered later
//   (the test calls TSectionList::imageArrived); anything else has no picture.
// - Resources: what the test put in Resources by URL.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "html/html_fixed_metrics.h"
#include "html/html_host.h"

namespace lumora::html::testing {

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
  FixedMetricsPlatform Metrics;
  TFixedImages Images;
  TFixedResources Resources;
  THtmlHost Host{&Metrics, &Images, &Resources, &Metrics, kDefaultPixelsPerInch};
};

// A solid picture of the given size, as a decoder would hand it over.
TImageAnswer solidPicture(int Width, int Height);

}  // namespace lumora::html::testing
