#pragma once
// The track information hint: a short HTML text composed from a file's ID3 tag.

#include <optional>
#include <string>
#include <string_view>

#include "audio/id3v1.h"
#include "audio/id3v2.h"

namespace lumora::audio {

// Tag text for the hint markup, so that it stays text: "&", "<", ">" and '"' as the markup's references
// ("&amp;", "&lt;", "&gt;", "&quot;").
std::string hintText(std::string_view text);

// Texts composed from a reader's fields, every value through hintText.
std::string composeTrackHint(const TID3v1& tag);
std::string composeTrackHint(const TID3v2& tag);

// The hint for a file just opened with Play: nullopt (keep the previous hint) unless the name ends exactly
// in ".mp3"; otherwise the text from the ID3v1 reader (tagVersion 0) or the ID3v2 reader (any other),
// whether or not a tag was read. Tag text is raw bytes; see trackHintForDisplay.
std::optional<std::string> trackHintFor(const std::string& fileName, int tagVersion);

// The hint as UTF-8 for a widget: tag bytes that are not UTF-8 are read as the default legacy code page.
std::string trackHintForDisplay(const std::string& rawHint);

}  // namespace lumora::audio
