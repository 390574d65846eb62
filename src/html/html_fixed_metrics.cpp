#include "html/html_fixed_metrics.h"

#include <algorithm>
#include <stdexcept>

#include "html/html_forms.h"

namespace lumora::html {

TFontHandle FixedMetricsPlatform::realizeFont(const TFontRequest& Request) {
  ++RealizeCalls;
  LastRequest = Request;
  const auto key = std::make_tuple(Request.Name, Request.Height, Request.Style, int{Request.CharSet});
  if (const auto it = handles_.find(key); it != handles_.end()) return it->second;
  const int h = std::max(0, Request.Height);
  TRealizedFont m;
  m.CellHeight = h;
  m.Descent = h / 4;
  m.AveCharWidth = m.MaxCharWidth = h / 2;
  m.CharSet = Request.CharSet;
  fonts_.emplace_back(Request, m);
  const auto handle = static_cast<TFontHandle>(fonts_.size());
  handles_.emplace(key, handle);
  return handle;
}

const TFontRequest& FixedMetricsPlatform::request(TFontHandle Font) const {
  if (Font < 1 || static_cast<size_t>(Font) > fonts_.size()) throw std::out_of_range("unknown font handle");
  return fonts_[static_cast<size_t>(Font - 1)].first;
}

const TRealizedFont& FixedMetricsPlatform::fontMetrics(TFontHandle Font) const {
  request(Font);
  return fonts_[static_cast<size_t>(Font - 1)].second;
}

int FixedMetricsPlatform::textAdvances(TFontHandle Font, std::u16string_view Text, int* Advances) {
  const int advance = std::max(0, request(Font).Height) / 2;
  int total = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    const bool secondHalf = i > 0 && Text[i] >= 0xDC00 && Text[i] <= 0xDFFF && Text[i - 1] >= 0xD800 &&
                            Text[i - 1] <= 0xDBFF;
    const int w = secondHalf ? 0 : advance;
    if (Advances) Advances[i] = w;
    total += w;
  }
  return total;
}

TControlSize FixedMetricsPlatform::controlSize(const TFormControlObj& Control) {
  if (dynamic_cast<const TCheckBoxFormControlObj*>(&Control) || dynamic_cast<const TRadioButtonFormControlObj*>(&Control))
    return {13, 13};
  if (const auto* area = dynamic_cast<const TTextAreaFormControlObj*>(&Control))
    return {8 * std::max(2, area->Cols) + 4, 16 * std::max(1, area->Rows) + 4};
  if (const auto* list = dynamic_cast<const TListBoxFormControlObj*>(&Control);
      list && !dynamic_cast<const TComboFormControlObj*>(&Control)) {
    const int rows = list->LBSize > 0 ? list->LBSize : 4;
    return {8 * 12 + 4, 16 * rows + 4};
  }
  int characters = 15;
  if (const auto* edit = dynamic_cast<const TEditFormControlObj*>(&Control)) characters = edit->EditSize;
  if (const auto* button = dynamic_cast<const TButtonFormControlObj*>(&Control))
    characters = static_cast<int>(button->Caption.size()) + 2;
  return {std::max(40, 8 * std::clamp(characters, 0, 1000)) + 4, 20};
}

}  // namespace lumora::html
