#pragma once
// Text sections: a run of inline content (characters, font runs, inline images and panels, form controls,
// line breaks and break marks) as the builder collects it, and the objects that sit in the text.
//
// Control codes in the text: 2 the place of a form control, 4 the place of an image or panel, 8 a line break.
// Break marks, one per character: 'y' a break may follow, 'n' none may, 's' a soft hyphen followed, 'a' a
// WBR followed.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "html/html_common.h"
#include "html/html_document.h"
#include "html/html_style_props.h"

namespace lumora::html {

inline constexpr char16_t kFormControlCode = 2;
inline constexpr char16_t kObjectCode = 4;
inline constexpr char16_t kLineBreakCode = 8;
inline constexpr char16_t kNoBreakSpace = 160;
inline constexpr char16_t kSoftHyphen = 0xAD;
// The place of a form control or of an image or panel in a section's text.
inline constexpr bool isPlaceholderCode(char16_t c) { return c == kFormControlCode || c == kObjectCode; }

class TSection;
class IndentManager;

// One laid-out line of a section.
struct LineRec {
  int Start = 0;              // index of its first character in the section's text
  int Ln = 0;                 // characters on the line
  int Y = 0;                  // top of the line, its space above included (document coordinates)
  int LineHt = 0;             // the tallest font run on it: cell height + external leading
  int SpaceBefore = 0, SpaceAfter = 0;
  int Descent = 0;            // the largest descent of its font runs
  int LineImgHt = 0;          // the whole line: its spaces included, and at least the floats beside it
  int LineIndent = 0;         // X of the text relative to the section's X
  int DrawWidth = 0;          // the room between the edges
  int Extra = 0, Spaces = 0;  // justification: pixels spread over that many spaces
  bool Shy = false;           // the line ends at a soft hyphen, drawn as "-"
  bool FirstDraw = true;      // not painted since the last layout
};

// One run of the source map: from text index Pos on, characters come from consecutive source positions.
struct IndexObj {
  int Pos = 0;
  int Index = 0;
};

// A font run of a section.
class TFontObj {
 public:
  TFontObj(TSection* Section, int Pos, TProperties& Props);
  // Takes the font of Props again (the run had no characters yet).
  void replaceFont(TProperties& Props);

  TSection* Section;
  int Pos;                 // index of its first character in the section's text
  TMyFont TheFont;
  double SizePoints = 12;  // the font size as the style gave it
  std::string Title;
  // The link, shared by all runs of one link (so its range, recorded at the end tag, is seen by all); null
  // for runs outside links.
  std::shared_ptr<TUrlTarget> UrlTarget;
  bool hasLink() const { return UrlTarget != nullptr; }
  // The four link fonts, when the run's set has them (runs of links); most runs have none, so they are kept
  // apart from the run.
  std::unique_ptr<TFontInfoArray> FIArray;
  bool Visited = false, Hover = false, Focused = false;
  // Superscript runs are drawn raised and subscript runs lowered; others sit on the baseline.
  TVerticalAlign VAlign = TVerticalAlign::Baseline;
  // Cached metrics.
  int FontHeight = 0, tmHeight = 0, tmMaxCharWidth = 0, Descent = 0, Overhang = 0;
  // The realised font, for measuring and drawing (kNoFont until the first layout after a font change).
  TFontHandle Handle = kNoFont;
  // Realises the font when needed and refreshes the cached metrics from it.
  TFontHandle realize(ITextMetrics& Metrics);
};
using TFontList = std::vector<std::unique_ptr<TFontObj>>;

// An object placed in a line or floated beside the text.
class TFloatingObj : public TIDObject {
 public:
  explicit TFloatingObj(TSectionList* Document) : Document(Document) {}
  virtual const char* className() const = 0;
  int TargetY() const override { return DrawYY; }
  // ALIGN of an image or panel: TOP, MIDDLE/ABSMIDDLE, BOTTOM, or LEFT/RIGHT for a float; other words leave
  // the alignment as it is.
  void setAlignAttribute(std::string_view Value);

  TSectionList* Document;
  int Pos = 0;            // index of its placeholder in the section's text
  int SourcePos = 0;
  int VertAlign = 4;      // 1 top, 2 middle, 3 baseline, 4 bottom
  TSide Floating = TSide::None;
  int HSpaceL = 0, HSpaceR = 0, VSpaceT = 0, VSpaceB = 0;
  int SpecWidth = -1, SpecHeight = -1;  // pixels or percent; -1 when not given
  bool PercentWidth = false, PercentHeight = false;
  std::string Title;      // hint
  int DrawYY = 0;
  // Layout: the size the object takes (without its spaces); a float's X (Indent); where the picture's box
  // was put (DrawX, DrawY: its top-left corner, spaces excluded).
  int ImageWidth = 0, ImageHeight = 0;
  int Indent = 0;
  int DrawX = 0, DrawY = 0;
  // Sizes the object for the room a line offers (percentages refer to it). InLink: it sits in a link.
  virtual void sizeFor(ITextMetrics& Metrics, int AvailableWidth, int AvailableHeight, bool InLink);
};

// An inline image.
class TImageObj : public TFloatingObj {
 public:
  TImageObj(TSectionList* Document, int Pos, const TAttributeList& Attributes);
  const char* className() const override { return "TImageObj"; }
  // Style of the element: alignment, float, hint, spaces, size and border.
  void processProperties(const TProperties& Props);
  // Asks the host for the picture (once, when images are shown): a source another element already waits
  // for, or one the host answers later, leaves the image Missing until TSectionList::imageArrived.
  void loadImage();
  // The picture the host delivered.
  void pictureArrived(const TImageAnswer& Answer);
  void sizeFor(ITextMetrics& Metrics, int AvailableWidth, int AvailableHeight, bool InLink) override;
  // Whether the box shows the placeholder (images off, still missing, or no picture).
  bool isPlaceholder() const { return !Document->ShowImages || !Image; }

  std::string Source;
  std::u16string Alt;
  int BorderSize = 0;
  bool NoBorder = false;       // BORDER=0 or a style border: no link border
  bool Transparent = false, IsMap = false, UseMap = false, Swapped = false;
  std::string MapName;
  TFormControlObj* MyFormControl = nullptr;  // the image button it belongs to
  // The picture, once the host supplied it; Missing while the host still owes it. Requested and neither
  // an Image nor Missing: the picture could not be had.
  image::TImage Image;
  std::shared_ptr<image::TMask> Mask;
  int Transparency = image::kOpaque;
  bool Requested = false, Missing = false;
};

// A panel the application supplies for PANEL and OBJECT elements.
class TPanelObj : public TFloatingObj {
 public:
  TPanelObj(TSectionList* Document, int Pos, const TAttributeList& Attributes, bool ObjectTag);
  const char* className() const override { return "TPanelObj"; }
  std::string Name;
  bool ObjectTag;
};

// The part of a list in text order (items with a Pos, held by pointer) whose Pos lies in [From, To), found by
// search.
template <class List>
auto itemsAt(const List& Items, int From, int To) {
  const auto before = [](int Index) { return [Index](const auto& item) { return item->Pos < Index; }; };
  const auto from = std::partition_point(Items.begin(), Items.end(), before(From));
  return std::span(from, std::partition_point(from, Items.end(), before(To)));
}

// The form controls sitting in one section's text, in order of their character index (not owned).
class TFormControlList {
 public:
  std::vector<TFormControlObj*> Items;
  // Lookups search: a section can hold tens of thousands of controls.
  TFormControlObj* FindAt(int Index) const;
  // The controls at character indexes [From, To).
  std::span<TFormControlObj* const> in(int From, int To) const;
  int DistanceToNext(int Index) const;
  void ShiftDown(int Index);
};

// A run of inline content.
class TSection : public TSectionBase {
 public:
  // Starts a section in Cell with the font of Props; AnURL is the open link (or null). FirstInBlock gives
  // the section the text indent of Props.
  TSection(TCellBasic* Cell, const TAttributeList* Attributes, TProperties& Props, std::shared_ptr<TUrlTarget> AnURL,
           bool FirstInBlock);
  ~TSection() override;
  const char* className() const override { return "TSection"; }

  // Props is the top property set (text-transform, font-variant); Small, when given, is the set small
  // capitals switch to.
  void AppendChar(char16_t Ch, int SourcePosition, TProperties& Props);
  virtual void AppendToken(const TokenObj& Token, TProperties& Props, TProperties* Small = nullptr);
  virtual void CloseSection(int SourcePosition);

  // Start a new font run (or re-font the last one while it has no characters).
  void StartFontRun(TProperties& Props);
  // A run that begins (AnURL set) or ends (AnURL null) a link.
  void StartLinkRun(TProperties& Props, std::shared_ptr<TUrlTarget> AnURL);
  TImageObj* InsertImage(const TAttributeList& Attributes, TProperties& Props, int SourcePosition);
  TPanelObj* InsertPanel(std::unique_ptr<TPanelObj> Panel, TProperties& Props, int SourcePosition);
  // Places a control created by the form code: a placeholder (code 2) unless it is hidden.
  void InsertFormControl(TFormControlObj* Control, int SourcePosition);
  // A break opportunity after the last character (WBR).
  void markWordBreak();
  // The section holds something a reader sees (characters, objects or controls).
  bool hasContent() const { return !Buff.empty(); }
  // Nothing but spaces so far (they go when the section is closed).
  bool isBlank() const { return Buff.find_first_not_of(u' ') == std::u16string::npos; }
  bool isPreformatted() const { return Preformatted; }
  // The source position of text index I, through the source map.
  int sourcePosOf(int I) const;

  TCellBasic* Cell;
  std::u16string Buff;
  std::string Brk;
  std::vector<int> XP;             // source positions while building
  std::vector<IndexObj> SIndexList;  // compressed source map after CloseSection
  TFontList Fonts;
  std::vector<std::unique_ptr<TFloatingObj>> Images;
  TFormControlList FormControls;
  int Justify = 1;         // 1 left, 2 center, 3 right, 4 justify
  int ClearAttr = 0;       // 0 none, 1 left, 2 right, 3 both
  int LineHeight = -1;
  int TextIndent = 0;
  bool TextIndentPercent = false;
  bool BreakWord = false;
  bool AnchorName = false;
  bool NoBreak = false;    // text appended now is marked unbreakable
  bool Closed = false;
  int DrawX = 0;           // the X the last layout gave the section (lines are placed from it)
  int SectionNumber = 0;
  std::vector<LineRec> Lines;  // as the last layout made them

  // --- Hit testing, selection and search (html_hit_test.cpp) ---
  void CollectSelection() override;
  THitFlags LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                        std::string& Title) override;
  bool ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY) override;
  int PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight, bool& InText) override;
  int SearchForward(int From, std::u16string_view Text, bool MatchCase) override;
  int SearchBackward(int From, std::u16string_view Text, bool MatchCase) override;
  int DocToSourcePos(int Position) override;
  int SourceToDocPos(int SourcePosition, bool Previous) override;
  bool PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y) override;
  bool CharAtPosition(int Position, char16_t& Char, TIDObject*& Object) override;
  // Pixels justification gives the K-th space (from 0) of a justified line: Extra / Spaces each, one more
  // for the first Extra % Spaces of them. Spaces are codes 32 and 160 before the line's last character.
  static int justifiedSpaceExtra(const LineRec& Line, int K);
  // Width of the line's characters from its start up to text index To, as drawn (justification included).
  int drawnWidth(const LineRec& Line, int To) const;
  // The border drawn around an image of this section (at least 1 inside a link, unless turned off).
  int imageBorder(const TImageObj& Image) const;

  // --- Layout ---
  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
  void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) override;
  // How many characters from Start fit on the line at Y (floats met at its start are placed).
  int FitCharacters(ITextMetrics& Metrics, IndentManager& IMgr, int Y, int Start, bool FirstLine);
  // The font run that covers character I.
  TFontObj* fontAt(int I) const;
  // The object whose placeholder is character I, or null; the objects at character indexes [From, To).
  // Images are in text order, so both search.
  TFloatingObj* objectAt(int I) const;
  std::span<const std::unique_ptr<TFloatingObj>> objectsIn(int From, int To) const;
  // Width of characters [From, To) as a line shows them: text, inline objects with their spaces and
  // controls with their margins (floats take no room in the line).
  int piecesWidth(int From, int To) const;
  // The width of the hyphen drawn after character I at a soft hyphen.
  int hyphenWidthAt(int I) const;

  // --- Painting ---
  int Paint(TPaintContext& Context) override;
  // The background and border boxes of the inline elements with a border that meet Line.
  void paintInlineBoxes(TPaintContext& Context, const LineRec& Line, int Baseline);

 protected:
  bool Preformatted = false;
  // Removes the characters at the indexes in Gone, shifting runs, objects and controls.
  void removeChars(std::vector<size_t> Gone);
  void finish();
  TFontObj* lastFont() { return Fonts.empty() ? nullptr : Fonts.back().get(); }

  // Advances of every character (letter spacing included, 0 for the control codes), measured once while
  // the fonts stay as they are, and the hyphen width of each run.
  void measureAdvances(ITextMetrics& Metrics);
  int layOutLines(ITextMetrics& Metrics, int X, int Width, IndentManager& IMgr, int Y, int& MaxWidth);
  // What every layout ends with once the lines stand: the extents, the position count, the first line's
  // baseline and the progress report.
  int finishLayOut(IndentManager& IMgr, int Y, int& CharPosition, int MaxWidth, int& ScrollWidth);
  // What measuring keeps between layouts; made at the first measurement, so a document that is only read
  // (the text tools) does not carry it.
  struct TMeasures {
    // 16 bits a character: a page's text is its largest part, and no advance comes near the limit (sizes and
    // spacings are clamped far below it; an advance beyond it is clamped too).
    std::vector<int16_t> Adv;
    std::vector<int> HyphenWidths;  // per font run
    bool WidthsKnown = false;
    int MinWidth = 0, MaxWidth = 0;
    // The last answer of FitCharacters, and the floats its last call placed at the line's start.
    struct TFitCache {
      int Start = -1, Y = 0, Left = 0, Right = 0, Count = 0;
    } Fit;
    std::vector<TFloatingObj*> PlacedFloats;
    int IndentPx = 0;  // the first line's indent in pixels for the width of the last layout
    // The last layout, when its lines can be reused: a table lays its cells out once to learn the row
    // heights and again where they end up, and a section in the same room breaks the same lines.
    struct TLastLayout {
      int Cycle = -1;  // the document's layout pass; -1 when the lines cannot be reused
      int X = 0, Width = 0, Left = 0, Right = 0, Y = 0, MaxWidth = 0;
    } Last;
  };
  TMeasures& measures() {
    if (!measures_) measures_ = std::make_unique<TMeasures>();
    return *measures_;
  }
  std::unique_ptr<TMeasures> measures_;

 private:
  void appendPlain(std::u16string_view Text, const std::vector<int>& positions);
  struct TLineState;
  void completeLine(ITextMetrics& Metrics, IndentManager& IMgr, int X, int Start, int Count, TLineState& State);
};

// One line of preformatted text (PRE and plain-text documents).
class TPreFormated : public TSection {
 public:
  TPreFormated(TCellBasic* Cell, TProperties& Props, std::shared_ptr<TUrlTarget> AnURL);
  const char* className() const override { return "TPreFormated"; }
  void CloseSection(int SourcePosition) override;
  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
  void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) override;
};

}  // namespace lumora::html
