#include "html/html_document.h"

#include <algorithm>
#include <cstdio>

#include "html/html_blocks.h"
#include "html/html_forms.h"
#include "html/html_section.h"
#include "html/image_map.h"
#include "image/image_cache.h"
#include "url/url_utils.h"

namespace lumora::html {

namespace {

std::string nameKey(std::string_view Name) { return lowerAscii(Name); }

}  // namespace

// --- TIDNameList ---

void TIDNameList::addObject(std::string_view Name, TIDObject* Object) {
  if (Name.empty() || Object == nullptr) return;
  Entry& e = entries_[nameKey(Name)];
  e.Owned.reset();
  e.Object = Object;
}

void TIDNameList::addChPosObject(TSectionList* Document, std::string_view Name, int Pos) {
  if (Name.empty()) return;
  Entry& e = entries_[nameKey(Name)];
  e.Owned = std::make_unique<TChPosObj>(Document, Pos);
  e.Object = e.Owned.get();
}

TIDObject* TIDNameList::find(std::string_view Name) const {
  const auto it = entries_.find(nameKey(Name));
  return it == entries_.end() ? nullptr : it->second.Object;
}

void TIDNameList::removeObject(const TIDObject* Object) {
  std::erase_if(entries_, [Object](const auto& kv) { return kv.second.Object == Object; });
}

// --- TSectionBase: the defaults of the item operations ---

int TSectionBase::LayOut(ITextMetrics&, int, int, int, int, IndentManager&, int Y, int& CharPosition, int& MaxWidth,
                         int& ScrollWidth) {
  StartCurs = CharPosition;
  YPosition = Y;
  ContentTop = Y;
  DrawTop = Y;
  ContentBot = Y + SectionHeight;
  DrawBot = Y + SectionHeight;
  MaxWidth = 0;
  (void)ScrollWidth;
  return SectionHeight;
}

int TSectionBase::Paint(TPaintContext&) { return ContentTop + SectionHeight; }

THitFlags TSectionBase::LinkAtPoint(ITextMetrics&, int, int, TUrlTarget&, TFormControlObj*&, std::string&) {
  return 0;
}

bool TSectionBase::ObjectAtPoint(int, int, TIDObject*&, int&, int&) { return false; }

int TSectionBase::PositionAtPoint(ITextMetrics&, int, int, int&, int&, int&, bool&) { return -1; }

int TSectionBase::SearchForward(int, std::u16string_view, bool) { return -1; }

int TSectionBase::SearchBackward(int, std::u16string_view, bool) { return -1; }

int TSectionBase::DocToSourcePos(int) { return -1; }

int TSectionBase::SourceToDocPos(int, bool) { return -1; }

bool TSectionBase::PositionToPoint(ITextMetrics&, int, int&, int&) { return false; }

bool TSectionBase::CharAtPosition(int, char16_t&, TIDObject*&) { return false; }

void TSectionBase::MeasureWidths(ITextMetrics&, int& MinWidth, int& MaxWidth) {
  MinWidth = 0;
  MaxWidth = 0;
}

void TSectionBase::RegisterPositions() { Document->PositionList.push_back(this); }

// --- TCellBasic ---

TCellBasic::~TCellBasic() = default;

void TCellBasic::add(std::unique_ptr<TSectionBase> Item, int SourcePosition) {
  if (!Item) return;
  if (auto* section = dynamic_cast<TSection*>(Item.get())) {
    if (!section->Closed) section->CloseSection(SourcePosition);
    if (!section->hasContent() && !section->isPreformatted()) {
      Document->unlinkRuns(*section);
      return;
    }
  }
  Item->Document = Document;
  Items.push_back(std::move(Item));
}

// --- TSectionList ---

TSectionList::TSectionList(THtmlHost* Host) : TCell(this, nullptr), Host(Host) {
  OwnersTag = "default";
  Styles.OnHoverRule = [this] { HoverTracking = true; };
}

TSectionList::~TSectionList() { Clear(); }

void TSectionList::Clear() {
  // Item destructors leave the document's tables alone, so nothing here depends on the order.
  BodyBlock = nullptr;
  Items.clear();
  IDNameList.Clear();
  PositionList.clear();
  FormControlList.clear();
  PanelList.clear();
  LinkList.clear();
  MissingImages.clear();
  if (Host && Host->Images)
    for (const std::string& source : RequestedImages) Host->Images->releaseImage(source);
  RequestedImages.clear();
  htmlFormList.clear();
  MapList.clear();
  InlineList.clear();
  AnimatedImages.clear();
  TabOrderList.clear();
  Styles.Clear();
  BoxPool.Clear();
  BackgroundUrl.clear();
  BackgroundPosH = BackgroundPosV = TBackgroundPosition();
  TooManyLinks = false;
  HoverTracking = false;
  SectionCount = 0;
  SelStart = SelEnd = -1;
  ActiveLink = nullptr;
  ActiveImage = nullptr;
  ActiveImageState = THoverState::Off;
  Title.clear();
  BaseUrl.clear();
  BaseTarget.clear();
  linkSerial_ = 0;
  tabSequence_ = 0;
}

void TSectionList::SetDefaults(const std::string& DefFontName_, const std::string& PreFontName_, int MarginWidth_,
                               int MarginHeight_, uint8_t CharSet, bool LinkUnderline_, bool OverLinksActive_,
                               TColor DefBackground, TColor OverLinkColor, TColor VisitedLinkColor,
                               TColor HotSpotColor_, TColor DefFontColor, double DefFontSize_) {
  Styles.Fonts = Host ? Host->Metrics : nullptr;
  Styles.PixelsPerInch = Host && Host->PixelsPerInch > 0 ? Host->PixelsPerInch : kDefaultPixelsPerInch;
  Styles.BuildDefaults(DefFontName_, PreFontName_, MarginWidth_, MarginHeight_, CharSet, LinkUnderline_,
                       OverLinkColor, VisitedLinkColor, HotSpotColor_, DefFontColor, DefFontSize_);
  DefFontName = DefFontName_;
  PreFontName = PreFontName_.substr(0, 32);
  MarginWidth = MarginWidth_;
  MarginHeight = MarginHeight_;
  LinkUnderline = LinkUnderline_;
  OverLinksActive = OverLinksActive_;
  HotSpotColor = HotSpotColor_;
  LinkVisitedColor = VisitedLinkColor;
  LinkActiveColor = OverLinkColor;
  DefFontSize = DefFontSize_;
  SetBackgroundColor(DefBackground);
}

void TSectionList::SetDefaults() {
  SetDefaults("Times New Roman", "Courier New", 10, 5, kDefaultCharSet, true, false, 0xFFFFFF, 0xFF0000, 0x800080,
              0xFF0000, 0, 12);
}

void TSectionList::SetBackgroundColor(TColor Color) {
  Background = Color;
  if (Events.OnBackgroundChange) Events.OnBackgroundChange();
}

void TSectionList::SetBackgroundImage(const std::string& Url, const TBackgroundPosition& Horizontal,
                                      const TBackgroundPosition& Vertical) {
  BackgroundUrl = Url;
  BackgroundPosH = Horizontal;
  BackgroundPosV = Vertical;
}

std::string TSectionList::ExpandName(const std::string& Name) const {
  if (Events.OnExpandName) return Events.OnExpandName(Name);
  if (url::IsFullURL(Name)) return Name;
  const std::string base = !BaseUrl.empty() ? url::GetURLBase(BaseUrl)
                                            : url::GetURLBase(DocumentPath);
  if (base.empty()) return Name;
  return url::CombineURL(base, Name);
}

void TSectionList::addTabOrder(int TabIndex, TTabStop Stop) {
  TabOrderList.emplace(std::pair(std::clamp(TabIndex, 0, 99999), tabSequence_++), Stop);
}

void TSectionList::unlinkRun(const TFontObj* Run) {
  if (Run->UrlTarget && Run->UrlTarget->TabIndex > 0) {
    std::erase_if(TabOrderList, [Run](const auto& entry) { return entry.second.LinkRun == Run; });
  }
  // Runs leave near the end of the list, so search from there.
  for (auto it = LinkList.rbegin(); it != LinkList.rend(); ++it) {
    if (*it == Run) {
      LinkList.erase(std::next(it).base());
      return;
    }
  }
}

void TSectionList::unlinkRuns(const TSection& Section) {
  for (const auto& run : Section.Fonts)
    if (run->hasLink()) unlinkRun(run.get());
}

std::optional<std::string> TSectionList::readResource(const std::string& Url, TResourceKind Kind) {
  TFileResourceReader files;
  IResourceReader& reader = Host && Host->Resources ? *Host->Resources : files;
  std::string error;
  return reader.readResource(Url, Kind, error);
}

void TSectionList::addMissingImage(const std::string& Source, TImageObj* Waiting) {
  MissingImages.emplace(image::TStringBitmapList::makeKey(Source), Waiting);
}

bool TSectionList::isImageMissing(const std::string& Source) const {
  return MissingImages.contains(image::TStringBitmapList::makeKey(Source));
}

void TSectionList::imageArrived(const std::string& Source, const TImageAnswer& Answer) {
  const auto [first, last] = MissingImages.equal_range(image::TStringBitmapList::makeKey(Source));
  if (first == last) return;
  for (auto it = first; it != last; ++it) {
    it->second->pictureArrived(Answer);
    if (Answer.Image) imageRequested(Source);
  }
  MissingImages.erase(first, last);
  if (Events.OnImagesArrived) Events.OnImagesArrived();
}

}  // namespace lumora::html
