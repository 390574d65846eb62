#pragma once
// Laying pages out with the fixed metrics (16-pixel lines of 8-pixel characters for the default font; see
// html_fixed_metrics.h) and finding what layout made of them.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_codepage.h"
#include "html/html_parser.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html/support/fixed_host.h"

namespace lumora::html::testing {

struct TLine {
  std::string Text;  // without trailing spaces and control codes
  int X, Y, W, H, Baseline;
  bool Hyphen;
  int Extra, Spaces;  // justification
};

class TLaidOut {
 public:
  TLaidOut(const std::string& html, int width) : doc(std::make_unique<TSectionList>(&host.Host)) {
    doc->DocumentPath = "/pub/page.htm";
    doc->SetDefaults();
    ParseHtmlText(html, *doc);
    int scrollWidth = 0;
    height = doc->LayOut(host.Metrics, 600, width, scrollWidth);
  }

  // Every block with this tag ("p", "li", ...), in document order.
  std::vector<const TBlock*> blocks(const std::string& tag) const {
    std::vector<const TBlock*> out;
    walk(*doc, [&](const TSectionBase& item) {
      if (const auto* b = dynamic_cast<const TBlock*>(&item); b && b->TagClass.substr(0, b->TagClass.find('.')) == tag)
        out.push_back(b);
    });
    return out;
  }
  const TBlock& block(const std::string& tag, size_t index = 0) const {
    const auto all = blocks(tag);
    if (index >= all.size()) throw std::runtime_error("no " + tag + " block " + std::to_string(index));
    return *all[index];
  }

  std::vector<TLine> lines() const {
    std::vector<TLine> out;
    walk(*doc, [&](const TSectionBase& item) {
      const auto* s = dynamic_cast<const TSection*>(&item);
      if (!s) return;
      for (const LineRec& l : s->Lines) {
        if (l.Ln == 0) continue;
        int end = l.Start + l.Ln;
        while (end > l.Start && (s->Buff[static_cast<size_t>(end - 1)] == u' ' ||
                                 s->Buff[static_cast<size_t>(end - 1)] == kLineBreakCode))
          --end;
        std::u16string text;
        for (int i = l.Start; i < end; ++i) {
          const char16_t c = s->Buff[static_cast<size_t>(i)];
          if (c != kObjectCode && c != kFormControlCode && c != kLineBreakCode) text += c;
        }
        out.push_back({wideToUtf8(text), s->DrawX + l.LineIndent, l.Y,
                       s->piecesWidth(l.Start, end) + (l.Shy ? s->hyphenWidthAt(l.Start + l.Ln - 1) : 0),
                       l.LineHt + l.SpaceBefore + l.SpaceAfter, l.Y + l.SpaceBefore + l.LineHt - l.Descent, l.Shy, l.Extra, l.Spaces});
      }
    });
    return out;
  }
  TLine line(const std::string& text) const {
    for (const TLine& l : lines())
      if (l.Text == text) return l;
    throw std::runtime_error("no line \"" + text + "\"");
  }

  std::vector<const TFloatingObj*> images() const {
    std::vector<const TFloatingObj*> out;
    walk(*doc, [&](const TSectionBase& item) {
      if (const auto* s = dynamic_cast<const TSection*>(&item))
        for (const auto& o : s->Images) out.push_back(o.get());
    });
    return out;
  }

  TFixedHost host;
  std::unique_ptr<TSectionList> doc;
  int height = 0;

 private:
  static void walk(const TCellBasic& cell, const std::function<void(const TSectionBase&)>& visit) {
    for (const auto& item : cell.Items) {
      visit(*item);
      if (const auto* b = dynamic_cast<const TBlock*>(item.get()); b && b->MyCell) walk(*b->MyCell, visit);
      if (const auto* t = dynamic_cast<const ThtmlTable*>(item.get()))
        for (const auto& row : t->Rows)
          for (const auto& c : row->Cells)
            if (c && c->Cell) walk(*c->Cell, visit);
    }
  }
};

}  // namespace lumora::html::testing
