#pragma once
// Names of topics inside a compiled help file. A help page links to its neighbours the way web pages do
// ("other.htm", "../img/a.png", "#part"), and sometimes through the help viewer's own forms
// ("ms-its:file.chm::/topic.htm", "mk:@MSITStore:file.chm::/topic.htm", "file.chm::/topic.htm"). Every one
// of them comes down to an absolute path inside the file ("/topic.htm") plus an optional "#" part.

#include <string>
#include <string_view>

namespace lumora::help {

// The path inside the help file that Reference names, seen from the topic CurrentTopic (an absolute path
// inside the file, or empty for the file's root). "\" separates like "/"; "." and ".." are resolved and
// never climb above the root; the "#" part is kept. Empty for what lies outside the file (an address
// with a scheme such as "http:" or "mailto:", or an empty reference).
std::string resolveTopicName(std::string_view Reference, std::string_view CurrentTopic);

// The name without its "#" part, and the "#" part alone ("#" included, empty when there is none).
std::string withoutFragment(std::string_view Name);
std::string fragmentOf(std::string_view Name);

// Name in lower case (ASCII), as help files match names regardless of case.
std::string foldedName(std::string_view Name);

}  // namespace lumora::help
