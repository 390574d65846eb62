#include "audio/track_hint.h"

#include "core/codepage.h"

namespace lumora::audio {

std::string hintText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;  // would end the link's tag around an unquoted address
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string composeTrackHint(const TID3v1& tag) {
  return "<b>About file:</b><br>" + ("<br>Title: " + hintText(tag.Title)) + ("<br>Artist: " + hintText(tag.Artist)) +
         ("<br>Album: " + hintText(tag.Album)) + ("<br>Year: " + hintText(tag.Year)) +
         ("<br>Comment: " + hintText(tag.Comment)) + ("<br>Genre: " + hintText(tag.GenreName()));
}

std::string composeTrackHint(const TID3v2& tag) {
  const std::string link = hintText(tag.Link);
  return "<b>About file:</b><br>" + ("<br>Title: " + hintText(tag.Title)) + ("<br>Artist: " + hintText(tag.Artist)) +
         ("<br>Album: " + hintText(tag.Album)) + ("<br>Year: " + hintText(tag.Year)) +
         ("<br>Comment: " + hintText(tag.Comment)) + ("<br>Genre: " + hintText(tag.Genre)) +
         ("<br>Composer: " + hintText(tag.Composer)) + ("<br>Encoder: " + hintText(tag.Encoder)) +
         ("<br>Copyright: " + hintText(tag.Copyright)) + ("<br>Language: " + hintText(tag.Language)) +
         ("<br>Link: <a href=" + link + ">" + link + "</a>");
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
