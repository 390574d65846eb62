// Hit testing, selection and search: what lies under a point (links, hints, form controls, images, caret
// positions), where a character is drawn, source and document positions, the selected text and text search.
//
// Everything reads the places the last layout left in document coordinates (lines, image boxes, cell boxes
// from the column widths and row heights, block border boxes); painting draws exactly there, so the answers
// are those for what is on screen. Items are numbered in document order, so within a cell the items' start
// positions never decrease: position queries find their item by binary search instead of asking every one.

#include <algorithm>
#include <string>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_codepage.h"
#include "html/html_document.h"
#include "html/html_forms.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html/image_map.h"
#include "image/gif_image.h"

namespace lumora::html {

// What the selected text is handed to, piece by piece, in document order.
class TSectionList::TSelTextCollector {
 public:
  virtual ~TSelTextCollector() = default;
  virtual void AddText(std::u16string_view Text) = 0;
};

namespace {

// Counts what a copy may write: everything but the places of controls and objects.
class SelTextCount : public TSectionList::TSelTextCollector {
 public:
  void AddText(std::u16string_view Text) override {
    for (const char16_t c : Text)
      if (c != kFormControlCode && c != kObjectCode) ++Count;
  }
  int Count = 0;
};

// Writes into a caller's buffer, keeping one place for the terminating zero; the rest is dropped.
class SelTextBuf : public TSectionList::TSelTextCollector {
 public:
  SelTextBuf(char16_t* Buffer, int Size) : Buffer(Buffer), Size(Size) {}
  void AddText(std::u16string_view Text) override {
    for (const char16_t c : Text) {
      if (c == kFormControlCode || c == kObjectCode || c == kLineBreakCode) continue;
      if (Written >= Size - 1) return;
      Buffer[Written++] = c;
    }
  }
  char16_t* Buffer;
  int Size;
  int Written = 0;
};

// The document holds a collector only while one count or copy runs.
class TCollecting {
 public:
  TCollecting(TSectionList& Doc, TSectionList::TSelTextCollector& Collector)
      : doc_(Doc), saved_(Doc.SelTextCollector) {
    Doc.SelTextCollector = &Collector;
  }
  ~TCollecting() { doc_.SelTextCollector = saved_; }
  TCollecting(const TCollecting&) = delete;
  TCollecting& operator=(const TCollecting&) = delete;

 private:
  TSectionList& doc_;
  TSectionList::TSelTextCollector* saved_;
};

// Lower case for the scripts publications use (Latin, Greek, Cyrillic), as text-transform maps them.
char16_t lowerChar(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

bool isJustifiedSpace(char16_t c) { return c == u' ' || c == kNoBreakSpace; }

bool inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// An item is asked about a point only where it draws; the body draws everything in it, positioned blocks
// outside its own extent included.
bool drawnAt(const TSectionBase& Item, int Y) {
  return (Item.DrawTop <= Y && Y < Item.DrawBot) || &Item == Item.Document->BodyBlock;
}

// --- Lines ---

int lineHeight(const LineRec& L) { return L.SpaceBefore + L.LineHt + L.SpaceAfter; }

// The characters of a line that exist in the text (a line never outlives its text, but stay inside it).
int lineLength(const TSection& S, const LineRec& L) {
  return std::clamp(static_cast<int>(S.Buff.size()) - L.Start, 0, std::max(0, L.Ln));
}

// The width character I of line L is drawn with; Spaces counts the justified spaces walked so far.
int drawnCharWidth(const TSection& S, const LineRec& L, int I, int& Spaces) {
  int w = S.piecesWidth(I, I + 1);
  if (L.Spaces > 0 && I < L.Start + L.Ln - 1 && isJustifiedSpace(S.Buff[static_cast<size_t>(I)]))
    w += TSection::justifiedSpaceExtra(L, Spaces++);
  return w;
}

// How many characters from the line's start fit in Width pixels as drawn (a character fits when its right
// edge is not beyond Width), with their width and the justified spaces among them.
int fitCount(const TSection& S, const LineRec& L, int Width, int& Used, int& Spaces) {
  Used = Spaces = 0;
  const int n = lineLength(S, L);
  int c = 0;
  for (; c < n; ++c) {
    int spaces = Spaces;
    const int w = drawnCharWidth(S, L, L.Start + c, spaces);
    if (Used + w > Width) break;
    Used += w;
    Spaces = spaces;
  }
  return c;
}

// The first line whose bottom lies below Y (lines follow each other down the section).
std::vector<LineRec>::const_iterator lineReaching(const TSection& S, int Y) {
  return std::partition_point(S.Lines.begin(), S.Lines.end(),
                              [Y](const LineRec& l) { return l.Y + lineHeight(l) <= Y; });
}

// --- Images ---

// The picture of an image (its box inside the border) at the point, and the point inside it.
bool pictureAt(const TSection& S, const TImageObj& Image, int X, int Y, int& IX, int& IY) {
  const int border = S.imageBorder(Image);
  const TRect picture{Image.DrawX + border, Image.DrawY + border, Image.DrawX + Image.ImageWidth - border,
                      Image.DrawY + Image.ImageHeight - border};
  if (!inside(picture, X, Y)) return false;
  IX = X - picture.Left;
  IY = Y - picture.Top;
  return true;
}

const TMapItem* findMap(const TSectionList& Doc, const std::string& Name) {
  for (const auto& map : Doc.MapList)
    if (map && wideToUtf8(map->MapName()) == Name) return map.get();
  return nullptr;
}

// --- Links ---

// Hover goes on or off for every run of Run's link: its neighbours in the link list with the same link.
// An animated picture marked to play under the mouse (ACTIVE) starts when the mouse comes over it and
// stops on its first frame when the mouse leaves.
void setHoverAnimation(TSectionList& Doc, TImageObj* Image, bool On) {
  if (!Image || !Image->Swapped || !Image->Image.Gif || !Image->Image.Gif->Animated) return;
  const std::shared_ptr<image::TGIFImage>& gif = Image->Image.Gif;
  auto& playing = Doc.AnimatedImages;
  const auto it = std::find(playing.begin(), playing.end(), gif);
  if (On) {
    if (it == playing.end()) playing.push_back(gif);
    gif->SetAnimate(true);
  } else {
    if (it != playing.end()) playing.erase(it);
    gif->SetAnimate(false);
    gif->SetCurrentFrame(1);
  }
}

void setLinkHover(TSectionList& Doc, TFontObj* Run, bool On) {
  if (Run == nullptr) return;
  Run->Hover = On;
  if (!Run->UrlTarget) return;
  const auto& list = Doc.LinkList;
  const auto at = std::find(list.begin(), list.end(), Run);
  if (at == list.end()) return;
  const TUrlTarget* link = Run->UrlTarget.get();
  const auto sameLink = [link](const TFontObj* f) {
    return f->UrlTarget.get() == link || (link->ID != 0 && f->UrlTarget && f->UrlTarget->ID == link->ID);
  };
  for (auto it = at; it != list.end() && sameLink(*it); ++it) (*it)->Hover = On;
  for (auto it = at; it != list.begin() && sameLink(*std::prev(it)); --it) (*std::prev(it))->Hover = On;
}

// --- Cells ---

// The item whose characters may hold Position: the last one starting at or before it.
TSectionBase* itemAt(const TCellBasic& Cell, int Position) {
  const auto& items = Cell.Items;
  const auto after = std::partition_point(items.begin(), items.end(),
                                          [Position](const auto& item) { return item->StartCurs <= Position; });
  return after == items.begin() ? nullptr : std::prev(after)->get();
}

// Index of the first item a walk forward from Position needs to ask.
size_t firstItemFrom(const TCellBasic& Cell, int Position) {
  const auto& items = Cell.Items;
  const auto after = std::partition_point(items.begin(), items.end(),
                                          [Position](const auto& item) { return item->StartCurs <= Position; });
  return after == items.begin() ? 0 : static_cast<size_t>(after - items.begin()) - 1;
}

THitFlags cellLinkAtPoint(TCellBasic& Cell, ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url,
                          TFormControlObj*& FormControl, std::string& Title) {
  for (const auto& item : Cell.Items) {
    if (!drawnAt(*item, Y)) continue;
    if (const THitFlags flags = item->LinkAtPoint(Metrics, X, Y, Url, FormControl, Title)) return flags;
  }
  return 0;
}

bool cellObjectAtPoint(TCellBasic& Cell, int X, int Y, TIDObject*& Object, int& IX, int& IY) {
  for (const auto& item : Cell.Items)
    if (drawnAt(*item, Y) && item->ObjectAtPoint(X, Y, Object, IX, IY)) return true;
  return false;
}

int cellPositionAtPoint(TCellBasic& Cell, ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight,
                        bool& InText) {
  for (const auto& item : Cell.Items) {
    if (!drawnAt(*item, Y)) continue;
    const int position = item->PositionAtPoint(Metrics, X, Y, XR, YR, CaretHeight, InText);
    if (position >= 0) return position;
  }
  return -1;
}

void cellCollectSelection(TCellBasic& Cell) {
  const int from = Cell.Document->SelStart, to = Cell.Document->SelEnd;
  if (from >= to) return;
  for (size_t i = firstItemFrom(Cell, from); i < Cell.Items.size() && Cell.Items[i]->StartCurs < to; ++i)
    Cell.Items[i]->CollectSelection();
}

int cellSearchForward(TCellBasic& Cell, int From, std::u16string_view Text, bool MatchCase) {
  for (size_t i = firstItemFrom(Cell, From); i < Cell.Items.size(); ++i) {
    const int found = Cell.Items[i]->SearchForward(From, Text, MatchCase);
    if (found >= 0) return found;
  }
  return -1;
}

int cellSearchBackward(TCellBasic& Cell, int From, std::u16string_view Text, bool MatchCase) {
  // Items that start after From hold nothing before it.
  const auto& items = Cell.Items;
  const auto after = std::partition_point(items.begin(), items.end(),
                                          [From](const auto& item) { return item->StartCurs <= From; });
  for (auto it = after; it != items.begin();) {
    --it;
    const int found = (*it)->SearchBackward(From, Text, MatchCase);
    if (found >= 0) return found;
  }
  return -1;
}

int cellSourceToDocPos(TCellBasic& Cell, int SourcePosition, bool Previous) {
  if (Previous) {
    for (auto it = Cell.Items.rbegin(); it != Cell.Items.rend(); ++it) {
      const int position = (*it)->SourceToDocPos(SourcePosition, true);
      if (position >= 0) return position;
    }
    return -1;
  }
  for (const auto& item : Cell.Items) {
    const int position = item->SourceToDocPos(SourcePosition, false);
    if (position >= 0) return position;
  }
  return -1;
}

int cellDocToSourcePos(const TCellBasic& Cell, int Position) {
  TSectionBase* item = itemAt(Cell, Position);
  return item ? item->DocToSourcePos(Position) : -1;
}

bool cellPositionToPoint(const TCellBasic& Cell, ITextMetrics& Metrics, int Position, int& X, int& Y) {
  TSectionBase* item = itemAt(Cell, Position);
  return item && item->PositionToPoint(Metrics, Position, X, Y);
}

bool cellCharAtPosition(const TCellBasic& Cell, int Position, char16_t& Char, TIDObject*& Object) {
  TSectionBase* item = itemAt(Cell, Position);
  return item && item->CharAtPosition(Position, Char, Object);
}

// --- Tables ---

// The cells with content in the order their characters are numbered (rows top down, cells left to right).
std::vector<TCellObjCell*> contentCells(const ThtmlTable& Table) {
  std::vector<TCellObjCell*> cells;
  for (const auto& row : Table.Rows)
    for (const auto& cell : row->Cells)
      if (cell && !cell->isSpacer() && cell->Cell && !cell->Cell->Items.empty()) cells.push_back(cell->Cell.get());
  return cells;
}

// The cell whose characters may hold Position.
TCellObjCell* contentCellAt(const ThtmlTable& Table, int Position) {
  TCellObjCell* found = nullptr;
  for (TCellObjCell* cell : contentCells(Table)) {
    if (cell->StartCurs > Position) break;
    found = cell;
  }
  return found;
}

struct TCellAtPoint {
  TCellObj* Cell = nullptr;
  TRect Box;  // the cell's box as painted: its spacing left out
};

// The cell under a point: its column (from the widths before it, the spacing in front included) and rows.
TCellAtPoint cellAtPoint(const ThtmlTable& Table, int X, int Y) {
  if (X < Table.TableLeft || X > Table.TableLeft + Table.TableWidth || !drawnAt(Table, Y)) return {};
  const size_t columns = Table.Widths.size();
  std::vector<int> lefts(columns + 1, 0);
  for (size_t c = 0; c < columns; ++c) lefts[c + 1] = lefts[c] + Table.Widths[c];
  int rowTop = Table.ContentTop;
  for (const auto& row : Table.Rows) {
    if (rowTop > Y) break;  // no later row, nor a span from one, reaches up to Y
    for (size_t c = 0; c < row->Cells.size() && c < columns; ++c) {
      TCellObj* cell = row->Cells[c].get();
      if (!cell || cell->isSpacer()) continue;
      const size_t span = std::clamp<size_t>(static_cast<size_t>(cell->ColSpan), 1, columns - c);
      const int x = Table.TableLeft + lefts[c];
      const int w = lefts[c + span] - lefts[c];
      if (X >= x && X < x + w && Y >= rowTop && Y < rowTop + cell->SpannedHeight)
        return {cell, {x + Table.CellSpacing, rowTop + Table.CellSpacing, x + w, rowTop + cell->SpannedHeight}};
    }
    rowTop += row->Height;
  }
  return {};
}

// --- Document extent ---

int itemEnd(const TSectionBase& Item);

int cellEnd(const TCellBasic& Cell, int Default) { return Cell.Items.empty() ? Default : itemEnd(*Cell.Items.back()); }

// The position after an item's last character (blocks and tables end where their last content ends).
int itemEnd(const TSectionBase& Item) {
  if (const auto* block = dynamic_cast<const TBlock*>(&Item))
    return block->DisplayNone || !block->MyCell ? block->StartCurs : cellEnd(*block->MyCell, block->StartCurs);
  if (const auto* table = dynamic_cast<const ThtmlTable*>(&Item)) {
    const std::vector<TCellObjCell*> cells = contentCells(*table);
    return cells.empty() ? table->StartCurs : cellEnd(*cells.back(), table->StartCurs);
  }
  return Item.StartCurs + Item.Len;
}

// Children of a block in paint order, topmost last; the content order should the paint list be out of step.
std::vector<TSectionBase*> paintOrder(const TBlock& Block) {
  if (Block.DrawList.size() == Block.MyCell->Items.size()) return Block.DrawList;
  std::vector<TSectionBase*> items;
  for (const auto& item : Block.MyCell->Items) items.push_back(item.get());
  return items;
}

}  // namespace

// --- Name targets that only know a source position ---

int TChPosObj::TargetY() const {
  // The top of the line that holds the first character from the position on; 0 for a document that is not
  // laid out (or has no fonts to lay out with).
  if (!Document || !Document->Host || !Document->Host->Metrics) return 0;
  const int position = Document->SourceToDocPos(ChPos, false);
  int x = 0, y = 0;
  return position >= 0 && Document->PositionToPoint(*Document->Host->Metrics, position, x, y) ? y : 0;
}

// --- Sections ---

int TSection::justifiedSpaceExtra(const LineRec& Line, int K) {
  if (Line.Spaces <= 0 || K < 0 || K >= Line.Spaces || Line.Extra <= 0) return 0;
  return Line.Extra / Line.Spaces + (K < Line.Extra % Line.Spaces ? 1 : 0);
}

int TSection::drawnWidth(const LineRec& Line, int To) const {
  const int end = std::min(Line.Start + lineLength(*this, Line), To);
  int width = 0, spaces = 0;
  for (int i = Line.Start; i < end; ++i) width += drawnCharWidth(*this, Line, i, spaces);
  return width;
}

int TSection::imageBorder(const TImageObj& Image) const {
  const TFontObj* run = fontAt(Image.Pos);
  return run && run->hasLink() && !Image.NoBorder ? std::max(Image.BorderSize, 1) : Image.BorderSize;
}

THitFlags TSection::LinkAtPoint(ITextMetrics&, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                                std::string& Title) {
  // Images first: a picture may reach above or below the line that holds it, and floats lie beside lines.
  for (const auto& object : Images) {
    auto* image = dynamic_cast<TImageObj*>(object.get());
    int ix = 0, iy = 0;
    if (!image || !pictureAt(*this, *image, X, Y, ix, iy)) continue;
    Document->ActiveImage = image;
    THitFlags flags = 0;
    const std::string hint = !image->Title.empty() ? image->Title : wideToUtf8(image->Alt);
    if (!hint.empty()) {
      Title = hint;
      flags |= kHitTitle;
    }
    if (image->MyFormControl) {
      // An image button: the form sends where it was clicked.
      FormControl = image->MyFormControl;
      if (auto* button = dynamic_cast<TImageFormControlObj*>(image->MyFormControl)) {
        button->XTmp = ix;
        button->YTmp = iy;
      }
      return flags | kHitFormControl;
    }
    if (const TMapItem* map = image->UseMap ? findMap(*Document, image->MapName) : nullptr) {
      std::u16string areaTitle;
      TMapLink area;
      if (map->AreaAtPoint(ix, iy, areaTitle, area)) {
        Url.Clear();
        Url.Url = wideToUtf8(area.Url);
        Url.Target = wideToUtf8(area.Target);
        flags |= kHitLink;
        if (!areaTitle.empty()) {
          Title = wideToUtf8(areaTitle);
          flags |= kHitTitle;
        }
      }
      return flags;
    }
    if (TFontObj* run = fontAt(image->Pos); run && run->UrlTarget) {
      Url = *run->UrlTarget;
      if (image->IsMap) Url.Url += "?" + std::to_string(ix) + "," + std::to_string(iy);
      Document->ActiveLink = run;
      flags |= kHitLink;
    }
    return flags;
  }
  // Text: the character under the point on the line that holds Y.
  const auto line = lineReaching(*this, Y);
  if (line == Lines.end() || Y < line->Y) return 0;
  const int left = DrawX + line->LineIndent;
  if (X < left) return 0;
  int used = 0, spaces = 0;
  const int c = fitCount(*this, *line, X - left, used, spaces);
  if (c >= lineLength(*this, *line)) return 0;
  const int index = line->Start + c;
  if (Buff[static_cast<size_t>(index)] == kObjectCode) return 0;
  TFontObj* run = fontAt(index);
  if (!run) return 0;
  THitFlags flags = 0;
  if (run->UrlTarget) {
    Url = *run->UrlTarget;
    Document->ActiveLink = run;
    flags |= kHitLink;
  }
  if (!run->Title.empty()) {
    Title = run->Title;
    flags |= kHitTitle;
  }
  return flags;
}

bool TSection::ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY) {
  for (const auto& object : Images) {
    auto* image = dynamic_cast<TImageObj*>(object.get());
    if (image && pictureAt(*this, *image, X, Y, IX, IY)) {
      Object = image;
      return true;
    }
  }
  return false;
}

int TSection::PositionAtPoint(ITextMetrics&, int X, int Y, int& XR, int& YR, int& CaretHeight, bool& InText) {
  const auto line = lineReaching(*this, Y);
  if (line == Lines.end()) return -1;
  const int left = DrawX + line->LineIndent;
  if (X > left + line->DrawWidth) return -1;
  YR = line->Y + line->SpaceBefore;
  CaretHeight = line->LineHt;
  InText = true;
  if (X < left) {
    InText = false;
    XR = left;
    return StartCurs + line->Start;
  }
  int used = 0, spaces = 0;
  int c = fitCount(*this, *line, X - left, used, spaces);
  XR = left + used;
  const int n = lineLength(*this, *line);
  if (c < n) {
    // Past the middle of the next character the caret goes after it.
    const int w = drawnCharWidth(*this, *line, line->Start + c, spaces);
    if (XR + w / 2 < X) {
      XR += w;
      ++c;
    }
  }
  if (c >= n) InText = false;
  return StartCurs + line->Start + c;
}

bool TSection::PositionToPoint(ITextMetrics&, int Position, int& X, int& Y) {
  if (Position < StartCurs || Position >= StartCurs + Len) return false;
  const int i = Position - StartCurs;
  const auto line = std::partition_point(Lines.begin(), Lines.end(),
                                         [i](const LineRec& l) { return l.Start + std::max(0, l.Ln) <= i; });
  if (line == Lines.end() || i < line->Start) return false;
  X = DrawX + line->LineIndent + drawnWidth(*line, i);
  Y = line->Y;
  return true;
}

bool TSection::CharAtPosition(int Position, char16_t& Char, TIDObject*& Object) {
  const int i = Position - StartCurs;
  if (Position < StartCurs || i >= Len || i >= static_cast<int>(Buff.size())) return false;
  Char = Buff[static_cast<size_t>(i)];
  Object = this;
  return true;
}

int TSection::DocToSourcePos(int Position) {
  if (Position < StartCurs || Position >= StartCurs + Len) return -1;
  return sourcePosOf(Position - StartCurs);
}

int TSection::SourceToDocPos(int SourcePosition, bool Previous) {
  const int runs = static_cast<int>(SIndexList.size());
  if (runs == 0 || Len <= 0) return -1;
  const auto runLength = [&](int k) {
    return (k + 1 < runs ? SIndexList[static_cast<size_t>(k + 1)].Pos : Len) - SIndexList[static_cast<size_t>(k)].Pos;
  };
  for (int k = 0; k < runs; ++k) {
    const IndexObj& run = SIndexList[static_cast<size_t>(k)];
    if (SourcePosition >= run.Index && SourcePosition - run.Index < runLength(k))
      return StartCurs + run.Pos + (SourcePosition - run.Index);
  }
  // Not a character of this section: before the first run, between two, or after the last.
  for (int k = 0; k < runs; ++k) {
    const IndexObj& run = SIndexList[static_cast<size_t>(k)];
    if (SourcePosition >= run.Index) continue;
    if (k == 0) return Previous ? -1 : StartCurs;
    return Previous ? StartCurs + run.Pos - 1 : StartCurs + run.Pos;
  }
  return Previous ? StartCurs + Len - 1 : -1;
}

int TSection::SearchForward(int From, std::u16string_view Text, bool MatchCase) {
  const int end = StartCurs + std::min(Len, static_cast<int>(Buff.size()));
  if (Text.empty() || Buff.empty() || From >= end) return -1;
  const std::u16string_view text(Buff.data(), static_cast<size_t>(end - StartCurs));
  const auto first = text.begin() + (std::max(From, StartCurs) - StartCurs);
  const auto found = MatchCase ? std::search(first, text.end(), Text.begin(), Text.end())
                               : std::search(first, text.end(), Text.begin(), Text.end(),
                                             [](char16_t a, char16_t b) { return lowerChar(a) == b; });
  return found == text.end() ? -1 : StartCurs + static_cast<int>(found - text.begin());
}

int TSection::SearchBackward(int From, std::u16string_view Text, bool MatchCase) {
  const int length = std::min(Len, static_cast<int>(Buff.size()));
  if (Text.empty() || length <= 0 || StartCurs > From || static_cast<size_t>(length) < Text.size()) return -1;
  // The match must end at From at the latest.
  const int limit = static_cast<int>(std::min<long long>(length, static_cast<long long>(From) - StartCurs));
  const std::u16string_view text(Buff.data(), static_cast<size_t>(limit));
  const auto found = MatchCase ? std::find_end(text.begin(), text.end(), Text.begin(), Text.end())
                               : std::find_end(text.begin(), text.end(), Text.begin(), Text.end(),
                                               [](char16_t a, char16_t b) { return lowerChar(a) == b; });
  return found == text.end() ? -1 : StartCurs + static_cast<int>(found - text.begin());
}

void TSection::CollectSelection() {
  TSectionList::TSelTextCollector* collector = Document->SelTextCollector;
  const int from = Document->SelStart, to = Document->SelEnd;
  const int length = std::min(Len, static_cast<int>(Buff.size()));
  const int end = StartCurs + length;
  if (!collector || from >= to || to <= StartCurs || from >= end) return;
  for (const LineRec& line : Lines) {
    const int lineStart = StartCurs + line.Start, lineEnd = lineStart + lineLength(*this, line);
    const int a = std::max(from, lineStart);
    int b = std::min(to, lineEnd);
    // The space that ends every section is not text the reader selected.
    if (lineEnd == end && to >= end) b = std::min(b, end - 1);
    if (a < b)
      collector->AddText(
          std::u16string_view(Buff).substr(static_cast<size_t>(a - StartCurs), static_cast<size_t>(b - a)));
  }
  if (to > end) collector->AddText(u"\r\n");
}

// --- Blocks ---

void TBlock::CollectSelection() {
  if (!DisplayNone) cellCollectSelection(*MyCell);
}

THitFlags TBlock::LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                              std::string& Title) {
  if (DisplayNone) return 0;
  THitFlags flags = 0;
  if (!HintTitle.empty()) {
    // The body's hint holds everywhere; another block's inside its border box, where it is drawn.
    TRect box = BorderBox;
    if (Positioning == TPositionKind::Relative)
      box = {box.Left + LeftP, box.Top + TopP, box.Right + LeftP, box.Bottom + TopP};
    if (dynamic_cast<const TBodyBlock*>(this) || inside(box, X, Y)) {
      Title = HintTitle;
      flags = kHitTitle;
    }
  }
  return flags | cellLinkAtPoint(*MyCell, Metrics, X, Y, Url, FormControl, Title);
}

bool TBlock::ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY) {
  if (DisplayNone) return false;
  const std::vector<TSectionBase*> order = paintOrder(*this);
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if (drawnAt(**it, Y) && (*it)->ObjectAtPoint(X, Y, Object, IX, IY)) return true;
  return false;
}

int TBlock::PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight, bool& InText) {
  if (DisplayNone) return -1;
  const std::vector<TSectionBase*> order = paintOrder(*this);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (!drawnAt(**it, Y)) continue;
    const int position = (*it)->PositionAtPoint(Metrics, X, Y, XR, YR, CaretHeight, InText);
    if (position >= 0) return position;
  }
  return -1;
}

int TBlock::SearchForward(int From, std::u16string_view Text, bool MatchCase) {
  return DisplayNone ? -1 : cellSearchForward(*MyCell, From, Text, MatchCase);
}

int TBlock::SearchBackward(int From, std::u16string_view Text, bool MatchCase) {
  return DisplayNone ? -1 : cellSearchBackward(*MyCell, From, Text, MatchCase);
}

int TBlock::DocToSourcePos(int Position) { return DisplayNone ? -1 : cellDocToSourcePos(*MyCell, Position); }

int TBlock::SourceToDocPos(int SourcePosition, bool Previous) {
  if (DisplayNone) return -1;
  if (const auto* pair = dynamic_cast<const TTableAndCaptionBlock*>(this)) {
    // The caption comes first in the source even where it is shown below the table.
    TBlock* order[] = {pair->CaptionBlock, pair->TableBlock};
    if (Previous) std::swap(order[0], order[1]);
    for (TBlock* block : order) {
      const int position = block ? block->SourceToDocPos(SourcePosition, Previous) : -1;
      if (position >= 0) return position;
    }
    return -1;
  }
  return cellSourceToDocPos(*MyCell, SourcePosition, Previous);
}

bool TBlock::PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y) {
  return !DisplayNone && cellPositionToPoint(*MyCell, Metrics, Position, X, Y);
}

bool TBlock::CharAtPosition(int Position, char16_t& Char, TIDObject*& Object) {
  return !DisplayNone && cellCharAtPosition(*MyCell, Position, Char, Object);
}

// --- Tables ---

void ThtmlTable::CollectSelection() {
  const int to = Document->SelEnd;
  for (TCellObjCell* cell : contentCells(*this)) {
    if (cell->StartCurs >= to) break;
    cellCollectSelection(*cell);
  }
}

THitFlags ThtmlTable::LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                                  std::string& Title) {
  const TCellAtPoint hit = cellAtPoint(*this, X, Y);
  if (!hit.Cell) return 0;
  TCellObjCell& content = *hit.Cell->Cell;
  THitFlags flags = cellLinkAtPoint(content, Metrics, X, Y, Url, FormControl, Title);
  if (inside(hit.Box, X, Y)) {
    // The cell's own TITLE and HREF hold where its content has none.
    if (!(flags & kHitTitle) && !content.Title.empty()) {
      Title = content.Title;
      flags |= kHitTitle;
    }
    if (!(flags & kHitLink) && !content.Url.empty()) {
      Url.Clear();
      Url.Url = content.Url;
      Url.Target = content.Target;
      flags |= kHitLink;
    }
  }
  return flags;
}

bool ThtmlTable::ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY) {
  const TCellAtPoint hit = cellAtPoint(*this, X, Y);
  return hit.Cell && cellObjectAtPoint(*hit.Cell->Cell, X, Y, Object, IX, IY);
}

int ThtmlTable::PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight,
                                bool& InText) {
  const TCellAtPoint hit = cellAtPoint(*this, X, Y);
  return hit.Cell ? cellPositionAtPoint(*hit.Cell->Cell, Metrics, X, Y, XR, YR, CaretHeight, InText) : -1;
}

int ThtmlTable::SearchForward(int From, std::u16string_view Text, bool MatchCase) {
  for (TCellObjCell* cell : contentCells(*this)) {
    const int found = cellSearchForward(*cell, From, Text, MatchCase);
    if (found >= 0) return found;
  }
  return -1;
}

int ThtmlTable::SearchBackward(int From, std::u16string_view Text, bool MatchCase) {
  const std::vector<TCellObjCell*> cells = contentCells(*this);
  for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
    const int found = cellSearchBackward(**it, From, Text, MatchCase);
    if (found >= 0) return found;
  }
  return -1;
}

int ThtmlTable::DocToSourcePos(int Position) {
  const TCellObjCell* cell = contentCellAt(*this, Position);
  return cell ? cellDocToSourcePos(*cell, Position) : -1;
}

int ThtmlTable::SourceToDocPos(int SourcePosition, bool Previous) {
  const std::vector<TCellObjCell*> cells = contentCells(*this);
  if (Previous) {
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
      const int position = cellSourceToDocPos(**it, SourcePosition, true);
      if (position >= 0) return position;
    }
    return -1;
  }
  for (TCellObjCell* cell : cells) {
    const int position = cellSourceToDocPos(*cell, SourcePosition, false);
    if (position >= 0) return position;
  }
  return -1;
}

bool ThtmlTable::PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y) {
  const TCellObjCell* cell = contentCellAt(*this, Position);
  return cell && cellPositionToPoint(*cell, Metrics, Position, X, Y);
}

bool ThtmlTable::CharAtPosition(int Position, char16_t& Char, TIDObject*& Object) {
  const TCellObjCell* cell = contentCellAt(*this, Position);
  return cell && cellCharAtPosition(*cell, Position, Char, Object);
}

// --- The document ---

THitFlags TSectionList::LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url,
                                    TFormControlObj*& FormControl, std::string& Title) {
  Url.Clear();
  FormControl = nullptr;
  Title.clear();
  TFontObj* const oldLink = ActiveLink;
  TImageObj* const oldImage = ActiveImage;
  ActiveLink = nullptr;
  ActiveImage = nullptr;
  const THitFlags flags = cellLinkAtPoint(*this, Metrics, X, Y, Url, FormControl, Title);
  bool changed = false;
  if (OverLinksActive && ActiveLink != oldLink) {
    // Off first: moving between two runs of one link leaves every run of it on.
    setLinkHover(*this, oldLink, false);
    setLinkHover(*this, ActiveLink, true);
    changed = true;
  }
  if (ActiveImage != oldImage) {
    ActiveImageState = !ActiveImage ? THoverState::Off : LeftButtonDown ? THoverState::OverDown : THoverState::OverUp;
    setHoverAnimation(*this, oldImage, false);
    setHoverAnimation(*this, ActiveImage, true);
    changed = true;
  }
  if (changed && OnLinkStatesChanged) OnLinkStatesChanged();
  return flags;
}

void TSectionList::SetLinkPressed(bool Pressed) {
  if (!ActiveImage) return;
  ActiveImageState = Pressed ? THoverState::OverDown : THoverState::OverUp;
  if (OnLinkStatesChanged) OnLinkStatesChanged();
}

void TSectionList::ClearLinkStates() {
  if (!ActiveLink && !ActiveImage) return;
  setLinkHover(*this, ActiveLink, false);
  setHoverAnimation(*this, ActiveImage, false);
  ActiveImageState = THoverState::Off;
  ActiveLink = nullptr;
  ActiveImage = nullptr;
  if (OnLinkStatesChanged) OnLinkStatesChanged();
}

bool TSectionList::ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY) {
  Object = nullptr;
  return cellObjectAtPoint(*this, X, Y, Object, IX, IY);
}

int TSectionList::PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight,
                                  bool& InText) {
  InText = false;
  return cellPositionAtPoint(*this, Metrics, X, Y, XR, YR, CaretHeight, InText);
}

bool TSectionList::PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y) {
  const int length = documentLength();
  if (Position < 0 || length <= 0) return false;
  const bool pastEnd = Position >= length;
  if (!cellPositionToPoint(*this, Metrics, pastEnd ? length - 1 : Position, X, Y)) return false;
  if (pastEnd) X += 15;
  return true;
}

bool TSectionList::CharAtPosition(int Position, char16_t& Char, TSection*& Section) {
  TIDObject* object = nullptr;
  Section = nullptr;
  if (!cellCharAtPosition(*this, Position, Char, object)) return false;
  Section = dynamic_cast<TSection*>(object);
  return true;
}

int TSectionList::SourceToDocPos(int SourcePosition, bool Previous) {
  return cellSourceToDocPos(*this, SourcePosition, Previous);
}

int TSectionList::DocToSourcePos(int Position) { return cellDocToSourcePos(*this, Position); }

int TSectionList::SelectionLength() {
  if (SelStart >= SelEnd) return 0;
  SelTextCount count;
  const TCollecting collecting(*this, count);
  cellCollectSelection(*this);
  return count.Count;
}

int TSectionList::CopySelectionToBuffer(char16_t* Buffer, int Size) {
  if (Buffer == nullptr || Size <= 0) return 0;
  Buffer[0] = 0;
  if (SelStart >= SelEnd) return 1;
  SelTextBuf buffer(Buffer, Size);
  {
    const TCollecting collecting(*this, buffer);
    cellCollectSelection(*this);
  }
  Buffer[buffer.Written] = 0;
  return buffer.Written + 1;
}

int TSectionList::SearchForward(int From, std::u16string_view Text, bool MatchCase) {
  if (Text.empty()) return -1;
  // Sections compare their text, lower-cased, with the lower-cased words.
  std::u16string text(Text);
  if (!MatchCase) std::transform(text.begin(), text.end(), text.begin(), lowerChar);
  return cellSearchForward(*this, From, text, MatchCase);
}

int TSectionList::SearchBackward(int From, std::u16string_view Text, bool MatchCase) {
  if (Text.empty()) return -1;
  std::u16string text(Text);
  if (!MatchCase) std::transform(text.begin(), text.end(), text.begin(), lowerChar);
  return cellSearchBackward(*this, From, text, MatchCase);
}

int TSectionList::documentLength() const { return cellEnd(*this, 0); }

}  // namespace lumora::html
