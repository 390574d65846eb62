#include "html/html_host.h"

#include "core/file_read.h"
#include "url/url_utils.h"

namespace lumora::html {

std::optional<std::string> TFileResourceReader::readResource(const std::string& Url, TResourceKind Kind,
                                                             std::string& Error) {
  const uint64_t limit = Kind == TResourceKind::StyleSheet ? core::kMaxStyleSheetBytes : core::kMaxPageBytes;
  return core::readRegularFile(url::localFileName(url::UrlToDosPath(Url)), limit, &Error);
}

}  // namespace lumora::html
