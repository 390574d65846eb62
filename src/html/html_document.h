#pragma once
// The document model: the item base classes, cells (ordered lists of items), the name table, link targets
// and the document object TSectionList with its settings, handlers and per-document tables.
//
// Ownership: the document owns its top-level items as a cell; every block owns its content cell; a cell owns
// its items; the document owns its forms, maps, style sheet and name table. Items keep plain back pointers.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_host.h"
#include "html/html_style_box.h"
#include "html/html_style_list.h"

namespace lumora::html {

class TMapItem;

class TSectionList;
class TCellBasic;
class TBlock;
class TBodyBlock;
class TSection;
class TFontObj;
class ThtmlForm;
class TFormControlObj;
class TPanelObj;
class TImageObj;
class IndentManager;
struct TPaintContext;
struct TBackgroundPicture;

// A link: what an A element with HREF points to, shared (by serial number) by all its font runs.
struct TUrlTarget {
  std::string Url;
  std::string Target;
  int ID = 0;            // document-wide serial number of the link
  std::string Attr;      // the A tag's attributes as "NAME=value" lines joined by CR LF
  int TabIndex = 0;
  int Start = -1, last = -1;  // character range of the link; -1 until known

  void Clear() { *this = TUrlTarget(); }
  bool isSet() const { return !Url.empty() || ID != 0; }
};

// What LinkAtPoint found under a point, as bits: a link (in Url), a form control, a hint text (in Title).
using THitFlags = unsigned;
inline constexpr THitFlags kHitLink = 1, kHitFormControl = 2, kHitTitle = 4;

// Anything a "#name" jump can land on.
class TIDObject {
 public:
  virtual ~TIDObject() = default;
  virtual int TargetY() const = 0;
};

// A name target that only knows the source position where it was defined.
class TChPosObj : public TIDObject {
 public:
  TChPosObj(TSectionList* Document, int ChPos) : Document(Document), ChPos(ChPos) {}
  // The Y of the line holding the position once laid out; 0 while it cannot be found.
  int TargetY() const override;
  TSectionList* Document;
  int ChPos;
};

// Names and IDs (case-insensitive) to the objects that define them. A later entry of the same name replaces
// the earlier one; position targets made here are owned here and freed when replaced.
class TIDNameList {
 public:
  struct Entry {
    TIDObject* Object = nullptr;
    std::unique_ptr<TChPosObj> Owned;
  };
  void addObject(std::string_view Name, TIDObject* Object);
  void addChPosObject(TSectionList* Document, std::string_view Name, int Pos);
  TIDObject* find(std::string_view Name) const;
  // Drops every entry naming Object (used when an item is thrown away during the build).
  void removeObject(const TIDObject* Object);
  void Clear() { entries_.clear(); }
  size_t count() const { return entries_.size(); }
  const std::map<std::string, Entry, std::less<>>& Entries() const { return entries_; }

 private:
  std::map<std::string, Entry, std::less<>> entries_;
};

// A document item that takes vertical space in a cell. The operations are listed in the order items answer
// them; layout, drawing and hit testing override them in the item classes.
class TSectionBase : public TIDObject {
 public:
  explicit TSectionBase(TSectionList* Document) : Document(Document) {}
  TSectionBase(const TSectionBase&) = delete;
  TSectionBase& operator=(const TSectionBase&) = delete;

  // The class name as the document dump prints it.
  virtual const char* className() const { return "TSectionBase"; }

  int TargetY() const override { return YPosition; }
  virtual void CollectSelection() {}
  // Lays the item out at Y in a cell whose content starts at X and is Width wide; IMgr gives the edges at
  // each height. Returns the item's height; MaxWidth is the widest it would like to be.
  virtual int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight,
                     IndentManager& IMgr, int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth);
  // Draws the item where the last layout put it (html_paint.h); returns its bottom.
  virtual int Paint(TPaintContext& Context);
  virtual THitFlags LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                                std::string& Title);
  virtual bool ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY);
  virtual int PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight, bool& InText);
  virtual int SearchForward(int From, std::u16string_view Text, bool MatchCase);
  virtual int SearchBackward(int From, std::u16string_view Text, bool MatchCase);
  virtual int DocToSourcePos(int Position);
  virtual int SourceToDocPos(int SourcePosition, bool Previous);
  virtual bool PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y);
  virtual bool CharAtPosition(int Position, char16_t& Char, TIDObject*& Object);
  virtual void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth);
  virtual void RegisterPositions();

  TSectionList* Document;
  int SectionHeight = 0;
  int DrawHeight = 0;
  int StartCurs = 0;  // character position of the first character
  int Len = 0;
  int ZIndex = 0;
  int YPosition = 999999999;
  int ContentTop = 0, ContentBot = 0;
  int DrawTop = 0, DrawBot = 0;
};

// A page break (PAGE tag): no height, draws nothing.
class TPage : public TSectionBase {
 public:
  using TSectionBase::TSectionBase;
  const char* className() const override { return "TPage"; }
};

// An ordered list of items: the content of a cell or a block.
class TCellBasic {
 public:
  TCellBasic(TSectionList* Document, TBlock* OwnerBlock) : Document(Document), OwnerBlock(OwnerBlock) {}
  virtual ~TCellBasic();
  TCellBasic(const TCellBasic&) = delete;
  TCellBasic& operator=(const TCellBasic&) = delete;

  // Adds an item. A section is finished first (CloseSection at SourcePosition); a section that ends up
  // empty (no characters, objects or controls, and not preformatted) is dropped instead.
  void add(std::unique_ptr<TSectionBase> Item, int SourcePosition);
  // The last item, or null.
  TSectionBase* lastItem() const { return Items.empty() ? nullptr : Items.back().get(); }

  // Lays the items out one below the other from Y, in the edges IMgr gives (the content starts at X and
  // is Width wide). Returns the height; tcContentBot, tcDrawTop and tcDrawBot hold the extents after.
  virtual int DoLayout(ITextMetrics& Metrics, int X, int Y, int Width, int AvailableHeight, int BlockHeight,
                       IndentManager& IMgr, int& CharPosition, int& MaxWidth, int& ScrollWidth);
  // The widest of the items' minimum and maximum widths.
  void MinMaxWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth);
  // Paints the items in order.
  void paintItems(TPaintContext& Context);

  std::vector<std::unique_ptr<TSectionBase>> Items;
  TSectionList* Document;
  TBlock* OwnerBlock;        // the block this cell is the content of, or null
  std::string OwnersTag;     // tag description of the owner ("default" for the document)
  int StartCurs = 0;
  int CellTop = 0;  // where the last layout started the items (absolutely positioned blocks start from it)
  int tcContentBot = 0, tcDrawTop = 0, tcDrawBot = 0;
};

// A cell content with its own float context (the document, table cells).
class TCell : public TCellBasic {
 public:
  TCell(TSectionList* Document, TBlock* OwnerBlock);
  ~TCell() override;
  // Resets its indent manager to [X, X + Width) and lays the items out in it; the height is at least the
  // bottom of its lowest float. A table cell's manager is the one its table hands it for the layout (the
  // records are only needed while the cell is laid out); the document keeps one of its own.
  int DoLayout(ITextMetrics& Metrics, int X, int Y, int Width, int AvailableHeight, int BlockHeight,
               IndentManager& IMgr, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
  std::unique_ptr<IndentManager> IMgr;
};

// The content of a block.
class TBlockCell : public TCellBasic {
 public:
  using TCellBasic::TCellBasic;
};

// An inline border/background record of a text element with a border, in source positions.
struct TInlineRec {
  int StartB = 0, EndB = -1;  // -1 while still open
  uint64_t PropSerial = 0;
  int BorderStyle = 0;
  TColor BackgroundColor = kColorNone;
  // The element's box in pixels (against a base of 200), each in the order left, top, right, bottom.
  std::array<int, 4> Widths{}, Paddings{}, Styles{};
  std::array<TColor, 4> Colors{};
};

// The document: its content (a cell), settings, event handlers and per-document tables.
class TSectionList : public TCell {
 public:
  // Host: the fonts, pictures, resources and controls the document uses (may be null: the model alone).
  explicit TSectionList(THtmlHost* Host = nullptr);
  ~TSectionList() override;

  // Drops all content and per-document tables; keeps the settings and handlers.
  void Clear();
  void SetDefaults(const std::string& DefFontName, const std::string& PreFontName, int MarginWidth, int MarginHeight,
                   uint8_t CharSet, bool LinkUnderline, bool OverLinksActive, TColor DefBackground,
                   TColor OverLinkColor, TColor VisitedLinkColor, TColor HotSpotColor, TColor DefFontColor,
                   double DefFontSize);
  // SetDefaults with the values a freshly started viewer uses.
  void SetDefaults();
  void SetBackgroundColor(TColor Color);
  void SetBackgroundImage(const std::string& Url, const TBackgroundPosition& Horizontal,
                          const TBackgroundPosition& Vertical);
  // A name as the page wrote it, made absolute: the expansion handler when set, else against the base URL
  // (when the page gave one) or the document's own path.
  std::string ExpandName(const std::string& Name) const;
  // A new serial number for a link.
  int nextLinkSerial() { return ++linkSerial_; }

  // Pictures the host delivers later (requestImage answered Deferred) reach the elements waiting for them,
  // each as if it had requested the picture itself (Clear releases it once per element); then
  // OnImagesArrived tells the viewer.
  void addMissingImage(const std::string& Source, TImageObj* Waiting);
  bool isImageMissing(const std::string& Source) const;
  // A picture the host handed out; Clear gives each back (releaseImage) once per request.
  void imageRequested(const std::string& Source) { RequestedImages.push_back(Source); }
  // A style sheet or frame document the page names, through the host's reader (files when it has none).
  std::optional<std::string> readResource(const std::string& Url, TResourceKind Kind);
  void imageArrived(const std::string& Source, const TImageAnswer& Answer);

  // --- Hit testing, selection and search (html_hit_test.cpp) ---
  // Positions are document character positions; X and Y document pixels (Y includes the scroll position).
  // What lies under a point: kHitLink (Url filled), kHitFormControl, kHitTitle. Tracks the link run and
  // image under the point: with OverLinksActive, every run of the hovered link gets Hover.
  THitFlags LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                        std::string& Title);
  // The image under the mouse shows its pressed (or, released, its hover) state.
  void SetLinkPressed(bool Pressed);
  // The mouse left: no link run or image is hovered any more.
  void ClearLinkStates();
  // The image under a point, with the point inside its picture.
  bool ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY);
  // The caret position nearest a point, or -1; XR, YR and CaretHeight place the caret, InText tells
  // whether the point lies over the text of its line.
  int PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight, bool& InText);
  // Where a character is drawn (its left edge and its line's top). A position at or past the end answers
  // for the last character, 15 pixels further right.
  bool PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y);
  bool CharAtPosition(int Position, char16_t& Char, TSection*& Section);
  int SourceToDocPos(int SourcePosition, bool Previous);
  int DocToSourcePos(int Position);
  // Characters a copy of [SelStart, SelEnd) may write (an upper bound).
  int SelectionLength();
  // Copies the selected text into Buffer (Size characters, a terminating zero included; control codes left
  // out). Returns the characters written, the zero included.
  int CopySelectionToBuffer(char16_t* Buffer, int Size);
  // The first match of Text at or after From, or the last one ending at or before From; -1 when none.
  // Without MatchCase letters match in either case.
  int SearchForward(int From, std::u16string_view Text, bool MatchCase);
  int SearchBackward(int From, std::u16string_view Text, bool MatchCase);
  // The number of characters the last layout numbered.
  int documentLength() const;

  enum class THoverState { Off, OverUp, OverDown };
  TFontObj* ActiveLink = nullptr;    // the link run under the mouse
  TImageObj* ActiveImage = nullptr;  // the image under the mouse
  THoverState ActiveImageState = THoverState::Off;
  bool LeftButtonDown = false;  // kept by the viewer: an image hovered while it is held shows pressed
  // A link's hover font or an image's hover state changed: the viewer repaints.
  std::function<void()> OnLinkStatesChanged;
  // Receives the selected text while SelectionLength or CopySelectionToBuffer runs (null otherwise).
  class TSelTextCollector;
  TSelTextCollector* SelTextCollector = nullptr;

  // --- Settings ---
  THtmlHost* Host;
  bool ShowImages = true;
  bool ShowDummyCaret = false;
  std::string PreFontName = "Courier New";
  std::string DefFontName = "Times New Roman";
  double DefFontSize = 12;
  TColor HotSpotColor = 0xFF0000 | kPaletteRelative, LinkVisitedColor = 0x800080 | kPaletteRelative,
         LinkActiveColor = 0xFF0000 | kPaletteRelative;
  bool LinkUnderline = true;
  bool OverLinksActive = false;
  int MarginWidth = 10, MarginHeight = 5;  // the viewer's margins: the body's defaults
  bool SingleDocViewer = true;             // META content-type declarations apply only to a single document
  std::string DocumentPath;                // the file the page came from (base of relative names)
  int MaxBlocks = 200000;                  // blocks and cells a page may have at least (kBytesPerBlock)
  int MaxSections = 500000;                // sections the builder makes at most

  // --- What the document tells its viewer ---
  THtmlDocumentEvents Events;

  // --- Per-document tables ---
  TIDNameList IDNameList;
  std::vector<TSectionBase*> PositionList;
  std::vector<std::unique_ptr<ThtmlForm>> htmlFormList;
  std::vector<TFormControlObj*> FormControlList;
  std::vector<TPanelObj*> PanelList;
  std::vector<TFontObj*> LinkList;
  std::vector<std::unique_ptr<TMapItem>> MapList;
  TStyleList Styles;
  TBoxPool BoxPool;  // the box arrays of blocks and cells share equal stores
  std::vector<TInlineRec> InlineList;
  // What TABINDEX puts in the keyboard order: a form control, or the first run of a link.
  struct TTabStop {
    TIDObject* Control = nullptr;
    TFontObj* LinkRun = nullptr;
  };
  // Sorted by tab index, then by the order the stops were met.
  std::map<std::pair<int, int>, TTabStop> TabOrderList;
  // Images whose pictures the host delivers later, by source, with the elements waiting for each.
  std::multimap<std::string, TImageObj*, std::less<>> MissingImages;
  std::vector<std::string> RequestedImages;
  // The animated pictures the page shows, once each; the viewer's timer moves them on.
  std::vector<std::shared_ptr<image::TGIFImage>> AnimatedImages;

  // --- Document state ---
  TColor Background = 0xFFFFFF;
  std::string BackgroundUrl;
  TBackgroundPosition BackgroundPosH, BackgroundPosV;
  bool TooManyLinks = false;  // more than 400 tags with HREF: links take no keyboard focus
  bool HoverTracking = false;  // a rule or OLINK asks for hover colours
  int SectionCount = 0;
  int SelStart = -1, SelEnd = -1;
  TBodyBlock* BodyBlock = nullptr;
  // What the builder found in the page's head.
  std::u16string Title;
  std::string BaseUrl, BaseTarget;

  void addTabOrder(int TabIndex, TTabStop Stop);

  // --- Forms (html_forms.cpp) ---
  // What the reader entered: one list of name=value lines per form, in form order (empty without forms).
  using TFormValues = std::vector<std::vector<std::string>>;
  TFormValues SaveFormValues();
  // Gives the forms back what SaveFormValues took, form by form; stops where either list ends.
  void RestoreFormValues(const TFormValues& Values);

  // --- Layout ---
  // Lays the document out Width pixels wide for a window ClientHeight high; returns the document height
  // and sets ScrollWidth to the widest the content reached.
  int LayOut(ITextMetrics& Metrics, int ClientHeight, int Width, int& ScrollWidth);
  // The last item of the position list whose top is at or above Y, and its index; null and -1 when none.
  TSectionBase* FindItemAtY(int Y, int& Index) const;
  int CycleNumber = 0;            // layout passes so far: the key of caches that live for one pass
  int TableNestLevel = 0;         // tables being laid out around the current item (1: the outermost)
  bool InLogic2 = false;          // the outermost table is placing its rows' cells
  int* FirstLineHtPtr = nullptr;  // where the first line's baseline is sought (null: it is not)
  int ProgressStart = 0;          // per cent the load had reached when layout began
  std::function<void(int Percent)> OnLayoutProgress;
  int ProgressReportedCycle = -1;
  int DocumentHeight = 0, DocumentMaxWidth = 0;  // from the last layout
  // Every 50th section tells OnLayoutProgress how far the load got (once per layout pass).
  void reportLayoutProgress(int SectionNumber);
  // A link run that leaves the document while it is built (its section dropped, its characters removed,
  // or the run given another font) leaves the link list and the keyboard order with it. Items never
  // touch the document's indexes themselves: Clear empties them all at once.
  void unlinkRun(const TFontObj* Run);
  void unlinkRuns(const TSection& Section);

  // --- Painting (html_paint.cpp) ---
  // Paints the part of the document inside Clip (canvas coordinates) with the document scrolled to
  // (XOffset, YOffset): canvas = document - offsets. Returns the document's bottom on the canvas. The
  // background is the viewer's (paintBackground), so what lies behind the content is left alone.
  int Paint(ICanvas& Canvas, ITextMetrics& Metrics, const TRect& Clip, int XOffset, int YOffset);
  // The document's background colour and picture over Clip (canvas coordinates); a fixed picture stays
  // with the view, a scrolling one moves with the document.
  void paintBackground(ICanvas& Canvas, const TRect& Clip, int XOffset, int YOffset);
  std::shared_ptr<TBackgroundPicture> BgPicture;
  int LastPaintYOffset = 0;

 private:
  int linkSerial_ = 0;
  int tabSequence_ = 0;
  int lastReportedSection_ = -1;
};

}  // namespace lumora::html
