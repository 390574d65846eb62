#pragma once
// Block items: a box with margins, borders, padding and its own content cell. Subclasses: the body, list
// items, the block around a horizontal rule, the block around a table and the table-with-caption container.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "html/html_common.h"
#include "html/html_document.h"
#include "html/html_layout_indent.h"
#include "html/html_style_box.h"
#include "html/html_style_props.h"

namespace lumora::html {

class ThtmlTable;

class TBlock : public TSectionBase {
 public:
  // Creates the block from the element's property set; OwnerCell is the cell it will be added to (its margins
  // collapse with the previous item there). The block registers its ID in the name table.
  TBlock(TCellBasic* OwnerCell, TProperties& Props, const TAttributeList* Attributes, bool CollapseNow = true);
  const char* className() const override { return "TBlock"; }

  // Takes the bottom paragraph margin of its last block child (see MoveTrailingParagraphMargin).
  void takeTrailingParagraphMargin();
  // Removes a bottom paragraph margin of the last non-positioned child block (recursing into a last list
  // item) and reports whether one was removed.
  bool removeTrailingParagraphMargin();

  TCellBasic* OwnerCell;
  std::unique_ptr<TBlockCell> MyCell;
  TVMarginArray MargArrayO;  // the box values as the style gave them
  int TopMargin = 0, BottomMargin = 0;
  bool TopIsParagraph = false, BottomIsParagraph = false;
  double EmSize = 16, ExSize = 8;
  TColor BorderColor = 0;  // the text colour, default of the border colour
  int BorderStyle = 0;
  TSide FloatLR = TSide::None, ClearAttr = TSide::None;
  TPositionKind Positioning = TPositionKind::Static;
  bool Visible = true;
  bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
  bool HideOverflow = false, DisplayNone = false;
  std::string TagClass;  // tag + "." + class
  std::string HintTitle;
  std::string BgImageUrl;
  TBackgroundPosition BgPosH, BgPosV;
  std::string TextAlign;  // the element's text-align as given
  int Justify = 0;        // placement of the block itself: 0 normal, 2 centre, 3 right

  // --- Hit testing, selection and search (html_hit_test.cpp) ---
  // Point queries take the children topmost first (the paint list from its end); a block with display
  // none answers nothing.
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

  // --- Layout ---
  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
  void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) override;
  void RegisterPositions() override;
  // The content width for AvailableWidth, given how many of width and the horizontal margins are auto;
  // adjusts the margins (centring, auto margins) in MargArray.
  virtual int ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int AutoCount, int AvailableHeight);

  TMarginArray MargArray;      // the box values in pixels, as the last layout converted them
  int ClearAddon = 0;          // space above to get below floats
  int Indent = 0;              // X of the content relative to the block's X
  int NewWidth = 0;            // content width
  int TopP = 0, LeftP = 0;     // offsets of relative and absolute positioning
  TRect BorderBox, ContentBox;  // from the last layout, document coordinates
  std::vector<TSectionBase*> DrawList;  // the content items in paint order (by z-index)
  std::unique_ptr<IndentManager> MyIMgr;  // an absolutely positioned block's own float context

  // --- Painting ---
  int Paint(TPaintContext& Context) override;
  // How far relative positioning moves the box from where the flow put it.
  TPoint relativeShift() const { return Positioning == TPositionKind::Relative ? TPoint{LeftP, TopP} : TPoint{0, 0}; }
  // Draws the border between the border box and the padding box (canvas coordinates).
  virtual void PaintBorder(TPaintContext& Context, const TRect& BorderRect, const TRect& PaddingRect);
  std::shared_ptr<TBackgroundPicture> BgPicture;

 protected:
  void collapseMargins();
  void buildDrawList();
};

// The BODY: margins from the document's settings and the BODY attributes.
class TBodyBlock : public TBlock {
 public:
  TBodyBlock(TCellBasic* OwnerCell, TProperties& Props, const TAttributeList* Attributes);
  const char* className() const override { return "TBodyBlock"; }
  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
};

enum class TListKind { Ordered, Unordered, Definition, None };

// A list item with its marker.
class TBlockLI : public TBlock {
 public:
  enum class TMarker { None, Disc, Circle, Square, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman, Image };
  TBlockLI(TCellBasic* OwnerCell, TProperties& Props, const TAttributeList* Attributes, TListKind Kind,
           std::string_view ItemTag, int Level, int Number, bool Plain, char TypeChar);
  const char* className() const override { return "TBlockLI"; }
  // The marker text of an ordered item ("5.", "V.", "y."); empty for bullets.
  std::string markerText() const;

  TListKind ListKind;
  std::string ItemTag;
  int ListLevel, listNumb;
  bool Plain;
  char ListType;
  TMarker Marker = TMarker::None;
  std::string MarkerImageUrl;
  int FirstLineHt = 0;  // the first baseline of the content, from the last layout
  int Paint(TPaintContext& Context) override;

  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
};

// A horizontal rule.
class THorzLine : public TSectionBase {
 public:
  THorzLine(TSectionList* Document, const TAttributeList& Attributes, TProperties& Props);
  const char* className() const override { return "THorzLine"; }
  int VSize = 2;
  int Align = 2;          // 5 left, 6 right, 2 centre
  int WidthAttr = -1;     // pixels or percent; -1 when not given
  bool PercentWidth = false;
  TColor Color = kColorNone;
  bool NoShade = false;
  int XPosition = 0, HRWidth = 0;  // from the last layout
  int Paint(TPaintContext& Context) override;

  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
};

// The block around a horizontal rule.
class THRBlock : public TBlock {
 public:
  THRBlock(TCellBasic* OwnerCell, TProperties& Props, const TAttributeList* Attributes) : TBlock(OwnerCell, Props, Attributes) {}
  const char* className() const override { return "THRBlock"; }
  int Align = 2;
  int ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int AutoCount, int AvailableHeight) override;
};

// The block around a table: margins, border, float and placement of the table.
class TTableBlock : public TBlock {
 public:
  TTableBlock(TCellBasic* OwnerCell, TProperties& Props, const TAttributeList& Attributes, ThtmlTable* Table);
  const char* className() const override { return "TTableBlock"; }
  ThtmlTable* Table;  // owned by the content cell
  int WidthAttr = 0;
  bool AsPercent = false;
  TColor BkColor = kColorNone;
  bool BkGnd = false;
  int HSpace = 0, VSpace = 0;
  bool Table3D = false;
  bool TableIndent = false;  // inside a caption container
  int HorzShift = 0;         // how far floats pushed it right, for painting

  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
  void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) override;
  void RegisterPositions() override;
  int ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int AutoCount, int AvailableHeight) override;
  // The table's content width for the room AvailableWidth with the horizontal margins, paddings and borders
  // Outer (the specified width is set as a side effect when the table has a width).
  int tableContentWidth(ITextMetrics& Metrics, int AvailableWidth, int Outer);
  void PaintBorder(TPaintContext& Context, const TRect& BorderRect, const TRect& PaddingRect) override;
};

// A table block with its caption block.
class TTableAndCaptionBlock : public TBlock {
 public:
  TTableAndCaptionBlock(TCellBasic* OwnerCell, TProperties& Props, const TAttributeList& Attributes,
                        std::unique_ptr<TTableBlock> TableBlock, std::unique_ptr<TBlock> CaptionBlock,
                        bool CaptionBelow);
  const char* className() const override { return "TTableAndCaptionBlock"; }
  TTableBlock* TableBlock;
  TBlock* CaptionBlock;
  int TableID;  // which child is the table: 0 or 1

  void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) override;
  int ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int AutoCount, int AvailableHeight) override;
};

}  // namespace lumora::html
