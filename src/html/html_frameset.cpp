#include "html/html_frameset.h"

#include "core/file_read.h"
#include "html/html_lexer.h"

namespace lumora::html {
namespace {

// Tags of body content: meeting one means the page is an ordinary document.
bool isBodyContentTag(const THtmlLexer& Lexer) {
  switch (Lexer.Sy) {
    case BodySy: case PSy: case HrSy: case OLSy: case ULSy: case DirSy: case MenuSy: case DLSy:
    case AddressSy: case BlockQuoteSy: case PreSy: case ImgSy: case TableSy: case FormSy:
      return true;
    case HSy:
      return Lexer.HeadingLevel >= 1 && Lexer.HeadingLevel <= 6;
    default:
      return false;
  }
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// After a SCRIPT start tag (the lexer on its ">"): the characters up to its end tag, read without any markup handling (a script
// may hold "<" and comment openers). Leaves the lexer after the end tag, ready for NextToken.
std::string readScriptContent(THtmlLexer& Lexer) {
  static constexpr std::string_view kEnd = "</script";
  std::string text;
  if (Lexer.LCh == '>') Lexer.ReadChar();  // the lexer stops on the start tag's ">" for content readers
  while (Lexer.LCh != '\0') {
    const char c = Lexer.LCh;
    if (c == '\r') {
      text += "\r\n";
    } else {
      text += c;
    }
    Lexer.ReadChar();
    if (text.size() >= kEnd.size()) {
      bool ended = true;
      for (size_t i = 0; i < kEnd.size() && ended; ++i) {
        ended = lowerAscii(text[text.size() - kEnd.size() + i]) == kEnd[i];
      }
      if (ended) {
        text.resize(text.size() - kEnd.size());
        while (Lexer.LCh != '>' && Lexer.LCh != '\0') Lexer.ReadChar();
        if (Lexer.LCh == '>') Lexer.ReadChar();
        break;
      }
    }
  }
  return text;
}

std::string attributeText(const TAttributeList& Attributes, Symb Which) {
  const TAttribute* a = Attributes.find(Which);
  return a ? a->Name : std::string();
}

void skipTo(THtmlLexer& Lexer, Symb End) {
  do {
    Lexer.NextToken();
  } while (Lexer.Sy != End && Lexer.Sy != EofSy);
}

class TFramesetReader {
 public:
  TFramesetReader(IFrameSetBuilder& Viewer, const std::string& FileName) : viewer_(Viewer), fileName_(FileName) {}

  void Read(THtmlLexer& Lexer) {
    Lexer.begin();
    Lexer.NextToken();
    while (Lexer.Sy != EofSy && !isBodyContentTag(Lexer)) {
      switch (Lexer.Sy) {
        case TitleSy:
          Lexer.NextToken();
          while (Lexer.Sy == TextSy) {
            result_.Title += Lexer.Token.S();
            Lexer.NextToken();
          }
          continue;  // the symbol that ended the title is handled normally
        case BaseSy:
          if (const TAttribute* a = Lexer.Attributes.find(HrefSy)) result_.Base = a->Name;
          if (const TAttribute* a = Lexer.Attributes.find(TargetSy)) result_.BaseTarget = a->Name;
          break;
        case FrameSetSy:
          if (result_.FoundFrameSet) {
            // A second top-level frameset would refill the same panels; it is read past instead.
            readFrameSet(Lexer, /*apply=*/false);
          } else {
            result_.FoundFrameSet = true;
            readFrameSet(Lexer, /*apply=*/true);
          }
          break;
        default:
          if (handleCommon(Lexer)) continue;
          break;
      }
      Lexer.NextToken();
    }
  }

  const TFrameSetDocument& Result() const { return result_; }

 private:
  // NOFRAMES (skipped), SCRIPT, BGSOUND and META, which may stand anywhere in a frameset document. Returns
  // true when the next token has already been read.
  bool handleCommon(THtmlLexer& Lexer) {
    switch (Lexer.Sy) {
      case NoFramesSy:
        skipTo(Lexer, NoFramesEndSy);
        return false;
      case ScriptSy: {
        const std::string name = attributeText(Lexer.Attributes, NameSy);
        const std::string language = attributeText(Lexer.Attributes, LanguageSy);
        const std::string script = readScriptContent(Lexer);
        viewer_.Script(name, script, language);
        Lexer.NextToken();
        return true;
      }
      case BgSoundSy:
        if (const TAttribute* src = Lexer.Attributes.find(SrcSy)) {
          const TAttribute* loop = Lexer.Attributes.find(LoopSy);
          viewer_.Sound(src->Name, loop ? loop->Value : 1);
        }
        return false;
      case MetaSy:
        viewer_.meta(attributeText(Lexer.Attributes, HttpEquivSy), attributeText(Lexer.Attributes, NameSy),
                     attributeText(Lexer.Attributes, ContentSy));
        return false;
      default:
        return false;
    }
  }

  // At a FRAMESET start tag: its attributes, its frames and nested framesets up to its end tag. Nesting is
  // followed with a level counter rather than recursion, so a hostile page cannot exhaust the stack.
  void readFrameSet(THtmlLexer& Lexer, bool apply) {
    int& level = level_;
    int& skipped = skipped_;
    level = 1;
    skipped = apply ? 0 : 1;
    if (apply) viewer_.SetDimensions(Lexer.Attributes);
    Lexer.NextToken();
    while (Lexer.Sy != EofSy) {
      switch (Lexer.Sy) {
        case FrameSetSy:
          ++level;
          if (skipped > 0 || level > kMaxFrameSetNesting) {
            ++skipped;
          } else {
            viewer_.addSubFrameSet();
            viewer_.SetDimensions(Lexer.Attributes);
          }
          break;
        case FrameSy:
          if (skipped == 0) viewer_.AddFrame(Lexer.Attributes, fileName_);
          break;
        case FrameSetEndSy:
          --level;
          closeOne();
          if (level == 0) return;
          break;
        default:
          if (handleCommon(Lexer)) continue;
          break;
      }
      Lexer.NextToken();
    }
    closeOpenFrameSets();
  }

 public:
  // The end of input (or a fault in the markup) closes every frameset still open.
  void closeOpenFrameSets() {
    for (; level_ > 0; --level_) closeOne();
  }

 private:

  // One frameset ends: a skipped level just goes, a built one is finished.
  void closeOne() {
    if (skipped_ > 0) {
      --skipped_;
    } else {
      viewer_.FinishFrameSet();
    }
  }

  IFrameSetBuilder& viewer_;
  const std::string& fileName_;
  TFrameSetDocument result_;
  // Framesets open while reading; of those, the innermost `skipped_` were too deep to build.
  int level_ = 0;
  int skipped_ = 0;
};

}  // namespace

bool IsFramesetText(std::string Text, int CodePage) {
  THtmlLexer lexer;
  lexer.CountingPass = true;  // nothing is collected while looking
  lexer.setDocument(std::move(Text), CodePage);
  try {
    lexer.begin();
    lexer.NextToken();
    while (lexer.Sy != EofSy) {
      if (lexer.Sy == FrameSetSy) return true;
      if (isBodyContentTag(lexer)) return false;
      if (lexer.Sy == ScriptSy) readScriptContent(lexer);
      lexer.NextToken();
    }
  } catch (const EParseError&) {
    // An unterminated comment ends the search: no frameset came before it.
  }
  return false;
}

bool isFramesetFile(const std::string& FileName, int CodePage) {
  std::optional<std::string> text = core::readRegularFile(FileName, core::kMaxPageBytes);
  return text && IsFramesetText(std::move(*text), CodePage);
}

TFrameSetDocument ParseFramesetText(IFrameSetBuilder& Viewer, std::string Text, const std::string& FileName,
                                    int CodePage) {
  THtmlLexer lexer;
  lexer.setDocument(std::move(Text), CodePage);
  TFramesetReader reader(Viewer, FileName);
  try {
    reader.Read(lexer);
  } catch (const EParseError&) {
    // What was read before the fault stays; the frame viewer shows the frames it got.
    reader.closeOpenFrameSets();
  }
  return reader.Result();
}

}  // namespace lumora::html
