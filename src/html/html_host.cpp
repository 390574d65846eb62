#include "html/html_host.h"

#include "core/file_read.h"
#include "url/url_utils.h"

namespace lumora::html {

std::optional<std::string> TFileResourceReader::readResource(const std::string& Url, TResourceKind Kind,
                                                             std::string& Error) {
  const uint64_t limit = Kind == TResourceKind::StyleSheet ? core::kMaxStyleSheetBytes : core::kMaxPageBytes;
  return core::readRegularFile(url::localFileName(url::UrlToDosPath(Url)), limit, &Error);
}

namespace {

std::string localPath(const std::string& Source) { return url::localFileName(url::UrlToDosPath(Source)).string(); }

}  // namespace

TImageAnswer TFileImageHost::requestImage(const std::string& Source, int Transparency) {
  TImageAnswer answer;
  bool fromCache = false;
  answer.Transparency = Transparency;
  answer.Image = image::loadImageWithCache(Cache, localPath(Source), answer.Transparency, fromCache, answer.Mask);
  return answer;
}

void TFileImageHost::releaseImage(const std::string& Source) {
  Cache.ReleaseImage(image::TStringBitmapList::makeKey(localPath(Source)));
}

}  // namespace lumora::html
