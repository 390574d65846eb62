#include "html/html_host.h"

#include <iterator>

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

std::vector<std::string> IFormControlHost::displayedLines(const TFormControlObj&, const std::string& Text) {
  return textLines(Text);
}

std::vector<std::string> IFormControlHost::textLines(const std::string& Text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (;;) {
    const size_t end = Text.find("\r\n", from);
    lines.push_back(Text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) return lines;
    from = end + 2;
  }
}

TColor ICanvas::resolveColor(TColor Color) const {
  if (Color == kColorNone) return Color;
  if ((Color & kSystemColorFlag) == kSystemColorFlag) {
    // The classic desktop scheme, by system colour index.
    static constexpr TColor kClassic[] = {
        0xC8C8C8, 0x000000, 0x6A240A, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x6A240A, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
        0x000000, 0xC0C0C0, 0xFFFFFF, 0x404040, 0xC0C0C0, 0x000000, 0xE1FFFF,
    };
    const size_t index = static_cast<size_t>(Color & 0xFF);
    return index < std::size(kClassic) ? kClassic[index] : 0;
  }
  return Color & 0xFFFFFF;
}

}  // namespace lumora::html
