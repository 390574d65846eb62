#pragma once
// Frameset documents: telling a frameset page from an ordinary one, and reading its FRAMESET and FRAME
// tags into the frame viewer's panels.

#include <string>
#include <string_view>

#include "html/html_codepage.h"
#include "html/html_common.h"

namespace lumora::html {

// What the frameset reader asks of the frame viewer, in the order it meets the tags.
class IFrameSetBuilder {
 public:
  virtual ~IFrameSetBuilder() = default;
  // The FRAMESET attributes (ROWS, COLS, BORDER, ...) for the frameset being filled.
  virtual void SetDimensions(const TAttributeList& Attributes) = 0;
  // A nested FRAMESET: a new frameset inside the current one becomes current.
  virtual void addSubFrameSet() = 0;
  // A FRAME of the current frameset. DocumentName is the frameset document's full name.
  virtual void AddFrame(const TAttributeList& Attributes, const std::string& DocumentName) = 0;
  // The end of the current frameset (its end tag or the end of input); its parent becomes current again.
  virtual void FinishFrameSet() = 0;
  // SCRIPT content (lines joined with CR LF), BGSOUND and META of the frameset document.
  virtual void Script(const std::string& Name, const std::string& Script, const std::string& Language) {
    (void)Name, (void)Script, (void)Language;
  }
  virtual void Sound(const std::string& Src, int Loop) { (void)Src, (void)Loop; }
  virtual void meta(const std::string& HttpEq, const std::string& Name, const std::string& Content) {
    (void)HttpEq, (void)Name, (void)Content;
  }
};

// What the frameset document itself says.
struct TFrameSetDocument {
  std::u16string Title;
  std::string Base, BaseTarget;
  bool FoundFrameSet = false;  // a FRAMESET start tag was read
};

// Framesets nested deeper than this are not built: their FRAMESET and FRAME tags are skipped (a page of
// endless nested framesets would otherwise make endless panels).
inline constexpr int kMaxFrameSetNesting = 16;

// Whether Text is a frameset document: a FRAMESET start tag comes before the end and before any tag of
// body content (BODY, P, headings, HR, lists, ADDRESS, BLOCKQUOTE, PRE, IMG, TABLE, FORM). SCRIPT blocks
// are skipped while looking.
bool IsFramesetText(std::string Text, int CodePage = kSystemCodePage);
// The same for a file (false when it cannot be read).
bool isFramesetFile(const std::string& FileName, int CodePage = kSystemCodePage);

// Reads a frameset document into Viewer. Malformed markup never throws; what was read stays.
TFrameSetDocument ParseFramesetText(IFrameSetBuilder& Viewer, std::string Text, const std::string& FileName,
                                    int CodePage = kSystemCodePage);

}  // namespace lumora::html
