#include "html/tool/layout_command.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "html/html_blocks.h"
#include "html/html_codepage.h"
#include "html/html_forms.h"
#include "html/html_parser.h"
#include "html/html_section.h"
#include "html/html_table.h"

namespace lumora::html {
namespace {

using json = nlohmann::ordered_json;

class TLayoutWriter {
 public:
  TLayoutWriter(std::ostream& Out, ITextMetrics& Metrics) : out_(Out), metrics_(Metrics) {}

  void document(const TSectionList& Doc, int Width) {
    write({{"kind", "document"}, {"width", Width}, {"height", Doc.DocumentHeight}, {"maxWidth", Doc.DocumentMaxWidth}});
    cell(Doc, 0);
  }

 private:
  void write(const json& line) { out_ << line.dump(-1, ' ', false, json::error_handler_t::replace) << '\n'; }

  static const char* sideText(TSide side) {
    return side == TSide::Left ? "left" : side == TSide::Right ? "right" : "none";
  }
  static const char* positionText(TPositionKind kind) {
    return kind == TPositionKind::Relative ? "relative" : kind == TPositionKind::Absolute ? "absolute" : "static";
  }
  static json box(const TRect& r) { return json::array({r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top}); }

  void cell(const TCellBasic& Cell, int Depth) {
    for (const auto& item : Cell.Items) this->item(*item, Depth);
  }

  void item(const TSectionBase& Item, int Depth) {
    if (const auto* block = dynamic_cast<const TBlock*>(&Item)) return this->block(*block, Depth);
    if (const auto* section = dynamic_cast<const TSection*>(&Item)) return this->section(*section, Depth);
    if (const auto* rule = dynamic_cast<const THorzLine*>(&Item)) {
      write({{"kind", "rule"}, {"x", rule->XPosition}, {"y", rule->ContentTop}, {"w", rule->HRWidth}, {"h", rule->VSize}});
      return;
    }
    if (const auto* table = dynamic_cast<const ThtmlTable*>(&Item)) return this->table(*table, Depth);
  }

  void block(const TBlock& Block, int Depth) {
    if (Block.DisplayNone) return;
    std::string tag = dynamic_cast<const TBodyBlock*>(&Block) ? "body" : Block.TagClass.substr(0, Block.TagClass.find('.'));
    for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const TRect& b = Block.BorderBox;
    write({{"kind", "block"}, {"tag", tag}, {"depth", Depth}, {"x", b.Left}, {"y", b.Top}, {"w", b.Right - b.Left},
           {"h", b.Bottom - b.Top}, {"content", box(Block.ContentBox)}, {"float", sideText(Block.FloatLR)},
           {"position", positionText(Block.Positioning)}});
    if (const auto* item = dynamic_cast<const TBlockLI*>(&Block)) marker(*item);
    cell(*Block.MyCell, Depth + 1);
  }

  void marker(const TBlockLI& Item) {
    const int contentX = Item.ContentBox.Left;
    const int baseline = Item.FirstLineHt;
    switch (Item.Marker) {
      case TBlockLI::TMarker::None: return;
      case TBlockLI::TMarker::Disc:
        write({{"kind", "marker"}, {"text", "disc"}, {"x", contentX - 15}, {"baseline", baseline}});
        return;
      case TBlockLI::TMarker::Circle:
        write({{"kind", "marker"}, {"text", "circle"}, {"x", contentX - 16}, {"baseline", baseline}});
        return;
      case TBlockLI::TMarker::Square:
        write({{"kind", "marker"}, {"text", "square"}, {"x", contentX - 15}, {"baseline", baseline}});
        return;
      case TBlockLI::TMarker::Image:
        write({{"kind", "marker"}, {"text", "image"}, {"x", contentX - 16}, {"baseline", baseline}});
        return;
      default: {
        const std::string text = Item.markerText();
        std::u16string wide(text.begin(), text.end());
        int width = 0;
        if (Item.MyCell) {
          // The marker font is the item's font: the first run of its first section.
          for (const auto& content : Item.MyCell->Items) {
            if (const auto* s = dynamic_cast<const TSection*>(content.get()); s && !s->Fonts.empty()) {
              width = textExtent(metrics_, s->Fonts.front()->TheFont, wide, nullptr);
              break;
            }
          }
        }
        write({{"kind", "marker"}, {"text", text}, {"x", contentX - 10 - width}, {"baseline", baseline}});
      }
    }
  }

  void section(const TSection& Section, int Depth) {
    for (const LineRec& line : Section.Lines) {
      if (line.Ln == 0) continue;  // room left below floats or for a clear
      int end = line.Start + line.Ln;
      while (end > line.Start && (Section.Buff[static_cast<size_t>(end - 1)] == u' ' ||
                                  Section.Buff[static_cast<size_t>(end - 1)] == kLineBreakCode))
        --end;
      std::u16string text;
      for (int i = line.Start; i < end; ++i) {
        const char16_t c = Section.Buff[static_cast<size_t>(i)];
        if (c != kObjectCode && c != kFormControlCode && c != kLineBreakCode) text += c;
      }
      int width = Section.piecesWidth(line.Start, end);
      if (line.Shy) width += Section.hyphenWidthAt(line.Start + line.Ln - 1);
      write({{"kind", "line"}, {"depth", Depth}, {"x", Section.DrawX + line.LineIndent}, {"y", line.Y}, {"w", width},
             {"h", line.LineHt + line.SpaceBefore + line.SpaceAfter},
             {"baseline", line.Y + line.SpaceBefore + line.LineHt - line.Descent}, {"text", wideToUtf8(text)},
             {"hyphen", line.Shy}});
      for (const auto& o : Section.Images) {
        if (o->Pos < line.Start || o->Pos >= line.Start + line.Ln) continue;
        std::string src;
        if (const auto* img = dynamic_cast<const TImageObj*>(o.get())) src = img->Source;
        write({{"kind", "image"}, {"x", o->DrawX}, {"y", o->DrawY}, {"w", o->ImageWidth}, {"h", o->ImageHeight},
               {"src", src}, {"float", sideText(o->Floating)}});
      }
      for (const TFormControlObj* fc : Section.FormControls.Items) {
        if (fc->Pos < line.Start || fc->Pos >= line.Start + line.Ln) continue;
        write({{"kind", "control"}, {"type", controlType(*fc)}, {"x", fc->XValue}, {"y", fc->TopValue},
               {"w", fc->Width}, {"h", fc->Height}});
      }
    }
  }

  static std::string controlType(const TFormControlObj& Control) {
    if (const auto* edit = dynamic_cast<const TEditFormControlObj*>(&Control))
      return edit->Password ? "password" : edit->EditType == "file" ? "file" : "text";
    if (dynamic_cast<const TCheckBoxFormControlObj*>(&Control)) return "checkbox";
    if (dynamic_cast<const TRadioButtonFormControlObj*>(&Control)) return "radio";
    if (dynamic_cast<const TImageFormControlObj*>(&Control)) return "image";
    if (const auto* button = dynamic_cast<const TButtonFormControlObj*>(&Control)) {
      switch (button->Which) {
        case TButtonFormControlObj::TButtonKind::Submit: return "submit";
        case TButtonFormControlObj::TButtonKind::Reset: return "reset";
        case TButtonFormControlObj::TButtonKind::Browse: return "file";
        case TButtonFormControlObj::TButtonKind::Button: return "button";
      }
    }
    if (dynamic_cast<const TComboFormControlObj*>(&Control)) return "select";
    if (dynamic_cast<const TListBoxFormControlObj*>(&Control)) return "listbox";
    if (dynamic_cast<const TTextAreaFormControlObj*>(&Control)) return "textarea";
    return "hidden";
  }

  void table(const ThtmlTable& Table, int Depth) {
    write({{"kind", "table"}, {"x", Table.TableLeft}, {"y", Table.ContentTop}, {"w", Table.TableWidth},
           {"h", Table.TableHeight}, {"rows", Table.Rows.size()}, {"cols", Table.ColumnCount}});
    // Cell boxes from the column edges and the row tops, the spacing around each left out.
    std::vector<int> lefts(1, Table.CellSpacing);
    for (const int w : Table.Widths) lefts.push_back(lefts.back() + w);
    int rowTop = Table.ContentTop;
    for (size_t r = 0; r < Table.Rows.size(); ++r) {
      const auto& row = *Table.Rows[r];
      for (size_t c = 0; c < row.Cells.size(); ++c) {
        const TCellObj& cell = *row.Cells[c];
        if (cell.ColSpan <= 0) continue;
        const size_t last = std::min(c + static_cast<size_t>(cell.ColSpan), lefts.size() - 1);
        const int x = Table.TableLeft + (c < lefts.size() ? lefts[c] : lefts.back());
        const int w = (last < lefts.size() ? lefts[last] : lefts.back()) - (c < lefts.size() ? lefts[c] : lefts.back()) -
                      Table.CellSpacing;
        write({{"kind", "cell"}, {"row", r}, {"col", c}, {"rowSpan", cell.RowSpan}, {"colSpan", cell.ColSpan},
               {"x", x}, {"y", rowTop + Table.CellSpacing}, {"w", w}, {"h", cell.SpannedHeight - Table.CellSpacing}});
        if (cell.Cell) this->cell(*cell.Cell, Depth + 1);
      }
      rowTop += row.Height;
    }
  }

  std::ostream& out_;
  ITextMetrics& metrics_;
};

}  // namespace

int writeLayout(const std::string& path, const std::string& document, THtmlHost& Host, int Width, std::ostream& out) {
  TSectionList doc(&Host);
  doc.DocumentPath = std::filesystem::absolute(path).generic_string();
  doc.SetDefaults();
  ParseHtmlText(document, doc);
  int scrollWidth = 0;
  doc.LayOut(*Host.Metrics, 600, Width, scrollWidth);
  TLayoutWriter(out, *Host.Metrics).document(doc, Width);
  out.flush();
  return out ? 0 : 1;
}

}  // namespace lumora::html
