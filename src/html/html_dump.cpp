#include "html/html_dump.h"

#include <cstdio>
#include <sstream>

#include "html/html_blocks.h"
#include "html/html_codepage.h"
#include "html/html_forms.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html/image_map.h"

namespace lumora::html {

namespace {

std::string colorText(TColor c) {
  if (c == kColorNone) return "none";
  if ((c & kSystemColorFlag) == kSystemColorFlag) return "sys:" + std::to_string(c & 0xFF);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 32) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
      out += buf;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string QuoteText(std::u16string_view s) {
  std::string out = "\"";
  std::u16string run;
  const auto flush = [&] {
    out += wideToUtf8(run);
    run.clear();
  };
  for (const char16_t c : s) {
    const char* esc = nullptr;
    char buf[8];
    switch (c) {
      case kLineBreakCode: esc = "\\n"; break;
      case kObjectCode: esc = "\\o"; break;
      case kFormControlCode: esc = "\\c"; break;
      case kNoBreakSpace: esc = "\\_"; break;
      case u'"': esc = "\\\""; break;
      case u'\\': esc = "\\\\"; break;
      default:
        if (c < 32) {
          std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
          esc = buf;
        }
        break;
    }
    if (esc) {
      flush();
      out += esc;
    } else {
      run += c;
    }
  }
  flush();
  return out + "\"";
}

std::string boxValue(const TPropValue& v) {
  if (const int* n = std::get_if<int>(&v)) {
    if (*n == kUnsetLength) return "-";
    if (*n == kAutoLength) return "auto";
    if (*n == kParagraphSpace) return "p";
    return std::to_string(*n);
  }
  if (const double* d = std::get_if<double>(&v)) {
    std::ostringstream o;
    o << *d;
    return o.str();
  }
  if (const std::string* s = std::get_if<std::string>(&v)) return *s;
  return "-";
}

const char* sideText(TSide s) {
  switch (s) {
    case TSide::Left: return "left";
    case TSide::Right: return "right";
    case TSide::Both: return "both";
    default: return "none";
  }
}

const char* markerName(TBlockLI::TMarker m) {
  switch (m) {
    case TBlockLI::TMarker::Disc: return "disc";
    case TBlockLI::TMarker::Circle: return "circle";
    case TBlockLI::TMarker::Square: return "square";
    case TBlockLI::TMarker::Decimal: return "decimal";
    case TBlockLI::TMarker::LowerAlpha: return "lower-alpha";
    case TBlockLI::TMarker::UpperAlpha: return "upper-alpha";
    case TBlockLI::TMarker::LowerRoman: return "lower-roman";
    case TBlockLI::TMarker::UpperRoman: return "upper-roman";
    case TBlockLI::TMarker::Image: return "image";
    default: return "none";
  }
}

std::string sizeText(int v, bool percent) {
  if (v < 0) return "-";
  return std::to_string(v) + (percent ? "%" : "");
}

class TDumper {
 public:
  explicit TDumper(const TSectionList& Doc) : Doc(Doc) {}
  std::string run();

 private:
  void Line(int depth, const std::string& text) { out_ << std::string(static_cast<size_t>(depth) * 2, ' ') << text << '\n'; }
  void Cell(const TCellBasic& cell, int depth);
  void Item(const TSectionBase& item, int depth);
  void Block(const TBlock& b, int depth);
  void Section(const TSection& s, int depth);
  void Table(const ThtmlTable& t, int depth);
  std::string Control(const TFormControlObj& c);

  const TSectionList& Doc;
  std::ostringstream out_;
};

std::string TDumper::run() {
  Line(0, "document title=" + Quote(wideToUtf8(Doc.Title)) + " base=" + Quote(Doc.BaseUrl) +
              " target=" + Quote(Doc.BaseTarget) + " background=" + colorText(Doc.Background) +
              " bgimage=" + Quote(Doc.BackgroundUrl) + " too-many-links=" + (Doc.TooManyLinks ? "yes" : "no"));
  Cell(Doc, 1);
  for (size_t i = 0; i < Doc.htmlFormList.size(); ++i) {
    const ThtmlForm& f = *Doc.htmlFormList[i];
    Line(0, "form " + std::to_string(i) + " method=" + Quote(f.Method) + " action=" + Quote(f.Action) +
                " target=" + Quote(f.Target) + " enctype=" + Quote(f.EncType));
    for (const auto& c : f.ControlList) Line(1, Control(*c));
  }
  for (const auto& m : Doc.MapList) {
    Line(0, "map " + Quote(wideToUtf8(m->MapName())) + " areas=" + std::to_string(m->areaCount()));
    for (const TMapItem::Area& area : m->areas()) {
      using Shape = TAreaRegion::Shape;
      const Shape shape = area.Region.shape();
      Line(1, std::string("area shape=") +
                  (shape == Shape::Rect ? "rect" : shape == Shape::Ellipse ? "circle" : "poly") +
                  " href=" + Quote(wideToUtf8(area.Href)) + " target=" + Quote(wideToUtf8(area.Target)) +
                  " title=" + Quote(wideToUtf8(area.Title)));
    }
  }
  for (const auto& [name, entry] : Doc.IDNameList.Entries()) {
    const char* cls = "TChPosObj";
    if (auto* item = dynamic_cast<const TSectionBase*>(entry.Object)) cls = item->className();
    else if (auto* obj = dynamic_cast<const TFloatingObj*>(entry.Object)) cls = obj->className();
    else if (auto* ctl = dynamic_cast<const TFormControlObj*>(entry.Object)) cls = ctl->className();
    Line(0, "name " + Quote(name) + " -> " + cls);
  }
  return out_.str();
}

void TDumper::Cell(const TCellBasic& cell, int depth) {
  for (const auto& item : cell.Items) Item(*item, depth);
}

void TDumper::Item(const TSectionBase& item, int depth) {
  if (auto* b = dynamic_cast<const TBlock*>(&item)) return Block(*b, depth);
  if (auto* s = dynamic_cast<const TSection*>(&item)) return Section(*s, depth);
  if (auto* t = dynamic_cast<const ThtmlTable*>(&item)) return Table(*t, depth);
  if (auto* h = dynamic_cast<const THorzLine*>(&item)) {
    const char* align = h->Align == 5 ? "left" : h->Align == 6 ? "right" : "center";
    Line(depth, std::string("THorzLine size=") + std::to_string(h->VSize) + " align=" + align +
                    " width=" + sizeText(h->WidthAttr, h->PercentWidth) + " color=" + colorText(h->Color) +
                    (h->NoShade ? " noshade" : ""));
    return;
  }
  Line(depth, item.className());
}

void TDumper::Block(const TBlock& b, int depth) {
  const auto& m = b.MargArrayO;
  std::string s = std::string(b.className()) + " tag=" + Quote(b.TagClass) +
                  " display=" + (b.DisplayNone ? "none" : "block") + " float=" + sideText(b.FloatLR) +
                  " position=" +
                  (b.Positioning == TPositionKind::Absolute   ? "absolute"
                   : b.Positioning == TPositionKind::Relative ? "relative"
                                                              : "static");
  s += " margin=" + std::to_string(b.TopMargin) + (b.TopIsParagraph ? "p" : "") + "," + boxValue(m[MarginRight]) +
       "," + std::to_string(b.BottomMargin) + (b.BottomIsParagraph ? "p" : "") + "," + boxValue(m[MarginLeft]);
  s += " padding=" + boxValue(m[PaddingTop]) + "," + boxValue(m[PaddingRight]) + "," + boxValue(m[PaddingBottom]) +
       "," + boxValue(m[PaddingLeft]);
  s += " border=" + boxValue(m[BorderTopWidth]) + "," + boxValue(m[BorderRightWidth]) + "," +
       boxValue(m[BorderBottomWidth]) + "," + boxValue(m[BorderLeftWidth]);
  s += " align=" + Quote(b.TextAlign);
  if (auto* li = dynamic_cast<const TBlockLI*>(&b)) {
    const char* kind = li->ListKind == TListKind::Ordered     ? "ordered"
                       : li->ListKind == TListKind::Unordered ? "unordered"
                       : li->ListKind == TListKind::Definition ? "definition"
                                                                : "none";
    s += std::string(" list=") + kind + " item=" + Quote(li->ItemTag) + " number=" + std::to_string(li->listNumb) +
         " type=" + Quote(std::string(1, li->ListType)) + " level=" + std::to_string(li->ListLevel) +
         " marker=" + markerName(li->Marker) + " text=" + Quote(li->markerText());
  }
  if (auto* tb = dynamic_cast<const TTableBlock*>(&b)) {
    std::string width = tb->AsPercent ? std::to_string(tb->WidthAttr / 10) + "%" : std::to_string(tb->WidthAttr);
    s += " width=" + width + " placement=" + std::to_string(tb->Justify) + " hspace=" + std::to_string(tb->HSpace) +
         " vspace=" + std::to_string(tb->VSpace);
    if (tb->BkGnd) s += " bgcolor=" + colorText(tb->BkColor);
  }
  Line(depth, s);
  Cell(*b.MyCell, depth + 1);
}

void TDumper::Section(const TSection& sec, int depth) {
  static const char* kJustify[] = {"left", "left", "center", "right", "justify"};
  static const char* kClear[] = {"none", "left", "right", "both"};
  std::string s = std::string(sec.className()) + " text=" + QuoteText(sec.Buff);
  if (!sec.isPreformatted()) {
    s += std::string(" justify=") + kJustify[std::clamp(sec.Justify, 0, 4)] +
         " clear=" + kClear[std::clamp(sec.ClearAttr, 0, 3)];
    if (sec.Brk.find('n') != std::string::npos) s += " nobreak-text";
  }
  Line(depth, s);
  for (const auto& f : sec.Fonts) {
    std::ostringstream size;
    size << f->SizePoints;
    std::string r = "run " + std::to_string(f->Pos) + " " + Quote(f->TheFont.Name) + " " + size.str() + "pt";
    if (f->TheFont.Style & kFontBold) r += " bold";
    if (f->TheFont.Style & kFontItalic) r += " italic";
    if (f->TheFont.Style & kFontUnderline) r += " underline";
    if (f->TheFont.Style & kFontStrikeOut) r += " strike";
    r += " " + colorText(f->TheFont.Color);
    if (f->hasLink()) {
      r += " link=" + Quote(f->UrlTarget->Url);
      if (!f->UrlTarget->Target.empty()) r += " target=" + Quote(f->UrlTarget->Target);
    }
    Line(depth + 1, r);
  }
  for (const auto& o : sec.Images) {
    if (auto* img = dynamic_cast<const TImageObj*>(o.get())) {
      std::string r = "image " + std::to_string(img->Pos) + " src=" + Quote(img->Source) +
                      " alt=" + Quote(wideToUtf8(img->Alt)) + " align=" + std::to_string(img->VertAlign) +
                      " float=" + sideText(img->Floating) + " width=" + sizeText(img->SpecWidth, img->PercentWidth) +
                      " height=" + sizeText(img->SpecHeight, img->PercentHeight);
      if (img->UseMap) r += " map=" + Quote(img->MapName);
      Line(depth + 1, r);
    } else if (auto* panel = dynamic_cast<const TPanelObj*>(o.get())) {
      Line(depth + 1, "panel " + std::to_string(panel->Pos) + " name=" + Quote(panel->Name));
    }
  }
  for (const TFormControlObj* c : sec.FormControls.Items)
    Line(depth + 1, "control " + std::to_string(c->Pos) + " " + c->className() + " name=" + Quote(c->Name));
}

void TDumper::Table(const ThtmlTable& t, int depth) {
  Line(depth, "ThtmlTable border=" + std::to_string(t.BorderWidth) + " cellpadding=" + std::to_string(t.CellPadding) +
                  " cellspacing=" + std::to_string(t.CellSpacing) + " colspecs=" + std::to_string(t.ColSpecs.size()));
  static const char* kRowType[] = {"body", "head", "foot"};
  for (const auto& row : t.Rows) {
    std::string r = std::string("row type=") + kRowType[std::clamp(row->RowType, 0, 2)];
    if (row->BkGnd) r += " bgcolor=" + colorText(row->BkColor);
    if (row->RowHeight > 0) r += " height=" + std::to_string(row->RowHeight);
    else if (row->RowHeightPercent > 0) r += " height=" + std::to_string(row->RowHeightPercent) + "%";
    Line(depth + 1, r);
    for (const auto& cell : row->Cells) {
      std::string c = std::string("cell ") + (cell->IsTH ? "th" : "td") + " colspan=" + std::to_string(cell->ColSpan) +
                      " rowspan=" + std::to_string(cell->RowSpan) + " valign=" + std::to_string(cell->VAlign);
      if (cell->WidthAttr > 0)
        c += " width=" + (cell->AsPercent ? std::to_string(cell->WidthAttr / 10) + "%" : std::to_string(cell->WidthAttr));
      if (cell->Cell->BkGnd) c += " bgcolor=" + colorText(cell->Cell->BkColor);
      if (!cell->Cell->Url.empty()) c += " href=" + Quote(cell->Cell->Url);
      if (!cell->TextAlign.empty()) c += " align=" + Quote(cell->TextAlign);
      Line(depth + 2, c);
      Cell(*cell->Cell, depth + 3);
    }
  }
}

std::string TDumper::Control(const TFormControlObj& c) {
  std::string s = std::string(c.className()) + " name=" + Quote(c.Name) + " value=" + Quote(c.Value);
  if (auto* e = dynamic_cast<const TEditFormControlObj*>(&c)) {
    s += " type=" + Quote(e->EditType) + " size=" + std::to_string(e->EditSize) + " text=" + Quote(e->Text);
    if (e->Password) s += " password";
  } else if (auto* b = dynamic_cast<const TButtonFormControlObj*>(&c)) {
    static const char* kKinds[] = {"submit", "reset", "button", "browse"};
    s += std::string(" kind=") + kKinds[static_cast<int>(b->Which)] + " caption=" + Quote(b->Caption);
  } else if (auto* cb = dynamic_cast<const TCheckBoxFormControlObj*>(&c)) {
    s += cb->Checked ? " checked" : "";
  } else if (auto* r = dynamic_cast<const TRadioButtonFormControlObj*>(&c)) {
    s += std::string(r->Checked ? " checked" : "") + (r->TabStop ? " tabstop" : "");
  } else if (auto* lb = dynamic_cast<const TListBoxFormControlObj*>(&c)) {
    s += " size=" + std::to_string(lb->LBSize) + (lb->Multiple ? " multiple" : "") + " options=";
    for (size_t i = 0; i < lb->TheOptions.count(); ++i) {
      if (i) s += ",";
      s += Quote(lb->TheOptions.Text(i)) + "=" + Quote(lb->TheOptions.option(i).Value);
      if (i < lb->SelectedItems.size() && lb->SelectedItems[i]) s += "*";
    }
  } else if (auto* ta = dynamic_cast<const TTextAreaFormControlObj*>(&c)) {
    static const char* kWrap[] = {"off", "soft", "hard"};
    s += " rows=" + std::to_string(ta->Rows) + " cols=" + std::to_string(ta->Cols) +
         " wrap=" + kWrap[static_cast<int>(ta->Wrap)] + " text=" + Quote(ta->TheText);
  }
  if (c.Disabled) s += " disabled";
  if (c.ReadOnly) s += " readonly";
  return s;
}

// --- Reading text ---

class TTextWriter {
 public:
  std::string run(const TSectionList& Doc) {
    Cell(Doc);
    return out_;
  }

 private:
  void Cell(const TCellBasic& cell) {
    for (const auto& item : cell.Items) Item(*item);
  }
  void Item(const TSectionBase& item) {
    if (auto* li = dynamic_cast<const TBlockLI*>(&item)) {
      if (li->Marker != TBlockLI::TMarker::None) {
        const std::string marker = li->markerText();
        prefix_ = marker.empty() ? "* " : marker + " ";
      }
      Cell(*li->MyCell);
      prefix_.clear();
      return;
    }
    if (auto* b = dynamic_cast<const TBlock*>(&item)) {
      if (!b->DisplayNone) Cell(*b->MyCell);
      return;
    }
    if (auto* t = dynamic_cast<const ThtmlTable*>(&item)) {
      for (const auto& row : t->Rows)
        for (const auto& c : row->Cells) Cell(*c->Cell);
      return;
    }
    if (auto* s = dynamic_cast<const TSection*>(&item)) {
      std::u16string text;
      for (char16_t c : s->Buff) {
        if (c == kObjectCode || c == kFormControlCode) continue;
        if (c == kLineBreakCode) c = u'\n';
        if (c == kNoBreakSpace) c = u' ';
        text += c;
      }
      if (s->isPreformatted()) {
        if (!text.empty() && text.back() == u' ') text.pop_back();
      } else {
        // Without their objects and controls, lines may start or end with spaces or hold nothing at all.
        const size_t first = text.find_first_not_of(u' ');
        if (first == std::u16string::npos) return;
        text = text.substr(first, text.find_last_not_of(u' ') - first + 1);
      }
      out_ += prefix_ + wideToUtf8(text) + "\n";
      prefix_.clear();
    }
  }

  std::string out_;
  std::string prefix_;
};

}  // namespace

std::string dumpDocument(const TSectionList& Document) { return TDumper(Document).run(); }

std::string documentText(const TSectionList& Document) { return TTextWriter().run(Document); }

}  // namespace lumora::html
