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

TSymbSet Syms(std::initializer_list<Symb> list) {
  TSymbSet s;
  for (Symb sy : list) s.set(sy);
  return s;
}

const TSymbSet& InlineGroup() {
  static const TSymbSet s = Syms(
      {BSy, BEndSy, ISy, IEndSy, BrSy, EmSy, EmEndSy, StrongSy, StrongEndSy, USy, UEndSy, CiteSy, CiteEndSy, VarSy,
       VarEndSy, TTSy, TTEndSy, CodeSy, CodeEndSy, KbdSy, KbdEndSy, SampSy, SampEndSy, ImgSy, ASy, AEndSy, InputSy,
       TextAreaSy, TextAreaEndSy, SelectSy, FontSy, FontEndSy, BaseFontSy, SubSy, SubEndSy, SupSy, SupEndSy, BigSy,
       BigEndSy, SmallSy, SmallEndSy, MapSy, PageSy, ScriptSy, ScriptEndSy, SSy, SEndSy, StrikeSy, StrikeEndSy,
       PanelSy, NoBrSy, NoBrEndSy, WbrSy, SpanSy, SpanEndSy, LabelSy, LabelEndSy, ObjectSy, ObjectEndSy, TextSy,
       UnknownSy});
  return s;
}

const TSymbSet& FlowGroup() {
  static const TSymbSet s = InlineGroup() | Syms({HSy, HEndSy, HrSy, PreSy, PreEndSy, TableSy});
  return s;
}

const TSymbSet& ListGroup() {
  static const TSymbSet s = Syms({OLSy, ULSy, DirSy, MenuSy, DLSy});
  return s;
}

const TSymbSet& DivisionGroup() {
  static const TSymbSet s = Syms({AddressSy, BlockQuoteSy, CenterSy, FormSy, DivSy});
  return s;
}

const TSymbSet& CellTerminators() {
  // Row groups end a cell too: pages leave cells open before THEAD, TBODY and TFOOT as often as before TR.
  static const TSymbSet s = Syms({TableEndSy, TDSy, TDEndSy, TRSy, TREndSy, THSy, THEndSy, CaptionSy, CaptionEndSy,
                                  ColSy, ColGroupSy, THeadSy, TBodySy, TFootSy, THeadEndSy, TBodyEndSy, TFootEndSy});
  return s;
}

// Inline elements that only push and pop a property set named after the tag.
bool IsSimpleInline(Symb sy) {
  switch (sy) {
    case BSy: case ISy: case EmSy: case StrongSy: case USy: case CiteSy: case VarSy: case SSy: case StrikeSy:
    case TTSy: case CodeSy: case KbdSy: case SampSy: case SpanSy: case LabelSy: case SubSy: case SupSy: case BigSy:
    case SmallSy:
      return true;
    default:
      return false;
  }
}

Symb StartOf(Symb endSy) {
  for (const TagEntry& t : TagTable())
    if (t.EndSy == endSy) return t.StartSy;
  return UnknownSy;
}

Symb EndOf(Symb startSy) {
  for (const TagEntry& t : TagTable())
    if (t.StartSy == startSy) return t.EndSy;
  return UnknownSy;
}

std::string TagLower(Symb sy) { return LowerAscii(TagName(sy)); }

bool IsBlankText(const std::u16string& s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c == u' '; });
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) {
    if (!out.empty()) out += "\r\n";
    out += l;
  }
  return out;
}

// "left", "center", "right", "justify" from an ALIGN value ("middle" is centre); empty for anything else.
std::string AlignHint(std::string_view value) {
  const std::string v = LowerAscii(TrimAscii(value));
  if (v == "left" || v == "center" || v == "right" || v == "justify") return v;
  if (v == "middle") return "center";
  return {};
}

int VAlignCode(std::string_view value) {
  const std::string v = LowerAscii(TrimAscii(value));
  if (v == "top") return 1;
  if (v == "middle") return 2;
  if (v == "baseline") return 3;
  if (v == "bottom") return 4;
  return 0;
}

TAttributeList THtmlParser::Attrs() const {
  TAttributeList out;
  out.Reserve(L.Attributes.Count());
  for (size_t i = 0; i < L.Attributes.Count(); ++i) {
    const TAttribute& a = L.Attributes[i];
    TAttribute& n = out.AddNew();
    n = a;
    if (a.CodePage != kUtf8CodePage && a.CodePage != 0) {
      n.Name = WideToUtf8(ToWide(a.Name, a.CodePage));
      n.CodePage = kUtf8CodePage;
    }
  }
  return out;
}

bool THtmlParser::Push(std::string_view Tag, const TAttributeList* A, std::string_view Pseudo, bool Inline) {
  if (Stack.Count() >= kMaxPropStack) return false;
  std::unique_ptr<TProperties> p = Stack.NewEntry();
  p->InheritFrom(Tag, Stack.Last());
  static const TAttributeList kNone;
  const TAttributeList& a = A ? *A : kNone;
  p->ApplyRules(Doc.Styles, Stack, Stack.Count() - 1, Tag, a.TheClass(), a.TheID(), Pseudo, a.TheTitle(),
                a.TheStyle());
  TProperties& pushed = Stack.Push(std::move(p));
  if (Inline && pushed.BorderStyleCode() != 0) {
    TInlineRec rec;
    rec.StartB = L.TagPos;
    rec.PropSerial = pushed.SerialNumber();
    rec.BorderStyle = pushed.BorderStyleCode();
    if (const int* bg = std::get_if<int>(&pushed.Prop(BackgroundColor))) rec.BackgroundColor = *bg;
    Doc.InlineList.push_back(rec);
  }
  return true;
}

void THtmlParser::PopAProp(std::string_view Tag) {
  for (size_t i = Stack.Count() - 1; i >= 1; --i) {
    if (Stack[i].PropTag != Tag) continue;
    const uint64_t serial = Stack[i].SerialNumber();
    for (auto it = Doc.InlineList.rbegin(); it != Doc.InlineList.rend(); ++it) {
      if (it->PropSerial == serial && it->EndB < 0) {
        it->EndB = L.TagPos;
        break;
      }
    }
    Stack.Erase(i);
    for (size_t j = i; j < Stack.Count(); ++j) Stack[j].Reinherit(Stack[j - 1]);
    return;
  }
}

void THtmlParser::NewSection(const TAttributeList* A, bool FirstInBlock) {
  SectionClose();
  if (InPreChars) Section = std::make_unique<TPreFormated>(SectionList, Top(), LinkOpen ? CurrentUrlTarget : nullptr);
  else Section = std::make_unique<TSection>(SectionList, A, Top(), LinkOpen ? CurrentUrlTarget : nullptr, FirstInBlock);
  Section->NoBreak = NoBreak;
}

void THtmlParser::AddText(const TokenObj& Token) {
  if (!Section) {
    if (Token.Count() == 1 && Token.S()[0] == u' ') return;
    NewSection();
  }
  Section->NoBreak = NoBreak;
  TProperties& top = Top();
  const std::string* variant = std::get_if<std::string>(&top.Prop(FontVariant));
  if (variant && LowerAscii(*variant) == "small-caps") {
    TProperties small;
    small.InheritFrom("small", top);
    small.ApplyRules(Doc.Styles, Stack, Stack.Count() - 1, "small", "", "", "", "", nullptr);
    Section->AppendToken(Token, top, &small);
  } else {
    Section->AppendToken(Token, top);
  }
}

void THtmlParser::EndLink() {
  if (!LinkOpen) return;
  // Every run of the link shares this target, so they all learn where it ends.
  CurrentUrlTarget->Last = L.TagPos;
  CurrentUrlTarget.reset();
  LinkOpen = false;
}

// --- The body procedure ---

void THtmlParser::DoBody(const TSymbSet& Term) {
  while (L.Sy != EofSy && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb sy = L.Sy;
    switch (sy) {
      case TitleSy: DoTitle(); break;
      case BodySy: DoBodyTag(); break;
      case PSy: DoP(Term); break;
      case BaseSy: {
        const TAttributeList a = Attrs();
        if (const TAttribute* h = a.Find(HrefSy)) Doc.BaseUrl = h->Name;
        if (const TAttribute* t = a.Find(TargetSy)) Doc.BaseTarget = t->Name;
        Next();
        break;
      }
      case LiSy: DoListItem(TListKind::None, 1, false, '1', Term); break;
      case DDSy:
      case DTSy: DoListItem(TListKind::Definition, 1, false, '1', Term); break;
      case LinkSy: DoLinkTag(); break;
      case FormEndSy:
        CurrentForm = nullptr;
        Next();
        break;
      case BgSoundSy: DoBgSound(); break;
      case MetaSy: DoMeta(); break;
      case StyleSy: DoStyle(); break;
      default:
        if (FlowGroup()[sy]) DoInline(Term);
        else if (ListGroup()[sy]) DoLists(Term);
        else if (DivisionGroup()[sy]) DoDivision(Term);
        else Next();
        break;
    }
    // Every branch consumes what it handles; one that stopped at a symbol it cannot take must not stall here.
    if (tokens_ == before && L.Sy != EofSy && !Term[L.Sy]) Next();
  }
}

void THtmlParser::DoTitle() {
  std::u16string title;
  Next();
  while (L.Sy == TextSy) {
    title += L.Token.S();
    Next();
  }
  Doc.Title = title;
}

void THtmlParser::DoBodyTag() {
  const bool empty = Body->MyCell->Items.empty() && !(Section && !Section->IsBlank());
  if (BodySeen || !empty || TableLevel > 0) {
    Next();
    return;
  }
  BodySeen = true;
  Section.reset();
  const TAttributeList a = Attrs();
  Push("body", &a);
  TProperties& p = Top();
  int marginWidth = Doc.MarginWidth, marginHeight = Doc.MarginHeight;
  for (size_t i = 0; i < a.Count(); ++i) {
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
        if (LowerAscii(at.Name) == "fixed") p.AssignHint(std::string("fixed"), BackgroundAttachment);
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
  if (const int* bg = std::get_if<int>(&p.Prop(BackgroundColor)); bg && *bg != kColorNone) Doc.SetBackgroundColor(*bg);
  if (const std::string url = p.BackgroundImageUrl(); !url.empty()) {
    TBackgroundPosition h, v;
    BackgroundPositionOf(p, p.EmSize, p.ExSize, h, v);
    Doc.SetBackgroundImage(url, h, v);
  }
  // The new body takes the old one's place.
  auto body = std::make_unique<TBodyBlock>(&Doc, p, &a);
  TBodyBlock* old = Body;
  Body = body.get();
  Doc.BodyBlock = Body;
  for (auto& item : Doc.Items) {
    if (item.get() == old) {
      Doc.IDNameList.RemoveObject(old);
      item = std::move(body);
      break;
    }
  }
  SectionList = Body->MyCell.get();
  Next();
  NewSection();
}

void THtmlParser::DoP(const TSymbSet& Term) {
  if (Term[PSy]) return;
  SectionClose();
  TAttributeList a = Attrs();
  Next();
  SkipSpaces();
  while (L.Sy == PSy || L.Sy == PEndSy) {
    if (L.Sy == PSy) a = Attrs();
    Next();
    SkipSpaces();
  }
  const bool pushed = Push("p", &a);
  if (pushed) Hint(a);
  TCellBasic* parent = SectionList;
  TBlock* b = EnterBlock(&a);
  NewSection();
  TSymbSet term = Term;
  term.set(PSy);
  while (L.Sy != EofSy && InlineGroup()[L.Sy] && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    if (L.Sy == UnknownSy) Next();
    else DoInline(term);
    if (tokens_ == before) break;
  }
  if (L.Sy == TableSy) {
    b->BottomMargin = 0;
    b->BottomIsParagraph = false;
  }
  SectionClose();
  if (pushed) PopAProp("p");
  SectionList = parent;
  if (L.Sy == PEndSy) Next();
}

// --- Inline content ---

void THtmlParser::DoInline(const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (IsSimpleInline(sy)) {
    if (sy == SubSy || sy == SupSy || sy == BigSy || sy == SmallSy) EnsureSection();
    const TAttributeList a = Attrs();
    Push(TagLower(sy), &a, {}, true);
    ChangeFont();
    Advance();
    return;
  }
  if (IsEndTag(sy) && IsSimpleInline(StartOf(sy))) {
    PopAProp(TagLower(sy));
    ChangeFont();
    Advance();
    return;
  }
  switch (sy) {
    case FontSy:
    case BaseFontSy: DoFontTag(false); break;
    case FontEndSy:
      PopAProp("font");
      ChangeFont();
      Advance();
      break;
    case BrSy: DoBr(); break;
    case HSy: DoHeading(Term); break;
    case HrSy: DoHr(); break;
    case PreSy:
      if (L.Attributes.Find(WrapSy)) {
        const TAttributeList a = Attrs();
        Push("pre", &a);
        ChangeFont();
        Next();
      } else {
        DoPre();
      }
      break;
    case PreEndSy:
      PopAProp("pre");
      ChangeFont();
      Next();
      break;
    case ImgSy:
    case PanelSy: {
      EnsureSection();
      const TAttributeList a = Attrs();
      const bool pushed = Push(TagLower(sy), &a, {}, true);
      if (sy == ImgSy) {
        Section->InsertImage(a, Top(), L.TagPos);
      } else {
        auto panel = std::make_unique<TPanelObj>(&Doc, 0, a, false);
        Section->InsertPanel(std::move(panel), Top(), L.TagPos);
      }
      if (pushed) PopAProp(TagLower(sy));
      Advance();
      break;
    }
    case ASy: DoAnchor(); break;
    case AEndSy:
      EndLink();
      PopAProp("a");
      ChangeFont();
      Advance();
      break;
    case TextSy:
      AddText(L.Token);
      Next();
      break;
    case TableSy: DoTable(Term); break;
    case InputSy:
    case SelectSy:
    case TextAreaSy: DoFormControl(); break;
    case MapSy: DoMap(); break;
    case PageSy:
      SectionClose();
      SectionList->Add(std::make_unique<TPage>(&Doc), L.TagPos);
      Advance();
      break;
    case ScriptSy: DoScript(); break;
    case NoBrSy:
    case NoBrEndSy:
      NoBreak = sy == NoBrSy;
      if (Section) Section->NoBreak = NoBreak;
      Advance();
      break;
    case WbrSy:
      if (Section) Section->MarkWordBreak();
      Advance();
      break;
    case ObjectSy: DoObject(); break;
    default: Advance(); break;
  }
}

void THtmlParser::DoHeading(const TSymbSet& Term) {
  const int level = L.HeadingLevel;
  if (level < 1 || level > 6 || BlockDepth >= kMaxBlockNesting) {
    Next();
    return;
  }
  ++BlockDepth;
  SectionClose();
  const TAttributeList a = Attrs();
  const std::string tag = "h" + std::to_string(level);
  const bool pushed = Push(tag, &a);
  if (pushed) Hint(a);
  Next();
  SkipSpaces();
  if (L.Sy == CenterSy) {
    if (pushed) Top().SetProp(TextAlign, std::string("center"));
    Next();
  }
  TCellBasic* parent = SectionList;
  EnterBlock(&a);
  NewSection();
  while (L.Sy != EofSy && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb sy = L.Sy;
    if (sy == PSy) DoP(Term);
    else if (sy == UnknownSy) Next();
    else if (sy == DivSy) DoDivision(Term);
    else if ((InlineGroup()[sy] && sy != MapSy && sy != PageSy) || sy == HrSy) DoInline(Term);
    else break;
    if (tokens_ == before) break;
  }
  SectionClose();
  if (pushed) PopAProp(tag);
  SectionList = parent;
  if (L.Sy == HEndSy) Next();
  --BlockDepth;
}

void THtmlParser::DoBr() {
  const TAttributeList a = Attrs();
  const auto pageBreak = [&] {
    bool before = false, after = false, avoid = false;
    Top().PageBreaks(before, after, avoid);
    return before || after;
  };
  if (a.Find(ClearSy)) {
    SectionClose();
    NewSection(&a, false);
    bool breaks = false;
    if (Push("br", &a)) {
      breaks = pageBreak();
      Pop();
    }
    if (breaks) {
      SectionClose();
      SectionList->Add(std::make_unique<TPage>(&Doc), L.TagPos);
      NewSection(nullptr, false);
    }
  } else {
    EnsureSection();
    Section->AppendChar(kLineBreakCode, L.TagPos, Top());
    SectionClose();
    bool breaks = false;
    if (Push("br", &a)) {
      breaks = pageBreak();
      Pop();
    }
    if (breaks) SectionList->Add(std::make_unique<TPage>(&Doc), L.TagPos);
    NewSection(nullptr, false);
  }
  Advance();
}

void THtmlParser::DoHr() {
  SectionClose();
  const TAttributeList a = Attrs();
  if (Push("hr", &a)) {
    if (const TAttribute* size = a.Find(SizeSy); size && size->Value >= 1 && size->Value <= 20)
      Top().AssignHint(size->Value, Height);
    auto block = std::make_unique<THRBlock>(SectionList, Top(), &a);
    auto line = std::make_unique<THorzLine>(&Doc, a, Top());
    block->Align = line->Align;
    block->MyCell->Items.push_back(std::move(line));
    AddBlock(std::move(block));
    Pop();
  }
  Advance();
}

// --- Lists ---

void THtmlParser::DoLists(const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (BlockDepth >= kMaxBlockNesting) {
    Next();
    return;
  }
  ++BlockDepth;
  const TAttributeList a = Attrs();
  int start = 1;
  char type = '1';
  bool plain = false;
  if (sy == OLSy) {
    if (const TAttribute* s = a.Find(StartSy); s && s->Value >= 0) start = s->Value;
    if (const TAttribute* t = a.Find(TypeSy); t && !t->Name.empty()) type = t->Name[0];
  } else if (sy == ULSy) {
    const TAttribute* t = a.Find(TypeSy);
    const std::string tv = t ? LowerAscii(t->Name) : std::string();
    plain = a.Find(PlainSy) != nullptr || tv == "none" || tv == "plain";
  }
  SectionClose();
  const std::string tag = TagLower(sy);
  const bool pushed = Push(tag, &a);
  TCellBasic* parent = SectionList;
  TBlock* b = EnterBlock(&a);
  Next();
  static const TSymbSet kListEnds = Syms({OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, BlockQuoteEndSy});
  if (kListEnds[L.Sy]) {
    if (pushed) PopAProp(tag);
    SectionList = parent;
    --BlockDepth;
    return;
  }
  const bool counts = sy == OLSy || sy == ULSy || sy == DirSy || sy == MenuSy;
  const int savedLevel = ListLevel;
  if (counts) ++ListLevel;
  const Symb endSy = EndOf(sy);
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
  static const TSymbSet kItemEnds = Syms({OLEndSy, LiSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, DDSy, DTSy});
  int number = start;
  while (L.Sy != EofSy && !term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb s = L.Sy;
    if (s == PSy) {
      DoP(term);
    } else if (FlowGroup()[s]) {
      DoInline(term);
    } else if (ListGroup()[s]) {
      DoLists(term);
      if (L.Sy == EndOf(s)) Next();
    } else if (s == LiSy || s == DDSy || s == DTSy) {
      if (s == LiSy) {
        if (const TAttribute* v = L.Attributes.Find(ValueSy); v && v->Value != 0) number = v->Value;
      }
      DoListItem(kind, number, plain, type, term);
      if (number < std::numeric_limits<int>::max()) ++number;
    } else if (s == AddressSy || s == BlockQuoteSy) {
      DoDivision(term);
    } else if (s == CenterSy || s == FormSy || s == DivSy) {
      DoDivision(term | kItemEnds);
    } else {
      Next();
    }
    if (tokens_ == before && L.Sy != EofSy && !term[L.Sy]) Next();
  }
  SectionClose();
  b->TakeTrailingParagraphMargin();
  if (pushed) PopAProp(tag);
  SectionList = parent;
  ListLevel = savedLevel;
  --BlockDepth;
}

void THtmlParser::DoListItem(TListKind Kind, int Number, bool Plain, char Type, const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (BlockDepth >= kMaxBlockNesting) {
    Next();
    return;
  }
  ++BlockDepth;
  SectionClose();
  const TAttributeList a = Attrs();
  const std::string tag = TagLower(sy);
  const bool pushed = Push(tag, &a);
  TCellBasic* parent = SectionList;
  TBlockLI* b = EnterBlock<TBlockLI>(&a, Kind, tag, ListLevel, Number, Plain, Type);
  NewSection();
  Next();
  SkipSpaces();
  static const TSymbSet kItemTerm = Syms({LiSy, DDSy, DTSy});
  const TSymbSet term = Term | kItemTerm;
  while (L.Sy != EofSy && !Term[L.Sy]) {
    const uint64_t before = tokens_;
    const Symb s = L.Sy;
    if (s == PSy && Kind != TListKind::None) DoP(term);
    else if (s == PEndSy || s == UnknownSy) Next();
    else if (FlowGroup()[s] && s != HEndSy && s != HrSy && s != PreSy) DoInline(term);
    else if (ListGroup()[s]) {
      DoLists(term);
      if (L.Sy == EndOf(s)) Next();
    } else if (DivisionGroup()[s]) DoDivision(term);
    else break;
    if (tokens_ == before) break;
  }
  if (b->MyCell->Items.empty() && !(Section && !Section->IsBlank())) {
    EnsureSection();
    Section->AppendChar(kNoBreakSpace, L.TagPos, Top());
  }
  SectionClose();
  b->TakeTrailingParagraphMargin();
  if (pushed) PopAProp(tag);
  SectionList = parent;
  --BlockDepth;
}

// --- Divisions ---

void THtmlParser::DoDivision(const TSymbSet& Term) {
  const Symb sy = L.Sy;
  if (BlockDepth >= kMaxBlockNesting) {
    Next();
    return;
  }
  ++BlockDepth;
  switch (sy) {
    case AddressSy:
    case BlockQuoteSy: {
      SectionClose();
      DoLists(Term | Syms({AddressEndSy, BlockQuoteEndSy}));
      if (L.Sy == AddressEndSy || L.Sy == BlockQuoteEndSy) Next();
      break;
    }
    case CenterSy: {
      SectionClose();
      const TAttributeList a = Attrs();
      const bool pushed = Push("center", &a);
      Next();
      DoBody(Term | Syms({CenterEndSy}));
      SectionClose();
      if (pushed) PopAProp("center");
      if (L.Sy == CenterEndSy) Next();
      break;
    }
    case FormSy:
      while (L.Sy == FormSy) {
        SectionClose();
        const TAttributeList a = Attrs();
        const bool pushed = Push("form", &a);
        TCellBasic* parent = SectionList;
        TBlock* b = EnterBlock(&a);
        CurrentForm = &ThtmlForm::Create(&Doc, &a);
        Next();
        DoBody(Term | Syms({FormSy, FormEndSy}));
        SectionClose();
        if (pushed) PopAProp("form");
        b->TakeTrailingParagraphMargin();
        SectionList = parent;
        if (L.Sy == FormEndSy) {
          CurrentForm = nullptr;
          Next();
        }
      }
      break;
    case DivSy: {
      SectionClose();
      const TAttributeList a = Attrs();
      const bool pushed = Push("div", &a);
      if (pushed) Hint(a);
      TCellBasic* parent = SectionList;
      TBlock* b = EnterBlock(&a);
      NewSection();
      Next();
      DoBody(Term | Syms({DivEndSy}));
      SectionClose();
      if (pushed) PopAProp("div");
      b->TakeTrailingParagraphMargin();
      SectionList = parent;
      if (L.Sy == DivEndSy) Next();
      break;
    }
    default: Next(); break;
  }
  --BlockDepth;
}

// --- Links, fonts, controls, maps, scripts, objects ---

void THtmlParser::DoAnchor() {
  const TAttributeList a = Attrs();
  const TAttribute* href = a.Find(HrefSy);
  if (href) {
    EndLink();
    CurrentUrlTarget = std::make_shared<TUrlTarget>();
    CurrentUrlTarget->Url = href->Name;
    CurrentUrlTarget->Target = AttrText(a, TargetSy);
    CurrentUrlTarget->ID = Doc.NextLinkSerial();
    CurrentUrlTarget->Attr = JoinLines(a.AsStrings());
    CurrentUrlTarget->Start = L.TagPos;
    if (const TAttribute* t = a.Find(TabIndexSy)) CurrentUrlTarget->TabIndex = t->Value;
    LinkOpen = true;
  }
  Push("a", &a, href ? "link" : "", true);
  if (!Section) NewSection();
  else ChangeFont();
  // A positive TABINDEX puts the link's first run in the keyboard order, unless links take no focus at all.
  if (href && CurrentUrlTarget->TabIndex > 0 && !Doc.TooManyLinks && !Section->Fonts.empty())
    Doc.AddTabOrder(CurrentUrlTarget->TabIndex, {nullptr, Section->Fonts.back().get()});
  if (const TAttribute* n = a.Find(NameSy)) {
    std::string name = n->Name;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!name.empty() && name[0] == '#') name.erase(0, 1);
    Doc.IDNameList.AddChPosObject(&Doc, name, L.TagPos);
    Section->AnchorName = true;
  }
  Advance();
}

void THtmlParser::DoFontTag(bool InPre) {
  const bool isBase = L.Sy == BaseFontSy;
  const TAttributeList a = Attrs();
  std::optional<int> size;
  std::string face;
  std::optional<TColor> color;
  std::optional<CharSetCodePage> charSet;
  for (size_t i = 0; i < a.Count(); ++i) {
    const TAttribute& at = a[i];
    switch (at.Which) {
      case SizeSy: {
        long long relative = at.Value;  // wide: the attribute may hold any int
        const std::string t(TrimAscii(at.Name));
        if (t.size() > 1 && (t[0] == '+' || t[0] == '-')) relative += BaseFontSize;
        const int v = static_cast<int>(std::clamp<long long>(relative, 1, 7));
        size = v;
        if (isBase) BaseFontSize = v;
        break;
      }
      case FaceSy:
        if (!isBase) face = ResolveFontFamily(at.Name, Doc.Styles.Fonts, "");
        break;
      case ColorSy: {
        TColor c;
        if (ParseColor(at.Name, false, c)) color = c;
        break;
      }
      case CharSetSy:
        if (!L.BomSeen) {
          if (const auto cs = FindCharSet(LowerAscii(at.Name)))
            charSet = CharSetNameToCodePage(*cs, Top().CodePage(), L.SystemCodePage);
        }
        break;
      default: break;
    }
  }
  if (Push("font", &a, {}, true)) {
    TProperties& p = Top();
    if (color) p.AssignHint(*color, Color);
    if (size) p.AssignHint(HtmlFontSizePoints(*size, InPre, Doc.DefFontSize), FontSize);
    if (!face.empty()) p.AssignHint(face, FontFamily);
    if (charSet) p.SetCharSet(static_cast<uint8_t>(charSet->CharSet), charSet->CodePage);
  }
  ChangeFont();
  Advance();
}

void THtmlParser::DoMeta() {
  const TAttributeList a = Attrs();
  const std::string httpEq = AttrText(a, HttpEquivSy);
  const std::string name = AttrText(a, NameSy);
  const std::string content = AttrText(a, ContentSy);
  if (!L.BomSeen && Doc.SingleDocViewer && LowerAscii(TrimAscii(httpEq)) == "content-type") {
    if (const auto applied = L.ApplyContentType(content)) {
      Top().SetCharSet(static_cast<uint8_t>(applied->CharSet), applied->CodePage);
      L.TextCodePage = applied->CodePage;
    }
  }
  if (Cb.OnMeta) Cb.OnMeta(httpEq, name, content);
  Next();
}

void THtmlParser::DoLinkTag() {
  const TAttributeList a = Attrs();
  const std::string href = AttrText(a, HrefSy);
  const std::string rel = AttrText(a, RelSy);
  const std::string rev = AttrText(a, RevSy);
  if (LowerAscii(TrimAscii(rel)) == "stylesheet" && !href.empty()) {
    try {
      const std::string url = Doc.ExpandName(href);
      std::optional<std::string> sheet;
      if (Doc.OnStreamRequest) sheet = Doc.OnStreamRequest(url);
      if (!sheet) {
        const auto path = url::LocalFileName(url::UrlToDosPath(url));
        std::ifstream in(path, std::ios::binary);
        if (in) sheet = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      }
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
        ReadLinkedStyleSheet(Doc.Styles, text, url::GetURLBase(url));
      }
    } catch (const std::exception&) {
      // A sheet that cannot be read or parsed leaves the page's styles as they are.
    }
  }
  if (Cb.OnLink) Cb.OnLink(rel, rev, href);
  Next();
}

void THtmlParser::DoBgSound() {
  const TAttributeList a = Attrs();
  if (Cb.OnSoundRequest) {
    if (const TAttribute* src = a.Find(SrcSy)) {
      const TAttribute* loop = a.Find(LoopSy);
      Cb.OnSoundRequest(src->Name, loop ? loop->Value : 1, false);
    }
  }
  Next();
}

void THtmlParser::DoStyle() {
  ReadStyleElement(Doc.Styles, L);
  Next();  // the end tag, skipped by the body loop
}

// --- Entry points ---

// The start of every parse: the text in the lexer, the default rule as the stack's base, and the body block.
void THtmlParser::StartDocument(std::string Text) {
  if (!Doc.Styles.Find("default")) Doc.SetDefaults();
  const int codePage = DocumentDefaultCodePage(Text);
  L.SystemCodePage = codePage;
  L.SetDocument(std::move(Text), codePage);
  Stack.Clear();
  auto base = std::make_unique<TProperties>(*Doc.Styles.Find("default"));
  base->SetCharSet(base->CharSet, L.DocCodePage);
  Stack.Push(std::move(base));
  auto body = std::make_unique<TBodyBlock>(&Doc, Stack[0], nullptr);
  Body = body.get();
  Doc.BodyBlock = Body;
  Doc.Items.push_back(std::move(body));
  SectionList = Body->MyCell.get();
}

void THtmlParser::ParseHtml(std::string Text) {
  InstallInlineStyleParser();
  StartDocument(std::move(Text));
  NewSection();

  // Counting pass: tags with HREF decide whether links take part in keyboard focus.
  int hrefTags = 0;
  try {
    L.CountingPass = true;
    L.Begin();
    for (L.NextToken(); L.Sy != EofSy && hrefTags <= kTooManyLinks; L.NextToken()) {
      if (L.Sy != TextSy && !IsEndTag(L.Sy) && L.Attributes.Find(HrefSy)) ++hrefTags;
      if ((L.Sy == ScriptSy || L.Sy == StyleSy) && L.LCh == '>') L.NextChar();
    }
  } catch (const std::exception&) {
  }
  L.CountingPass = false;
  Doc.TooManyLinks = hrefTags > kTooManyLinks;

  // The callbacks take part in the building pass only.
  L.OnInclude = Cb.OnInclude;
  L.OnIdAttribute = [this](const std::string& id, int pos) { Doc.IDNameList.AddChPosObject(&Doc, id, pos); };
  try {
    L.Begin();
    Next();
    DoBody({});
  } catch (const std::exception&) {
    // What was built stays.
  }
  SectionClose();
  L.OnIdAttribute = nullptr;
  Stack.Clear();
}

void THtmlParser::ParsePlain(std::string Text) {
  StartDocument(std::move(Text));
  try {
    L.PlainText = true;
    L.Begin();
    Push("pre", nullptr);
    EnterBlock(nullptr);
    InPreChars = true;
    NewSection();
    while (L.LCh != '\0') {
      if (L.LCh == '\r') {
        SectionClose();
        NewSection();
        L.NextChar();
        continue;
      }
      if (static_cast<unsigned char>(L.LCh) < 9) L.LCh = '?';
      const int cp = Top().CodePage();
      L.TextCodePage = cp > 0 ? cp : L.DocCodePage;
      L.NextPreformattedText();
      if (L.Token.Count() > 0) Section->AppendToken(L.Token, Top());
    }
  } catch (const std::exception&) {
  }
  // A final line end does not start another line.
  if (Section && Section->Buff.empty() && !SectionList->Items.empty()) Section.reset();
  SectionClose();
  Stack.Clear();
}




void ParseHtmlText(std::string Text, TSectionList& Document, const THtmlParseCallbacks& Callbacks) {
  THtmlParser parser(Document, Callbacks);
  parser.ParseHtml(std::move(Text));
}

void ParsePlainText(std::string Text, TSectionList& Document) {
  THtmlParseCallbacks none;
  THtmlParser parser(Document, none);
  parser.ParsePlain(std::move(Text));
}

}  // namespace lumora::html