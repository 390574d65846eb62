#pragma once
// What a compiled help file says about itself (its "#SYSTEM" object) and the lists it carries as text:
// the popup texts of context help.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace lumora::help {

struct TChmSystemInfo {
  std::string ContentsFile;  // the table of contents (.hhc), as named inside the file
  std::string IndexFile;     // the index (.hhk)
  std::string DefaultTopic;  // the topic shown first
  std::string Title;
  uint32_t Lcid = 0;         // the language of the file's texts; 0 when not given
};

// Reads the records of a "#SYSTEM" object: a 4-byte version, then records of a 2-byte code, a 2-byte
// length and that many bytes. Unknown codes, a short last record and texts without their terminating zero
// are tolerated; whatever is not there stays empty.
TChmSystemInfo parseSystemFile(std::string_view Bytes);

// The Windows code page of a language identifier's texts (1252 unless the language says otherwise).
int codePageOfLcid(uint32_t Lcid);

// Text of the help file as UTF-8: UTF-8 stays, anything else is read in the code page of Lcid.
std::string helpTextToUtf8(std::string_view Bytes, uint32_t Lcid);

// Popup texts: ".topic ID" lines each start a text that runs to the next such line; the texts keep their
// line breaks, without the blank lines around them. Keyed by ID as written (numbers or names).
std::map<std::string, std::string> parsePopupTexts(std::string_view Text);

}  // namespace lumora::help
