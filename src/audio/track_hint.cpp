#include "audio/track_hint.h"

#include "core/codepage.h"

namespace lumora::audio {

std::string composeTrackHint(const TID3v1& tag) {
  return "<b>About file:</b><br>" + ("<br>Title: " + tag.Title) + ("<br>Artist: " + tag.Artist) +
         ("<br>Album: " + tag.Album) + ("<br>Year: " + tag.Year) + ("<br>Comment: " + tag.Comment) +
         ("<br>Genre: " + tag.GenreName());
}

std::string composeTrackHint(const TID3v2& tag) {
  return "<b>About file:</b><br>" + ("<br>Title: " + tag.Title) + ("<br>Artist: " + tag.Artist) +
         ("<br>Album: " + tag.Album) + ("<br>Year: " + tag.Year) + ("<br>Comment: " + tag.Comment) +
         ("<br>Genre: " + tag.Genre) + ("<br>Composer: " + tag.Composer) + ("<br>Encoder: " + tag.Encoder) +
         ("<br>Copyright: " + tag.Copyright) + ("<br>Language: " + tag.Language) +
         ("<br>Link: <a href=" + tag.Link + ">" + tag.Link + "</a>");
}

std::optional<std::string> trackHintFor(const std::string& fileName, int tagVersion) {
  const std::string ext = ".mp3";
  if (fileName.size() < ext.size() || fileName.compare(fileName.size() - ext.size(), ext.size(), ext) != 0) {
    return std::nullopt;
  }
  if (tagVersion == 0) {
    TID3v1 tag;
    tag.ReadTag(fileName);  // a missing tag gives the same text with empty values
    return composeTrackHint(tag);
  }
  TID3v2 tag;
  tag.ReadTag(fileName);
  return composeTrackHint(tag);
}

std::string trackHintForDisplay(const std::string& rawHint) {
  return core::isValidUtf8(rawHint) ? rawHint : core::toUtf8(rawHint, core::kDefaultLegacyCodePage);
}

}  // namespace lumora::audio
