#include "html/html_section.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "html/html_codepage.h"
#include "html/html_forms.h"
#include "image/gif_image.h"

namespace lumora::html {

namespace {

// Case mapping for the scripts publications use (Latin, Greek, Cyrillic); other characters stay.
char16_t upperChar(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  return c;
}

char16_t lowerChar(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

const std::string* propString(const TProperties& p, int i) { return std::get_if<std::string>(&p.prop(i)); }

int textTransformOf(const TProperties& p) {
  const int* v = std::get_if<int>(&p.prop(TextTransform));
  return v ? *v : 0;
}

bool isSmallCaps(const TProperties& p) {
  const std::string* v = propString(p, FontVariant);
  return v && lowerAscii(*v) == "small-caps";
}

int justifyOf(const TProperties& p) {
  const std::string* v = propString(p, TextAlign);
  if (!v) return 1;
  const std::string a = lowerAscii(trimAscii(*v));
  if (a == "center") return 2;
  if (a == "right") return 3;
  if (a == "justify") return 4;
  return 1;
}


// WIDTH and HEIGHT: pixels, or with "%" a percentage 0..100.
void sizeAttr(const TAttribute* a, int& Value, bool& Percent) {
  if (!a) return;
  if (a->Name.find('%') != std::string::npos) {
    Percent = true;
    Value = std::clamp(a->Value, 0, 100);
  } else {
    Percent = false;
    Value = std::max(0, a->Value);
  }
}

}  // namespace

// --- TFontObj ---

TFontObj::TFontObj(TSection* Section, int Pos, TProperties& Props) : Section(Section), Pos(Pos) {
  replaceFont(Props);
}

void TFontObj::replaceFont(TProperties& Props) {
  TheFont = Props.MakeFont();
  SizePoints = Props.fontSizePoints().value_or(Props.DefFontSize);
  Title = Props.PropTitle;
  FontHeight = TheFont.tmHeight + TheFont.tmExternalLeading;
  tmHeight = TheFont.tmHeight;
  tmMaxCharWidth = TheFont.tmMaxCharWidth;
  Descent = TheFont.tmDescent;
  Overhang = (TheFont.Style & kFontItalic) ? TheFont.tmHeight / 10 : 0;
  const std::optional<TVerticalAlign> align = Props.verticalAlignment();
  VAlign = align && (*align == TVerticalAlign::Superscript || *align == TVerticalAlign::Subscript) ? *align
                                                                                                   : TVerticalAlign::Baseline;
  if (Props.hasFontInfo()) {
    FIArray = std::make_unique<TFontInfoArray>(Props.linkFonts());
  } else {
    FIArray.reset();
  }
}

// --- Objects ---

void TFloatingObj::setAlignAttribute(std::string_view Value) {
  const std::string v = lowerAscii(Value);
  if (v == "top") VertAlign = 1;
  else if (v == "middle" || v == "absmiddle") VertAlign = 2;
  else if (v == "left") Floating = TSide::Left;
  else if (v == "right") Floating = TSide::Right;
  else if (v == "bottom") VertAlign = 4;
}

TImageObj::TImageObj(TSectionList* Doc, int APos, const TAttributeList& Attributes) : TFloatingObj(Doc) {
  Pos = APos;
  bool hspaceGiven = false;
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case SrcSy: Source = std::string(trimAscii(a.Name)); break;
      case AltSy: {
        std::string alt = a.Name;
        while (!alt.empty() && (alt.back() == '\r' || alt.back() == '\n')) alt.pop_back();
        Alt = toWide(alt, a.CodePage);
        if (Title.empty()) Title = wideToUtf8(Alt);
        break;
      }
      case TitleSy: Title = a.Name; break;
      case AlignSy: setAlignAttribute(a.Name); break;
      case BorderSy:
        BorderSize = std::clamp(a.Value, 0, 10);
        NoBorder = BorderSize == 0;
        break;
      case WidthSy: sizeAttr(&a, SpecWidth, PercentWidth); break;
      case HeightSy: sizeAttr(&a, SpecHeight, PercentHeight); break;
      case TranspSy: Transparent = true; break;
      case IsMapSy: IsMap = true; break;
      case UseMapSy: {
        UseMap = true;
        std::string n = std::string(trimAscii(a.Name));
        if (!n.empty() && n[0] == '#') n.erase(0, 1);
        for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        MapName = n;
        break;
      }
      case HSpaceSy:
        hspaceGiven = true;
        HSpaceL = HSpaceR = static_cast<int>(std::min<long long>(std::llabs(a.Value), 40));
        break;
      case VSpaceSy: VSpaceT = VSpaceB = static_cast<int>(std::min<long long>(std::llabs(a.Value), 40)); break;
      case ActiveSy: Swapped = true; break;
      default: break;
    }
  }
  if (!hspaceGiven && Floating != TSide::None) HSpaceL = HSpaceR = 3;
}

void TImageObj::loadImage() {
  if (Requested || !Document->ShowImages || Source.empty()) return;
  THtmlHost* host = Document->Host;
  if (!host || !host->Images) return;
  Requested = true;
  const std::string name = Document->ExpandName(Source);
  if (!Document->isImageMissing(name)) {
    const TImageAnswer answer = host->Images->requestImage(name, Transparent ? image::kLowerLeftColor : image::kOpaque);
    if (!answer.Deferred) {
      if (answer.Image) Document->imageRequested(name);
      pictureArrived(answer);
      return;
    }
  }
  Missing = true;
  Document->addMissingImage(name, this);
}

void TImageObj::pictureArrived(const TImageAnswer& Answer) {
  Image = Answer.Image;
  Mask = Answer.Mask;
  Transparency = Answer.Transparency;
  Missing = false;
  // An animated picture plays from the start, unless it plays only under the mouse (ACTIVE).
  if (Image.Gif && Image.Gif->Animated && !Swapped) {
    if (std::find(Document->AnimatedImages.begin(), Document->AnimatedImages.end(), Image.Gif) ==
        Document->AnimatedImages.end())
      Document->AnimatedImages.push_back(Image.Gif);
    Image.Gif->SetAnimate(true);
  }
}

void TImageObj::processProperties(const TProperties& Props) {
  if (const auto va = Props.verticalAlignment()) {
    switch (*va) {
      case TVerticalAlign::Top: VertAlign = 1; break;
      case TVerticalAlign::Middle: VertAlign = 2; break;
      case TVerticalAlign::Baseline: VertAlign = 3; break;
      case TVerticalAlign::Bottom: VertAlign = 4; break;
      default: break;
    }
  }
  const TSide f = Props.FloatSide();
  if (f == TSide::Left || f == TSide::Right) {
    Floating = f;
    if (HSpaceR == 0) HSpaceL = HSpaceR = 3;
  }
  if (Title.empty()) Title = Props.PropTitle;
  const auto margin = [&](int index, int& target) {
    const TPropValue& v = Props.prop(index);
    if (const std::string* s = std::get_if<std::string>(&v)) target = ToPixels(*s, false, 200, 0, Props.EmSize, Props.ExSize, Props.PixelsPerInch);
    else if (const int* n = std::get_if<int>(&v); n && *n != kUnsetLength && *n != kParagraphSpace && *n != kAutoLength)
      target = *n;
  };
  margin(MarginLeft, HSpaceL);
  margin(MarginRight, HSpaceR);
  margin(MarginTop, VSpaceT);
  margin(MarginBottom, VSpaceB);
  if (Props.BorderStyleCode() != 0) {
    BorderSize = 0;
    NoBorder = true;
  }
  const auto size = [&](int index, int& value, bool& percent) {
    const TPropValue& v = Props.prop(index);
    if (const std::string* s = std::get_if<std::string>(&v)) {
      const std::string t = lowerAscii(trimAscii(*s));
      if (t == "auto") {
        value = -1;
        percent = false;
      } else if (!t.empty() && t.back() == '%') {
        value = std::clamp(ToPixels(t, false, 100, 0, Props.EmSize, Props.ExSize, Props.PixelsPerInch), 0, 100);
        percent = true;
      } else {
        value = std::max(0, ToPixels(t, false, 200, 0, Props.EmSize, Props.ExSize, Props.PixelsPerInch));
        percent = false;
      }
    } else if (const int* n = std::get_if<int>(&v); n && *n >= 0) {
      value = *n;
      percent = false;
    }
  };
  size(Width, SpecWidth, PercentWidth);
  size(Height, SpecHeight, PercentHeight);
}

TPanelObj::TPanelObj(TSectionList* Doc, int APos, const TAttributeList& Attributes, bool AnObjectTag)
    : TFloatingObj(Doc), ObjectTag(AnObjectTag) {
  Pos = APos;
  SpecWidth = 30;
  SpecHeight = 20;
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case NameSy: Name = a.Name; break;
      case AlignSy: setAlignAttribute(a.Name); break;
      case HSpaceSy: HSpaceL = HSpaceR = static_cast<int>(std::min<long long>(std::llabs(a.Value), 40)); break;
      case VSpaceSy: VSpaceT = VSpaceB = static_cast<int>(std::min<long long>(std::llabs(a.Value), 40)); break;
      case WidthSy:
        if (a.Name.find('%') != std::string::npos) {
          if (a.Value >= 1 && a.Value <= 100) {
            SpecWidth = a.Value;
            PercentWidth = true;
          }
        } else if (a.Value > 0) {
          SpecWidth = a.Value;
        }
        break;
      case HeightSy:
        if (a.Name.find('%') != std::string::npos) {
          if (a.Value >= 1 && a.Value <= 100) {
            SpecHeight = a.Value;
            PercentHeight = true;
          }
        } else if (a.Value >= 1) {
          SpecHeight = a.Value;
        }
        break;
      default: break;
    }
  }
}

// --- TFormControlList ---

TFormControlObj* TFormControlList::FindAt(int Index) const {
  const auto at = in(Index, Index + 1);
  return at.empty() ? nullptr : at.front();
}

std::span<TFormControlObj* const> TFormControlList::in(int From, int To) const { return itemsAt(Items, From, To); }

int TFormControlList::DistanceToNext(int Index) const {
  const auto next = itemsAt(Items, Index, INT_MAX);
  return next.empty() ? 9999 : next.front()->Pos - Index;
}

void TFormControlList::ShiftDown(int Index) {
  for (TFormControlObj* c : Items)
    if (c->Pos > Index) --c->Pos;
}

// --- TSection ---

TSection::TSection(TCellBasic* ACell, const TAttributeList* Attributes, TProperties& Props,
                   std::shared_ptr<TUrlTarget> AnURL,
                   bool FirstInBlock)
    : TSectionBase(ACell->Document), Cell(ACell) {
  Fonts.push_back(std::make_unique<TFontObj>(this, 0, Props));
  if (AnURL && AnURL->isSet()) {
    TFontObj& f = *Fonts.back();
    f.UrlTarget = std::move(AnURL);
    Document->LinkList.push_back(&f);
  }
  Justify = justifyOf(Props);
  if (Attributes) {
    if (const TAttribute* c = Attributes->find(ClearSy)) {
      const std::string v = lowerAscii(trimAscii(c->Name));
      ClearAttr = v == "left" ? 1 : v == "right" ? 2 : 3;
    }
  }
  switch (Props.ClearSide()) {
    case TSide::Left: ClearAttr = 1; break;
    case TSide::Right: ClearAttr = 2; break;
    case TSide::Both: ClearAttr = 3; break;
    default: break;
  }
  LineHeight = Props.lineHeightPixels(Fonts.back()->FontHeight);
  if (FirstInBlock) {
    bool percent = false;
    TextIndent = Props.textIndentValue(percent);
    TextIndentPercent = percent;
    if (percent) TextIndent = std::min(TextIndent, 90);
  }
  BreakWord = Props.wordWrapValue() == "break-word";
}

TSection::~TSection() = default;

int TSection::sourcePosOf(int I) const {
  if (!Closed) return I >= 0 && static_cast<size_t>(I) < XP.size() ? XP[static_cast<size_t>(I)] : -1;
  if (SIndexList.empty() || I < 0) return -1;
  auto it = std::upper_bound(SIndexList.begin(), SIndexList.end(), I,
                             [](int v, const IndexObj& o) { return v < o.Pos; });
  if (it == SIndexList.begin()) return -1;
  --it;
  return it->Index + (I - it->Pos);
}

void TSection::AppendChar(char16_t Ch, int SourcePosition, TProperties& Props) {
  TokenObj t;
  t.addUnicodeChar(Ch, SourcePosition);
  AppendToken(t, Props);
}

void TSection::appendPlain(std::u16string_view Text, const std::vector<int>& positions) {
  const char mark = (NoBreak || Preformatted) ? 'n' : 'y';
  if (Buff.empty()) {
    // Many sections hold a single run of text: sized for it, they need no shrinking when closed.
    Buff.reserve(Text.size() + 1);
    Brk.reserve(Text.size() + 2);
    XP.reserve(Text.size() + 1);
  }
  Buff += Text;
  Brk.append(Text.size(), mark);
  XP.insert(XP.end(), positions.begin(), positions.end());
}

void TSection::AppendToken(const TokenObj& Token, TProperties& Props, TProperties* Small) {
  if (Token.count() == 0) return;
  const int transform = textTransformOf(Props);
  if (transform == 0 && (!Small || !isSmallCaps(Props))) {
    appendPlain(Token.S(), Token.positions());
    return;
  }
  std::u16string text = Token.S();
  if (transform == 1) {
    for (char16_t& c : text) c = upperChar(c);
  } else if (transform == 2) {
    for (char16_t& c : text) c = lowerChar(c);
  }
  if (!Small || !isSmallCaps(Props)) {
    appendPlain(text, Token.positions());
    return;
  }
  // Small capitals: letters that change when upper-cased are set in the smaller font.
  bool inSmall = false;
  const char mark = (NoBreak || Preformatted) ? 'n' : 'y';
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char16_t u = upperChar(c);
    const bool skip = c == u' ' || (c >= u'0' && c <= u'9');
    if (!skip && (u != c) != inSmall) {
      inSmall = u != c;
      StartLinkRun(inSmall ? *Small : Props, lastFont() ? lastFont()->UrlTarget : nullptr);
    }
    Buff += u;
    Brk += mark;
    XP.push_back(Token.positions()[i]);
  }
  if (inSmall) {
    StartLinkRun(Props, lastFont() ? lastFont()->UrlTarget : nullptr);
  }
}

void TSection::StartFontRun(TProperties& Props) {
  const TFontObj* last = lastFont();
  StartLinkRun(Props, last ? last->UrlTarget : nullptr);
}

void TSection::StartLinkRun(TProperties& Props, std::shared_ptr<TUrlTarget> AnURL) {
  const int at = static_cast<int>(Buff.size());
  TFontObj* run = lastFont();
  if (run && run->Pos == at) {
    // Nothing was written in the last run: it takes the new font.
    if (run->hasLink()) Document->unlinkRun(run);
    run->replaceFont(Props);
    run->UrlTarget.reset();
  } else {
    Fonts.push_back(std::make_unique<TFontObj>(this, at, Props));
    run = Fonts.back().get();
  }
  if (AnURL && AnURL->isSet()) {
    run->UrlTarget = std::move(AnURL);
    Document->LinkList.push_back(run);
  }
}

TImageObj* TSection::InsertImage(const TAttributeList& Attributes, TProperties& Props, int SourcePosition) {
  auto image = std::make_unique<TImageObj>(Document, static_cast<int>(Buff.size()), Attributes);
  image->processProperties(Props);
  image->SourcePos = SourcePosition;
  TImageObj* result = image.get();
  if (const TAttribute* n = Attributes.find(NameSy)) Document->IDNameList.addObject(n->Name, result);
  if (const std::string& id = Attributes.theID(); !id.empty()) Document->IDNameList.addObject(id, result);
  Images.push_back(std::move(image));
  appendPlain(std::u16string(1, kObjectCode), {SourcePosition});
  return result;
}

TPanelObj* TSection::InsertPanel(std::unique_ptr<TPanelObj> Panel, TProperties& Props, int SourcePosition) {
  Panel->Pos = static_cast<int>(Buff.size());
  Panel->SourcePos = SourcePosition;
  if (Panel->Title.empty()) Panel->Title = Props.PropTitle;
  const TSide f = Props.FloatSide();
  if (f == TSide::Left || f == TSide::Right) Panel->Floating = f;
  TPanelObj* result = Panel.get();
  Document->PanelList.push_back(result);
  Images.push_back(std::move(Panel));
  appendPlain(std::u16string(1, kObjectCode), {SourcePosition});
  return result;
}

void TSection::InsertFormControl(TFormControlObj* Control, int SourcePosition) {
  if (!Control->takesPlace()) return;
  Control->Pos = static_cast<int>(Buff.size());
  Control->MySection = this;
  FormControls.Items.push_back(Control);
  appendPlain(std::u16string(1, kFormControlCode), {SourcePosition});
}

void TSection::markWordBreak() {
  if (!Brk.empty() && Brk.back() != 'n') Brk.back() = 'a';
}

void TSection::removeChars(std::vector<size_t> Gone) {
  if (Gone.empty()) return;
  std::sort(Gone.begin(), Gone.end());
  Gone.erase(std::unique(Gone.begin(), Gone.end()), Gone.end());
  const size_t n = Buff.size();
  while (!Gone.empty() && Gone.back() >= n) Gone.pop_back();
  if (Gone.empty()) return;
  // Characters kept before index Pos (clamped to the text).
  const auto keptBefore = [&](int Pos) {
    const auto p = static_cast<size_t>(std::clamp(Pos, 0, static_cast<int>(n)));
    return static_cast<int>(p - static_cast<size_t>(std::lower_bound(Gone.begin(), Gone.end(), p) - Gone.begin()));
  };
  // Font runs: shift; a run whose characters all went is dropped (the first run always stays).
  TFontList runs;
  runs.reserve(Fonts.size());
  for (size_t r = 0; r < Fonts.size(); ++r) {
    const int from = std::clamp(Fonts[r]->Pos, 0, static_cast<int>(n));
    const int to = r + 1 < Fonts.size() ? std::clamp(Fonts[r + 1]->Pos, from, static_cast<int>(n)) : static_cast<int>(n);
    const bool becameEmpty = to > from && keptBefore(to) == keptBefore(from);
    if (becameEmpty && r > 0) {
      if (Fonts[r]->hasLink()) Document->unlinkRun(Fonts[r].get());
      continue;
    }
    Fonts[r]->Pos = keptBefore(from);
    runs.push_back(std::move(Fonts[r]));
  }
  Fonts = std::move(runs);
  for (auto& o : Images) o->Pos = keptBefore(o->Pos);
  for (TFormControlObj* c : FormControls.Items) c->Pos = keptBefore(c->Pos);
  // The text, its break marks and source positions close up in place, from the first removed character on.
  size_t w = Gone.front();
  size_t g = 0;
  for (size_t i = Gone.front(); i < n; ++i) {
    if (g < Gone.size() && Gone[g] == i) {
      ++g;
      continue;
    }
    Buff[w] = Buff[i];
    Brk[w] = Brk[i];
    XP[w] = XP[i];
    ++w;
  }
  Buff.resize(w);
  Brk.resize(w);
  XP.resize(w);
}

void TSection::CloseSection(int SourcePosition) {
  if (Closed) return;
  std::vector<size_t> gone;

  // Leading spaces.
  for (size_t i = 0; i < Buff.size() && Buff[i] == u' '; ++i) gone.push_back(i);
  removeChars(std::move(gone));
  gone.clear();

  // Soft hyphens: the character before one may break there.
  if (Buff.find(kSoftHyphen) != std::u16string::npos) {
    long lastKept = -1;
    for (size_t i = 0; i < Buff.size(); ++i) {
      if (Buff[i] == kSoftHyphen) {
        gone.push_back(i);
        if (lastKept >= 0 && Brk[static_cast<size_t>(lastKept)] != 'n') Brk[static_cast<size_t>(lastKept)] = 's';
      } else {
        lastKept = static_cast<long>(i);
      }
    }
    removeChars(std::move(gone));
    gone.clear();
  }

  // Runs of spaces become one: the second goes, or the first when the first must not break.
  {
    long prevSpace = -1;  // index of the kept space just before, or -1
    for (size_t i = 0; i < Buff.size(); ++i) {
      if (Buff[i] != u' ') {
        prevSpace = -1;
      } else if (prevSpace < 0) {
        prevSpace = static_cast<long>(i);
      } else if (Brk[static_cast<size_t>(prevSpace)] == 'n') {
        gone.push_back(static_cast<size_t>(prevSpace));
        prevSpace = static_cast<long>(i);
      } else {
        gone.push_back(i);
      }
    }
    removeChars(std::move(gone));
    gone.clear();
  }

  // A space after a floating object, or beside a line break.
  if (!Images.empty() || Buff.find(kLineBreakCode) != std::u16string::npos) {
    for (size_t i = 0; i < Buff.size(); ++i) {
      if (Buff[i] != u' ') continue;
      bool drop = (i > 0 && Buff[i - 1] == kLineBreakCode) || (i + 1 < Buff.size() && Buff[i + 1] == kLineBreakCode);
      if (!drop && i > 0 && Buff[i - 1] == kObjectCode) {
        if (const TFloatingObj* o = objectAt(static_cast<int>(i - 1)); o && o->Floating != TSide::None) drop = true;
      }
      if (drop) gone.push_back(i);
    }
    removeChars(std::move(gone));
    gone.clear();
  }

  // A line break at the very end, then a space at the very end.
  if (Buff.size() > 1) {
    size_t end = Buff.size();
    if (Buff[end - 1] == kLineBreakCode) gone.push_back(--end);
    if (end > 0 && Buff[end - 1] == u' ') gone.push_back(end - 1);
    removeChars(std::move(gone));
    gone.clear();
  }

  // Every non-empty section ends with one space, its final break.
  if (!Buff.empty() && !(Buff.size() == 1 && Buff[0] == kLineBreakCode) && Buff.back() != u' ') {
    Buff += u' ';
    Brk += 'y';
    XP.push_back(SourcePosition);
  }
  finish();
}

void TSection::finish() {
  Brk += 'y';
  SIndexList.clear();
  size_t runs = 0;
  for (size_t i = 0; i < XP.size(); ++i) runs += (i == 0 || XP[i] != XP[i - 1] + 1) ? 1 : 0;
  SIndexList.reserve(runs);
  for (size_t i = 0; i < XP.size(); ++i) {
    if (i == 0 || XP[i] != XP[i - 1] + 1) SIndexList.push_back({static_cast<int>(i), XP[i]});
  }
  XP.clear();
  XP.shrink_to_fit();
  // Sections live as long as the page: give back what growing them reserved.
  Buff.shrink_to_fit();
  Brk.shrink_to_fit();
  Len = static_cast<int>(Buff.size());
  if (!Buff.empty()) SectionNumber = Document->SectionCount++;
  Closed = true;
}

// --- TPreFormated ---

TPreFormated::TPreFormated(TCellBasic* ACell, TProperties& Props, std::shared_ptr<TUrlTarget> AnURL)
    : TSection(ACell, nullptr, Props, AnURL, false) {
  Preformatted = true;
}

void TPreFormated::CloseSection(int SourcePosition) {
  if (Closed) return;
  // One space always ends the line; nothing else is normalised.
  const int pos = XP.empty() ? SourcePosition : XP.back() + 1;
  Buff += u' ';
  Brk += 'n';
  XP.push_back(pos);
  finish();
}

}  // namespace lumora::html
