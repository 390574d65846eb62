#include "html/html_parser.h"

#include <algorithm>
#include <bitset>
#include <fstream>
#include <iterator>
#include <limits>

#include "core/paths.h"
#include "html/css_parser.h"
#include "html/html_blocks.h"
#include "html/html_codepage.h"
#include "html/html_forms.h"
#include "html/html_parser_internal.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html/image_map.h"
#include "url/url_utils.h"

namespace lumora::html {

TSymbSet syms(std::initializer_list<Symb> list) {
  TSymbSet s;
  for (Symb sy : list) s.set(sy);
  return s;
}

const TSymbSet& inlineGroup() {
  static const TSymbSet s = syms(
      {BSy, BEndSy, ISy, IEndSy, BrSy, EmSy, EmEndSy, StrongSy, StrongEndSy, USy, UEndSy, CiteSy, CiteEndSy, VarSy,
       VarEndSy, TTSy, TTEndSy, CodeSy, CodeEndSy, KbdSy, KbdEndSy, SampSy, SampEndSy, ImgSy, ASy, AEndSy, InputSy,
       TextAreaSy, TextAreaEndSy, SelectSy, FontSy, FontEndSy, BaseFontSy, SubSy, SubEndSy, SupSy, SupEndSy, BigSy,
       BigEndSy, SmallSy, SmallEndSy, MapSy, PageSy, ScriptSy, ScriptEndSy, SSy, SEndSy, StrikeSy, StrikeEndSy,
       PanelSy, NoBrSy, NoBrEndSy, WbrSy, SpanSy, SpanEndSy, LabelSy, LabelEndSy, ObjectSy, ObjectEndSy, TextSy,
       UnknownSy});
  return s;
}

const TSymbSet& flowGroup() {
  static const TSymbSet s = inlineGroup() | syms({HSy, HEndSy, HrSy, PreSy, PreEndSy, TableSy});
  return s;
}

const TSymbSet& listGroup() {
  static const TSymbSet s = syms({OLSy, ULSy, DirSy, MenuSy, DLSy});
  return s;
}

const TSymbSet& divisionGroup() {
  static const TSymbSet s = syms({AddressSy, BlockQuoteSy, CenterSy, FormSy, DivSy});
  return s;
}

const TSymbSet& cellTerminators() {
  // Row groups end a cell too: pages leave cells open before THEAD, TBODY and TFOOT as often as before TR.
  static const TSymbSet s = syms({TableEndSy, TDSy, TDEndSy, TRSy, TREndSy, THSy, THEndSy, CaptionSy, CaptionEndSy,
                                  ColSy, ColGroupSy, THeadSy, TBodySy, TFootSy, THeadEndSy, TBodyEndSy, TFootEndSy});
  return s;
}

// Inline elements that only push and pop a property set named after the tag.
bool isSimpleInline(Symb sy) {
  switch (sy) {
    case BSy: case ISy: case EmSy: case StrongSy: case USy: case CiteSy: case VarSy: case SSy: case StrikeSy:
    case TTSy: case CodeSy: case KbdSy: case SampSy: case SpanSy: case LabelSy: case SubSy: case SupSy: case BigSy:
    case SmallSy:
      return true;
    default:
      return false;
  }
}

Symb startOf(Symb endSy) {
  for (const TagEntry& t : tagTable())
    if (t.EndSy == endSy) return t.StartSy;
  return UnknownSy;
}

Symb endOf(Symb startSy) {
  for (const TagEntry& t : tagTable())
    if (t.StartSy == startSy) return t.EndSy;
  return UnknownSy;
}

std::string tagLower(Symb sy) { return lowerAscii(tagName(sy)); }

bool isBlankText(const std::u16string& s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c == u' '; });
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) {
    if (!out.empty()) out += "\r\n";
    out += l;
  }
  return out;
}

// "left", "center", "right", "justify" from an ALIGN value ("middle" is centre); empty for anything else.
std::string alignHint(std::string_view value) {
  const std::string v = lowerAscii(trimAscii(value));
  if (v == "left" || v == "center" || v == "right" || v == "justify") return v;
  if (v == "middle") return "center";
  return {};
}

int VAlignCode(std::string_view value) {
  const std::string v = lowerAscii(trimAscii(value));
  if (v == "top") return 1;
  if (v == "middle") return 2;
  if (v == "baseline") return 3;
  if (v == "bottom") return 4;
  return 0;
}

TAttributeList THtmlParser::attrs() const {
  TAttributeList out;
  out.reserve(L.Attributes.count());
  for (size_t i = 0; i < L.Attributes.count(); ++i) {
    const TAttribute& a = L.Attributes[i];
    TAttribute& n = out.addNew();
    n = a;
    if (a.CodePage != kUtf8CodePage && a.CodePage != 0) {
      n.Name = wideToUtf8(toWide(a.Name, a.CodePage));
      n.CodePage = kUtf8CodePage;
    }
  }
  return out;
}

bool THtmlParser::push(std::string_view Tag, const TAttributeList* A, std::string_view Pseudo, bool Inline) {
  if (Stack.count() >= kMaxPropStack) return false;
  std::unique_ptr<TProperties> p = Stack.newEntry();
  p->InheritFrom(Tag, Stack.last());
  static const TAttributeList kNone;
  const TAttributeList& a = A ? *A : kNone;
  p->ApplyRules(Doc.Styles, Stack, Stack.count() - 1, Tag, a.theClass(), a.theID(), Pseudo, a.theTitle(),
                parseStyleAttribute(a));
  TProperties& pushed = Stack.push(std::move(p));
  if (Inline && pushed.BorderStyleCode() != 0) {
    TInlineRec rec;
    rec.StartB = L.TagPos;
    rec.PropSerial = pushed.serialNumber();
    rec.BorderStyle = pushed.BorderStyleCode();
    if (const int* bg = std::get_if<int>(&pushed.prop(BackgroundColor))) rec.BackgroundColor = *bg;
    TVMarginArray box;
    getVMarginArray(pushed, box);
    TMarginArray values;
    InlineBoxValues(box, 200, pushed.EmSize, pushed.ExSize, values);
    static constexpr int kWidth[] = {BorderLeftWidth, BorderTopWidth, BorderRightWidth, BorderBottomWidth};
    static constexpr int kPadding[] = {PaddingLeft, PaddingTop, PaddingRight, PaddingBottom};
    static constexpr int kStyle[] = {BorderLeftStyle, BorderTopStyle, BorderRightStyle, BorderBottomStyle};
    static constexpr int kColor[] = {BorderLeftColor, BorderTopColor, BorderRightColor, BorderBottomColor};
    for (size_t i = 0; i < 4; ++i) {
      rec.Widths[i] = std::max(0, values[kWidth[i]]);
      rec.Paddings[i] = std::max(0, values[kPadding[i]]);
      rec.Styles[i] = box.integer(kStyle[i]) ? *box.integer(kStyle[i]) : 0;
      const int* c = box.integer(kColor[i]);
      rec.Colors[i] = c && *c != kColorNone ? *c : pushed.colorValue();
    }
    Doc.InlineList.push_back(rec);
  }
  return true;
}

void THtmlParser::popAProp(std::string_view Tag) {
  for (size_t i = Stack.count() - 1; i >= 1; --i) {
    if (Stack[i].PropTag != Tag) continue;
    const uint64_t serial = Stack[i].serialNumber();
    for (auto it = Doc.InlineList.rbegin(); it != Doc.InlineList.rend(); ++it) {
      if (it->PropSerial == serial && it->EndB < 0) {
        it->EndB = L.TagPos;
        break;
      }
    }
    Stack.erase(i);
    for (size_t j = i; j < Stack.count(); ++j) Stack[j].Reinherit(Stack[j - 1]);
    return;
  }
}

void THtmlParser::newSection(const TAttributeList* A, bool FirstInBlock) {
  sectionClose();
  if (Mode.InPreChars) Section = std::make_unique<TPreFormated>(SectionList, Top(), LinkOpen ? CurrentUrlTarget : nullptr);
  else Section = std::make_unique<TSection>(SectionList, A, Top(), LinkOpen ? CurrentUrlTarget : nullptr, FirstInBlock);
  Section->NoBreak = Mode.NoBreak;
}

void THtmlParser::addText(const TokenObj& Token) {
  if (!Section) {
    if (Token.count() == 1 && Token.S()[0] == u' ') return;
    newSection();
  }
  Section->NoBreak = Mode.NoBreak;
  TProperties& top = Top();
  const std::string* variant = std::get_if<std::string>(&top.prop(FontVariant));
  if (variant && lowerAscii(*variant) == "small-caps") {
    TProperties small;
    small.InheritFrom("small", top);
    small.ApplyRules(Doc.Styles, Stack, Stack.count() - 1, "small", "", "", "", "", nullptr);
    Section->AppendToken(Token, top, &small);
  } else {
    Section->AppendToken(Token, top);
  }
}

void THtmlParser::endLink() {
  if (!LinkOpen) return;
  // Every run of the link shares this target, so they all learn where it ends.
  CurrentUrlTarget->last = L.TagPos;
  CurrentUrlTarget.reset();
  LinkOpen = false;
}

// --- The body procedure ---

void THtmlParser::doBody(const TSymbSet& Term) {
  while (L.Sy != EofSy && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb sy = L.Sy;
    switch (sy) {
      case TitleSy: doTitle(); break;
      case BodySy: doBodyTag(); break;
      case PSy: doP(Term); break;
      case BaseSy: {
        const TAttributeList a = attrs();
        if (const TAttribute* h = a.find(HrefSy)) Doc.BaseUrl = h->Name;
        if (const TAttribute* t = a.find(TargetSy)) Doc.BaseTarget = t->Name;
        Next();
        break;
      }
      case LiSy: doListItem(TListKind::None, 1, false, '1', Term); break;
      case DDSy:
      case DTSy: doListItem(TListKind::Definition, 1, false, '1', Term); break;
      case LinkSy: doLinkTag(); break;
      case FormEndSy:
        CurrentForm = nullptr;
        Next();
        break;
      case BgSoundSy: doBgSound(); break;
      case MetaSy: doMeta(); break;
      case StyleSy: doStyle(); break;
      default:
        if (flowGroup()[sy]) doInline(Term);
        else if (listGroup()[sy]) doLists(Term);
        else if (divisionGroup()[sy]) doDivision(Term);
        else Next();
        break;
    }
    // Every branch consumes what it handles; one that stopped at a symbol it cannot take must not stall here.
    if (tokens_ == before && L.Sy != EofSy && !Term[L.Sy]) Next();
  }
}

void THtmlParser::doTitle() {
  std::u16string title;
  Next();
  while (L.Sy == TextSy) {
    title += L.Token.S();
    Next();
  }
  Doc.Title = title;
}

void THtmlParser::doBodyTag() {
  const bool empty = Body->MyCell->Items.empty() && !(Section && !Section->isBlank());
  if (BodySeen || !empty || Depth.Table > 0) {
    Next();
    return;
  }
  BodySeen = true;
  dropSection();
  const TAttributeList a = attrs();
  push("body", &a);
  TProperties& p = Top();
  int marginWidth = Doc.MarginWidth, marginHeight = Doc.MarginHeight;
  for (size_t i = 0; i < a.count(); ++i) {
    const TAttribute& at = a[i];
    TColor c;
    switch (at.Which) {
      case TextAttrSy:
        if (ParseColor(at.Name, false, c)) p.AssignHint(c, Color);
        break;
      case BgColorSy:
        if (ParseColor(at.Name, false, c)) p.AssignHint(c, BackgroundColor);
        break;
      case BackgroundSy: p.AssignHint("url(" + at.Name + ")", BackgroundImage); break;
      case BgPropertiesSy:
        if (lowerAscii(at.Name) == "fixed") p.AssignHint(std::string("fixed"), BackgroundAttachment);
        break;
      case LinkAttrSy:
        if (ParseColor(at.Name, false, c)) Doc.Styles.SetLinkColor("link", c);
        break;
      case VLinkSy:
        if (ParseColor(at.Name, false, c)) Doc.Styles.SetLinkColor("visited", c);
        break;
      case OLinkSy:
        if (ParseColor(at.Name, false, c)) {
          Doc.Styles.SetLinkColor("hover", c);
          Doc.HoverTracking = true;
        }
        break;
      case MarginWidthSy:
      case LeftMarginSy: marginWidth = std::clamp(at.Value, 0, 200); break;
      case MarginHeightSy:
      case TopMarginSy: marginHeight = std::clamp(at.Value, 0, 200); break;
      default: break;
    }
  }
  p.AssignHint(marginWidth, MarginLeft);
  p.AssignHint(marginWidth, MarginRight);
  p.AssignHint(marginHeight, MarginTop);
  p.AssignHint(marginHeight, MarginBottom);
  if (const int* bg = std::get_if<int>(&p.prop(BackgroundColor)); bg && *bg != kColorNone) Doc.SetBackgroundColor(*bg);
  if (const std::string url = p.BackgroundImageUrl(); !url.empty()) {
    TBackgroundPosition h, v;
    backgroundPositionOf(p, p.EmSize, p.ExSize, h, v);
    Doc.SetBackgroundImage(url, h, v);
  }
  // The new body takes the old one's place.
  auto body = std::make_unique<TBodyBlock>(&Doc, p, &a);
  TBodyBlock* old = Body;
  Body = body.get();
  Doc.BodyBlock = Body;
  for (auto& item : Doc.Items) {
    if (item.get() == old) {
      Doc.IDNameList.removeObject(old);
      item = std::move(body);
      break;
    }
  }
  SectionList = Body->MyCell.get();
  Next();
  newSection();
}

void THtmlParser::doP(const TSymbSet& Term) {
  if (Term[PSy]) return;
  if (BlockCount >= BlockLimit) return skipBlockTag();
  sectionClose();
  TAttributeList a = attrs();
  Next();
  skipSpaces();
  while (L.Sy == PSy || L.Sy == PEndSy) {
    if (L.Sy == PSy) a = attrs();
    Next();
    skipSpaces();
  }
  const bool pushed = push("p", &a);
  if (pushed) Hint(a);
  TCellBasic* parent = SectionList;
  TBlock* b = enterBlock(&a);
  newSection();
  TSymbSet term = Term;
  term.set(PSy);
  while (L.Sy != EofSy && inlineGroup()[L.Sy] && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    if (L.Sy == UnknownSy) Next();
    else doInline(term);
    if (tokens_ == before) break;
  }
  if (L.Sy == TableSy) {
    b->BottomMargin = 0;
    b->BottomIsParagraph = false;
  }
  sectionClose();
  if (pushed) popAProp("p");
  SectionList = parent;
  if (L.Sy == PEndSy) Next();
}

// --- Inline content ---

void THtmlParser::doInline(const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (isSimpleInline(sy)) {
    if (sy == SubSy || sy == SupSy || sy == BigSy || sy == SmallSy) ensureSection();
    const TAttributeList a = attrs();
    push(tagLower(sy), &a, {}, true);
    changeFont();
    advance();
    return;
  }
  if (isEndTag(sy) && isSimpleInline(startOf(sy))) {
    popAProp(tagLower(sy));
    changeFont();
    advance();
    return;
  }
  switch (sy) {
    case FontSy:
    case BaseFontSy: doFontTag(false); break;
    case FontEndSy:
      popAProp("font");
      changeFont();
      advance();
      break;
    case BrSy: doBr(); break;
    case HSy: doHeading(Term); break;
    case HrSy: doHr(); break;
    case PreSy:
      if (L.Attributes.find(WrapSy)) {
        const TAttributeList a = attrs();
        push("pre", &a);
        changeFont();
        Next();
      } else {
        doPre();
      }
      break;
    case PreEndSy:
      popAProp("pre");
      changeFont();
      Next();
      break;
    case ImgSy:
    case PanelSy: {
      ensureSection();
      const TAttributeList a = attrs();
      const bool pushed = push(tagLower(sy), &a, {}, true);
      if (sy == ImgSy) {
        Section->InsertImage(a, Top(), L.TagPos);
      } else {
        auto panel = std::make_unique<TPanelObj>(&Doc, 0, a, false);
        Section->InsertPanel(std::move(panel), Top(), L.TagPos);
      }
      if (pushed) popAProp(tagLower(sy));
      advance();
      break;
    }
    case ASy: doAnchor(); break;
    case AEndSy:
      endLink();
      popAProp("a");
      changeFont();
      advance();
      break;
    case TextSy:
      addText(L.Token);
      Next();
      break;
    case TableSy: doTable(Term); break;
    case InputSy:
    case SelectSy:
    case TextAreaSy: doFormControl(); break;
    case MapSy: doMap(); break;
    case PageSy:
      sectionClose();
      SectionList->add(std::make_unique<TPage>(&Doc), L.TagPos);
      advance();
      break;
    case ScriptSy: doScript(); break;
    case NoBrSy:
    case NoBrEndSy:
      Mode.NoBreak = sy == NoBrSy;
      if (Section) Section->NoBreak = Mode.NoBreak;
      advance();
      break;
    case WbrSy:
      if (Section) Section->markWordBreak();
      advance();
      break;
    case ObjectSy: doObject(); break;
    default: advance(); break;
  }
}

void THtmlParser::doHeading(const TSymbSet& Term) {
  const int level = L.HeadingLevel;
  if (level < 1 || level > 6 || Depth.Block >= kMaxBlockNesting) {
    Next();
    return;
  }
  if (BlockCount >= BlockLimit) return skipBlockTag();
  const TNesting nesting(Depth.Block);
  sectionClose();
  const TAttributeList a = attrs();
  const std::string tag = "h" + std::to_string(level);
  const bool pushed = push(tag, &a);
  if (pushed) Hint(a);
  Next();
  skipSpaces();
  if (L.Sy == CenterSy) {
    if (pushed) Top().setProp(TextAlign, std::string("center"));
    Next();
  }
  TCellBasic* parent = SectionList;
  enterBlock(&a);
  newSection();
  while (L.Sy != EofSy && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb sy = L.Sy;
    if (sy == PSy) doP(Term);
    else if (sy == UnknownSy) Next();
    else if (sy == DivSy) doDivision(Term);
    else if ((inlineGroup()[sy] && sy != MapSy && sy != PageSy) || sy == HrSy) doInline(Term);
    else break;
    if (tokens_ == before) break;
  }
  sectionClose();
  if (pushed) popAProp(tag);
  SectionList = parent;
  if (L.Sy == HEndSy) Next();
}

void THtmlParser::doBr() {
  const TAttributeList a = attrs();
  const auto pageBreak = [&] {
    bool before = false, after = false, avoid = false;
    Top().PageBreaks(before, after, avoid);
    return before || after;
  };
  if (a.find(ClearSy)) {
    sectionClose();
    newSection(&a, false);
    bool breaks = false;
    if (push("br", &a)) {
      breaks = pageBreak();
      pop();
    }
    if (breaks) {
      sectionClose();
      SectionList->add(std::make_unique<TPage>(&Doc), L.TagPos);
      newSection(nullptr, false);
    }
  } else {
    if (keepLineInSection(L.TagPos)) return advance();
    ensureSection();
    Section->AppendChar(kLineBreakCode, L.TagPos, Top());
    sectionClose();
    bool breaks = false;
    if (push("br", &a)) {
      breaks = pageBreak();
      pop();
    }
    if (breaks) SectionList->add(std::make_unique<TPage>(&Doc), L.TagPos);
    newSection(nullptr, false);
  }
  advance();
}

void THtmlParser::doHr() {
  if (BlockCount >= BlockLimit) return skipBlockTag();
  ++BlockCount;
  sectionClose();
  const TAttributeList a = attrs();
  if (push("hr", &a)) {
    if (const TAttribute* size = a.find(SizeSy); size && size->Value >= 1 && size->Value <= 20)
      Top().AssignHint(size->Value, Height);
    auto block = std::make_unique<THRBlock>(SectionList, Top(), &a);
    auto line = std::make_unique<THorzLine>(&Doc, a, Top());
    block->Align = line->Align;
    block->MyCell->Items.push_back(std::move(line));
    addBlock(std::move(block));
    pop();
  }
  advance();
}

// --- Lists ---

void THtmlParser::doLists(const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (Depth.Block >= kMaxBlockNesting) {
    Next();
    return;
  }
  if (BlockCount >= BlockLimit) return skipBlockTag();
  const TNesting nesting(Depth.Block);
  const TAttributeList a = attrs();
  int start = 1;
  char type = '1';
  bool plain = false;
  if (sy == OLSy) {
    if (const TAttribute* s = a.find(StartSy); s && s->Value >= 0) start = s->Value;
    if (const TAttribute* t = a.find(TypeSy); t && !t->Name.empty()) type = t->Name[0];
  } else if (sy == ULSy) {
    const TAttribute* t = a.find(TypeSy);
    const std::string tv = t ? lowerAscii(t->Name) : std::string();
    plain = a.find(PlainSy) != nullptr || tv == "none" || tv == "plain";
  }
  sectionClose();
  const std::string tag = tagLower(sy);
  const bool pushed = push(tag, &a);
  TCellBasic* parent = SectionList;
  TBlock* b = enterBlock(&a);
  Next();
  static const TSymbSet kListEnds = syms({OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, BlockQuoteEndSy});
  if (kListEnds[L.Sy]) {
    if (pushed) popAProp(tag);
    SectionList = parent;
    return;
  }
  const bool counts = sy == OLSy || sy == ULSy || sy == DirSy || sy == MenuSy;
  const TKeep keepLevel(Mode.ListLevel);
  if (counts) ++Mode.ListLevel;
  const Symb endSy = endOf(sy);
  // The list takes item tags as its own, whatever an enclosing item was waiting for.
  TSymbSet term = Term;
  term.reset(LiSy);
  term.reset(DDSy);
  term.reset(DTSy);
  term.set(endSy);
  const TListKind kind = sy == OLSy ? TListKind::Ordered
                         : (sy == ULSy || sy == DirSy || sy == MenuSy) ? TListKind::Unordered
                         : sy == DLSy ? TListKind::Definition
                                      : TListKind::None;
  static const TSymbSet kItemEnds = syms({OLEndSy, LiSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, DDSy, DTSy});
  int number = start;
  while (L.Sy != EofSy && !term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb s = L.Sy;
    if (s == PSy) {
      doP(term);
    } else if (flowGroup()[s]) {
      doInline(term);
    } else if (listGroup()[s]) {
      doLists(term);
      if (L.Sy == endOf(s)) Next();
    } else if (s == LiSy || s == DDSy || s == DTSy) {
      if (s == LiSy) {
        if (const TAttribute* v = L.Attributes.find(ValueSy); v && v->Value != 0) number = v->Value;
      }
      doListItem(kind, number, plain, type, term);
      if (number < std::numeric_limits<int>::max()) ++number;
    } else if (s == AddressSy || s == BlockQuoteSy) {
      doDivision(term);
    } else if (s == CenterSy || s == FormSy || s == DivSy) {
      doDivision(term | kItemEnds);
    } else {
      Next();
    }
    if (tokens_ == before && L.Sy != EofSy && !term[L.Sy]) Next();
  }
  sectionClose();
  b->takeTrailingParagraphMargin();
  if (pushed) popAProp(tag);
  SectionList = parent;
}

void THtmlParser::doListItem(TListKind Kind, int Number, bool Plain, char Type, const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (Depth.Block >= kMaxBlockNesting) {
    Next();
    return;
  }
  if (BlockCount >= BlockLimit) return skipBlockTag();
  const TNesting nesting(Depth.Block);
  sectionClose();
  const TAttributeList a = attrs();
  const std::string tag = tagLower(sy);
  const bool pushed = push(tag, &a);
  TCellBasic* parent = SectionList;
  TBlockLI* b = enterBlock<TBlockLI>(&a, Kind, tag, Mode.ListLevel, Number, Plain, Type);
  newSection();
  Next();
  skipSpaces();
  static const TSymbSet kItemTerm = syms({LiSy, DDSy, DTSy});
  const TSymbSet term = Term | kItemTerm;
  while (L.Sy != EofSy && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb s = L.Sy;
    if (s == PSy && Kind != TListKind::None) doP(term);
    else if (s == PEndSy || s == UnknownSy) Next();
    else if (flowGroup()[s] && s != HEndSy && s != HrSy && s != PreSy) doInline(term);
    else if (listGroup()[s]) {
      doLists(term);
      if (L.Sy == endOf(s)) Next();
    } else if (divisionGroup()[s]) doDivision(term);
    else break;
    if (tokens_ == before) break;
  }
  if (b->MyCell->Items.empty() && !(Section && !Section->isBlank())) {
    ensureSection();
    Section->AppendChar(kNoBreakSpace, L.TagPos, Top());
  }
  sectionClose();
  b->takeTrailingParagraphMargin();
  if (pushed) popAProp(tag);
  SectionList = parent;
}

// --- Divisions ---

void THtmlParser::doDivision(const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (Depth.Block >= kMaxBlockNesting) {
    Next();
    return;
  }
  if (BlockCount >= BlockLimit) return skipBlockTag();
  const TNesting nesting(Depth.Block);
  switch (sy) {
    case AddressSy:
    case BlockQuoteSy: {
      sectionClose();
      doLists(Term | syms({AddressEndSy, BlockQuoteEndSy}));
      if (L.Sy == AddressEndSy || L.Sy == BlockQuoteEndSy) Next();
      break;
    }
    case CenterSy: {
      sectionClose();
      const TAttributeList a = attrs();
      const bool pushed = push("center", &a);
      Next();
      doBody(Term | syms({CenterEndSy}));
      sectionClose();
      if (pushed) popAProp("center");
      if (L.Sy == CenterEndSy) Next();
      break;
    }
    case FormSy:
      while (L.Sy == FormSy) {
        sectionClose();
        const TAttributeList a = attrs();
        const bool pushed = push("form", &a);
        TCellBasic* parent = SectionList;
        TBlock* b = enterBlock(&a);
        CurrentForm = &ThtmlForm::Create(&Doc, &a);
        Next();
        doBody(Term | syms({FormSy, FormEndSy}));
        sectionClose();
        if (pushed) popAProp("form");
        b->takeTrailingParagraphMargin();
        SectionList = parent;
        if (L.Sy == FormEndSy) {
          CurrentForm = nullptr;
          Next();
        }
      }
      break;
    case DivSy: {
      sectionClose();
      const TAttributeList a = attrs();
      const bool pushed = push("div", &a);
      if (pushed) Hint(a);
      TCellBasic* parent = SectionList;
      TBlock* b = enterBlock(&a);
      newSection();
      Next();
      doBody(Term | syms({DivEndSy}));
      sectionClose();
      if (pushed) popAProp("div");
      b->takeTrailingParagraphMargin();
      SectionList = parent;
      if (L.Sy == DivEndSy) Next();
      break;
    }
    default: Next(); break;
  }
}

// --- Links, fonts, controls, maps, scripts, objects ---

void THtmlParser::doAnchor() {
  const TAttributeList a = attrs();
  const TAttribute* href = a.find(HrefSy);
  if (href) {
    endLink();
    CurrentUrlTarget = std::make_shared<TUrlTarget>();
    CurrentUrlTarget->Url = href->Name;
    CurrentUrlTarget->Target = attrText(a, TargetSy);
    CurrentUrlTarget->ID = Doc.nextLinkSerial();
    CurrentUrlTarget->Attr = joinLines(a.asStrings());
    CurrentUrlTarget->Start = L.TagPos;
    if (const TAttribute* t = a.find(TabIndexSy)) CurrentUrlTarget->TabIndex = t->Value;
    LinkOpen = true;
  }
  push("a", &a, href ? "link" : "", true);
  if (!Section) newSection();
  else changeFont();
  // A positive TABINDEX puts the link's first run in the keyboard order, unless links take no focus at all.
  if (href && CurrentUrlTarget->TabIndex > 0 && !Doc.TooManyLinks && !Section->Fonts.empty())
    Doc.addTabOrder(CurrentUrlTarget->TabIndex, {nullptr, Section->Fonts.back().get()});
  if (const TAttribute* n = a.find(NameSy)) {
    std::string name = n->Name;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!name.empty() && name[0] == '#') name.erase(0, 1);
    Doc.IDNameList.addChPosObject(&Doc, name, L.TagPos);
    Section->AnchorName = true;
  }
  advance();
}

void THtmlParser::doFontTag(bool InPre) {
  const bool isBase = L.Sy == BaseFontSy;
  const TAttributeList a = attrs();
  std::optional<int> size;
  std::string face;
  std::optional<TColor> color;
  std::optional<CharSetCodePage> charSet;
  for (size_t i = 0; i < a.count(); ++i) {
    const TAttribute& at = a[i];
    switch (at.Which) {
      case SizeSy: {
        long long relative = at.Value;  // wide: the attribute may hold any int
        const std::string t(trimAscii(at.Name));
        if (t.size() > 1 && (t[0] == '+' || t[0] == '-')) relative += BaseFontSize;
        const int v = static_cast<int>(std::clamp<long long>(relative, 1, 7));
        size = v;
        if (isBase) BaseFontSize = v;
        break;
      }
      case FaceSy:
        if (!isBase) face = resolveFontFamily(at.Name, Doc.Styles.Fonts, "");
        break;
      case ColorSy: {
        TColor c;
        if (ParseColor(at.Name, false, c)) color = c;
        break;
      }
      case CharSetSy:
        if (!L.BomSeen) {
          if (const auto cs = findCharSet(lowerAscii(at.Name)))
            charSet = charSetNameToCodePage(*cs, Top().CodePage(), L.SystemCodePage);
        }
        break;
      default: break;
    }
  }
  if (push("font", &a, {}, true)) {
    TProperties& p = Top();
    if (color) p.AssignHint(*color, Color);
    if (size) p.AssignHint(htmlFontSizePoints(*size, InPre, Doc.DefFontSize), FontSize);
    if (!face.empty()) p.AssignHint(face, FontFamily);
    if (charSet) p.SetCharSet(static_cast<uint8_t>(charSet->CharSet), charSet->CodePage);
  }
  changeFont();
  advance();
}

void THtmlParser::doMeta() {
  const TAttributeList a = attrs();
  const std::string httpEq = attrText(a, HttpEquivSy);
  const std::string name = attrText(a, NameSy);
  const std::string content = attrText(a, ContentSy);
  if (!L.BomSeen && Doc.SingleDocViewer && lowerAscii(trimAscii(httpEq)) == "content-type") {
    if (const auto applied = L.applyContentType(content)) {
      Top().SetCharSet(static_cast<uint8_t>(applied->CharSet), applied->CodePage);
      L.TextCodePage = applied->CodePage;
    }
  }
  if (Doc.Events.OnMeta) Doc.Events.OnMeta(httpEq, name, content);
  Next();
}

void THtmlParser::doLinkTag() {
  const TAttributeList a = attrs();
  const std::string href = attrText(a, HrefSy);
  const std::string rel = attrText(a, RelSy);
  const std::string rev = attrText(a, RevSy);
  if (lowerAscii(trimAscii(rel)) == "stylesheet" && !href.empty()) {
    try {
      const std::string url = Doc.ExpandName(href);
      const std::optional<std::string> sheet = Doc.readResource(url, TResourceKind::StyleSheet);
      if (sheet && !sheet->empty()) {
        std::string text;
        text.reserve(sheet->size());
        for (size_t i = 0; i < sheet->size(); ++i) {
          const char c = (*sheet)[i];
          if (c == '\r') {
            text += "\r\n";
            if (i + 1 < sheet->size() && (*sheet)[i + 1] == '\n') ++i;
          } else if (c == '\n') {
            text += "\r\n";
          } else {
            text += c;
          }
        }
        readLinkedStyleSheet(Doc.Styles, text, url::GetURLBase(url));
      }
    } catch (const std::exception&) {
      // A sheet that cannot be read or parsed leaves the page's styles as they are.
    }
  }
  if (Doc.Events.OnLink) Doc.Events.OnLink(rel, rev, href);
  Next();
}

void THtmlParser::doBgSound() {
  const TAttributeList a = attrs();
  if (Doc.Events.OnSoundRequest) {
    if (const TAttribute* src = a.find(SrcSy)) {
      const TAttribute* loop = a.find(LoopSy);
      Doc.Events.OnSoundRequest(src->Name, loop ? loop->Value : 1, false);
    }
  }
  Next();
}

void THtmlParser::doStyle() {
  readStyleElement(Doc.Styles, L);
  Next();  // the end tag, skipped by the body loop
}

// --- Entry points ---

// The start of every parse: the text in the lexer, the default rule as the stack's base, and the body block.
void THtmlParser::startDocument(std::string Text) {
  if (!Doc.Styles.find("default")) Doc.SetDefaults();
  BlockLimit = static_cast<int>(std::max<size_t>(static_cast<size_t>(std::max(0, Doc.MaxBlocks)),
                                                 std::min<size_t>(Text.size() / kBytesPerBlock, INT32_MAX)));
  const int codePage = documentDefaultCodePage(Text);
  L.SystemCodePage = codePage;
  L.setDocument(std::move(Text), codePage);
  Stack.Clear();
  auto base = std::make_unique<TProperties>(*Doc.Styles.find("default"));
  base->SetCharSet(base->CharSet, L.DocCodePage);
  Stack.push(std::move(base));
  auto body = std::make_unique<TBodyBlock>(&Doc, Stack[0], nullptr);
  Body = body.get();
  Doc.BodyBlock = Body;
  Doc.Items.push_back(std::move(body));
  SectionList = Body->MyCell.get();
}

void THtmlParser::parseHtml(std::string Text) {
  startDocument(std::move(Text));
  newSection();

  // Counting pass: tags with HREF decide whether links take part in keyboard focus.
  int hrefTags = 0;
  try {
    L.CountingPass = true;
    L.begin();
    for (L.NextToken(); L.Sy != EofSy && hrefTags <= kTooManyLinks; L.NextToken()) {
      if (L.Sy != TextSy && !isEndTag(L.Sy) && L.Attributes.find(HrefSy)) ++hrefTags;
      if ((L.Sy == ScriptSy || L.Sy == StyleSy) && L.LCh == '>') L.NextChar();
    }
  } catch (const std::exception&) {
  }
  L.CountingPass = false;
  Doc.TooManyLinks = hrefTags > kTooManyLinks;

  // Includes take part in the building pass only.
  L.OnInclude = Doc.Events.OnInclude;
  L.OnProgress = Doc.Events.OnParseProgress;
  L.OnIdAttribute = [this](const std::string& id, int pos) { Doc.IDNameList.addChPosObject(&Doc, id, pos); };
  try {
    L.begin();
    Next();
    doBody({});
  } catch (const std::exception&) {
    // What was built stays.
  }
  sectionClose();
  L.OnIdAttribute = nullptr;
  Stack.Clear();
}

void THtmlParser::parsePlain(std::string Text) {
  startDocument(std::move(Text));
  try {
    L.PlainText = true;
    L.begin();
    push("pre", nullptr);
    enterBlock(nullptr);
    Mode.InPreChars = true;
    newSection();
    while (L.LCh != '\0') {
      if (L.LCh == '\r') {
        if (!keepLineInSection(L.LCPos)) {
          sectionClose();
          newSection();
        }
        L.NextChar();
        continue;
      }
      if (static_cast<unsigned char>(L.LCh) < 9) L.LCh = '?';
      const int cp = Top().CodePage();
      L.TextCodePage = cp > 0 ? cp : L.DocCodePage;
      L.nextPreformattedText();
      if (L.Token.count() > 0) Section->AppendToken(L.Token, Top());
    }
  } catch (const std::exception&) {
  }
  // A final line end does not start another line.
  if (Section && Section->Buff.empty() && !SectionList->Items.empty()) dropSection();
  sectionClose();
  Stack.Clear();
}

void ParseHtmlText(std::string Text, TSectionList& Document) {
  THtmlParser parser(Document);
  parser.parseHtml(std::move(Text));
}

void ParsePlainText(std::string Text, TSectionList& Document) {
  THtmlParser parser(Document);
  parser.parsePlain(std::move(Text));
}

}  // namespace lumora::html