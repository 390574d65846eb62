#include "html/html_style_box.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace lumora::html {
namespace {

const std::string* str(const TPropValue& v) { return std::get_if<std::string>(&v); }

// A length that is not a string: the integer as given, `unset` for the unset marker or no value.
int intOr(const TVMarginArray& Box, int index, int unset) {
  const int* n = Box.integer(index);
  if (!n || *n == kUnsetLength) return unset;
  return *n;
}

int BorderWidth(const TVMarginArray& Box, int index, int base, double em, double ex) {
  const int styleIndex = index - BorderTopWidth + BorderTopStyle;
  if (intOr(Box, styleIndex, 0) == 0) return 0;  // no border drawn: no width either
  if (const std::string* s = Box.Text(index)) {
    const std::string w = lowerAscii(trimAscii(*s));
    if (w == "thin") return 2;
    if (w == "medium") return 4;
    if (w == "thick") return 6;
    return ToPixels(w, false, base, 4, em, ex, Box.pixelsPerInch());
  }
  return intOr(Box, index, 4);
}

int lengthOr(const TVMarginArray& Box, int index, int base, int dflt, int unset, double em, double ex) {
  if (const std::string* s = Box.Text(index)) return ToPixels(*s, false, base, dflt, em, ex, Box.pixelsPerInch());
  return intOr(Box, index, unset);
}

int verticalMargin(const TVMarginArray& Box, int index, int base, double em, double ex, bool& isParagraph) {
  isParagraph = false;
  if (const std::string* s = Box.Text(index)) return ToPixels(*s, false, base, 0, em, ex, Box.pixelsPerInch());
  const int* n = Box.integer(index);
  if (!n || *n == kUnsetLength) return 0;
  if (*n == kParagraphSpace) {
    isParagraph = true;
    return kParagraphSpacePixels;
  }
  return *n;
}

}  // namespace

TVMarginArray::TVMarginArray() {
  // Blocks start empty by the thousand: they share one empty store.
  static const std::shared_ptr<const Rep> empty = std::make_shared<const Rep>();
  rep_ = empty;
}

TVMarginArray::Rep& TVMarginArray::mut() {
  if (rep_.use_count() != 1) rep_ = std::make_shared<Rep>(*rep_);
  return const_cast<Rep&>(*rep_);
}

void TVMarginArray::setPixelsPerInch(int Ppi) {
  if (rep_->pixelsPerInch != Ppi) mut().pixelsPerInch = Ppi;
}

void TVMarginArray::Set(int propIndex, const TPropValue& Value) { setIn(mut(), propIndex, Value); }

void TVMarginArray::setIn(Rep& r, int propIndex, const TPropValue& Value) {
  const size_t k = slot(propIndex);
  if (const int* n = std::get_if<int>(&Value)) {
    r.kinds[k] = kInt;
    r.ints[k] = *n;
    return;
  }
  std::string text;
  if (const std::string* s = std::get_if<std::string>(&Value)) {
    text = *s;
  } else if (const double* d = std::get_if<double>(&Value)) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", *d);
    text = buffer;
  } else {
    r.kinds[k] = kEmpty;
    r.ints[k] = 0;
    return;
  }
  if (r.kinds[k] == kText) {
    r.texts[static_cast<size_t>(r.ints[k])] = std::move(text);
    return;
  }
  r.kinds[k] = kText;
  r.ints[k] = static_cast<int>(r.texts.size());
  r.texts.push_back(std::move(text));
}

size_t TVMarginArray::Rep::hash() const {
  // Eight bytes at a time: most entries are 0 or empty, and this runs for every block and cell.
  uint64_t h = static_cast<uint64_t>(pixelsPerInch);
  const auto mix = [&h](const void* data, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i + 8 <= bytes; i += 8) {
      uint64_t w;
      std::memcpy(&w, p + i, 8);
      h = (h ^ w) * 0x100000001B3ull;
    }
    for (size_t i = bytes & ~size_t(7); i < bytes; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
  };
  mix(ints.data(), sizeof ints);
  mix(kinds.data(), sizeof kinds);
  for (const std::string& t : texts) mix(t.data(), t.size());
  return static_cast<size_t>(h ^ (h >> 29));
}

void TBoxPool::share(TVMarginArray& Box) {
  const size_t h = Box.rep_->hash();
  const auto [first, last] = reps_.equal_range(h);
  for (auto it = first; it != last; ++it) {
    if (*it->second == *Box.rep_) {
      Box.rep_ = it->second;
      return;
    }
  }
  reps_.emplace(h, Box.rep_);
}

TPropValue TVMarginArray::operator[](int propIndex) const {
  if (const int* n = integer(propIndex)) return *n;
  if (const std::string* s = Text(propIndex)) return *s;
  return std::monostate{};
}

void getVMarginArray(const TProperties& Props, TVMarginArray& Box) {
  TVMarginArray::Rep& r = Box.mut();
  r.pixelsPerInch = Props.PixelsPerInch;
  for (int i = kFirstBoxValue; i <= kLastBoxValue; ++i) {
    if (i >= BorderTopStyle && i <= BorderLeftStyle) {
      const std::string* s = str(Props.prop(i));
      TVMarginArray::setIn(r, i, s ? borderStyleCodeOf(*s) : 0);
    } else {
      TVMarginArray::setIn(r, i, Props.prop(i));
    }
  }
}

void ConvertBoxArray(const TVMarginArray& Box, int BaseWidth, int BaseHeight, double EmSize, double ExSize,
                     TMarginArray& Values, int& AutoCount) {
  AutoCount = 0;
  for (int i = kFirstBoxValue; i <= kLastBoxValue; ++i) {
    const int base = (i == Height || i == Top) ? BaseHeight : BaseWidth;
    switch (i) {
      case BackgroundColor: case BorderColor:
        Values[i] = intOr(Box, i, kColorNone);
        break;
      case MarginTop: case MarginBottom:
        Values[i] = 0;  // VerticalMargins decides these
        break;
      case MarginRight: case MarginLeft:
        if (const std::string* s = Box.Text(i); s && lowerAscii(trimAscii(*s)) == "auto") {
          Values[i] = kAutoLength;
          ++AutoCount;
        } else {
          Values[i] = lengthOr(Box, i, base, 0, 0, EmSize, ExSize);
        }
        break;
      case PaddingTop: case PaddingRight: case PaddingBottom: case PaddingLeft: case Height:
        Values[i] = lengthOr(Box, i, base, 0, 0, EmSize, ExSize);
        break;
      case BorderTopWidth: case BorderRightWidth: case BorderBottomWidth: case BorderLeftWidth:
        Values[i] = BorderWidth(Box, i, base, EmSize, ExSize);
        break;
      case Width:
        Values[i] = lengthOr(Box, i, base, kAutoLength, kAutoLength, EmSize, ExSize);
        if (Values[i] == kAutoLength) ++AutoCount;
        break;
      case Top: case Bottom: case Right: case Left:
        Values[i] = lengthOr(Box, i, base, kAutoLength, kAutoLength, EmSize, ExSize);
        break;
      default:  // border colours and style codes
        Values[i] = Box.integer(i) ? *Box.integer(i) : 0;
        break;
    }
  }
  // A percentage height is of the content: the vertical paddings and borders come off.
  if (const std::string* h = Box.Text(Height); h && h->find('%') != std::string::npos) {
    Values[Height] -= Values[PaddingTop] + Values[PaddingBottom] + Values[BorderTopWidth] +
                      Values[BorderBottomWidth];
  }
}

void VerticalMargins(const TVMarginArray& Box, int BaseWidth, double EmSize, double ExSize, int& Top,
                     bool& TopIsParagraph, int& Bottom, bool& BottomIsParagraph) {
  Top = verticalMargin(Box, MarginTop, BaseWidth, EmSize, ExSize, TopIsParagraph);
  Bottom = verticalMargin(Box, MarginBottom, BaseWidth, EmSize, ExSize, BottomIsParagraph);
}

void BoxPositions(const TVMarginArray& Box, double EmSize, double ExSize, std::array<int, 4>& positions) {
  for (int i = Top; i <= Left; ++i) {
    int r = -1;
    if (const std::string* s = Box.Text(i)) r = ToPixels(*s, false, -100, 0, EmSize, ExSize, Box.pixelsPerInch());
    else if (const int* n = Box.integer(i); n && *n != kUnsetLength) r = *n;
    positions[static_cast<size_t>(i - Top)] = r;
  }
}

void InlineBoxValues(const TVMarginArray& Box, int BaseWidth, double EmSize, double ExSize, TMarginArray& Values) {
  for (int i = MarginTop; i <= PaddingLeft; ++i) Values[i] = lengthOr(Box, i, BaseWidth, 0, 0, EmSize, ExSize);
  for (int i = BorderTopWidth; i <= BorderLeftWidth; ++i) Values[i] = BorderWidth(Box, i, BaseWidth, EmSize, ExSize);
  for (int i : {Width, Height}) Values[i] = lengthOr(Box, i, BaseWidth, kAutoLength, kAutoLength, EmSize, ExSize);
}

void backgroundPositionOf(const TProperties& Props, double EmSize, double ExSize, TBackgroundPosition& Horizontal,
                          TBackgroundPosition& Vertical) {
  Horizontal = TBackgroundPosition{};
  Vertical = TBackgroundPosition{};
  if (const std::string* s = str(Props.prop(BackgroundPosition))) {
    const std::string text(trimAscii(lowerAscii(*s)));
    std::string words[2];
    int count = 0;
    if (!text.empty()) {
      const size_t sp = text.find(' ');
      words[count++] = text.substr(0, sp);
      if (sp != std::string::npos) {
        const std::string second(trimAscii(std::string_view(text).substr(sp + 1)));
        if (!second.empty()) words[count++] = second;
      }
    }
    // The first word normally fills the horizontal record and the second the vertical one; a side word
    // says for itself which record it fills.
    bool verticalFirst = false;
    for (int k = 0; k < count; ++k) {
      const std::string& w = words[k];
      TBackgroundPosition rec;
      if (w == "top" || w == "bottom") {
        rec.PosType = w == "top" ? TBackgroundPosition::Top : TBackgroundPosition::Bottom;
        Vertical = rec;
        if (k == 0) verticalFirst = true;
        continue;
      }
      if (w == "left" || w == "right") {
        rec.PosType = w == "left" ? TBackgroundPosition::LeftSide : TBackgroundPosition::RightSide;
        if (k == 1 && !verticalFirst) Vertical = Horizontal;
        Horizontal = rec;
        continue;
      }
      if (w == "center") {
        rec.PosType = TBackgroundPosition::Center;
      } else {
        rec.PosType = w.find('%') != std::string::npos ? TBackgroundPosition::Percentage : TBackgroundPosition::Length;
        rec.Value = ToPixels(w, false, 100, 0, EmSize, ExSize, Props.PixelsPerInch);
      }
      ((k == 0) != verticalFirst ? Horizontal : Vertical) = rec;
    }
    if (count == 1) (verticalFirst ? Horizontal : Vertical) = TBackgroundPosition{TBackgroundPosition::Center};
  }
  const std::string* rep = str(Props.prop(BackgroundRepeat));
  const std::string r = rep ? lowerAscii(trimAscii(*rep)) : std::string();
  Horizontal.RepeatD = r != "no-repeat" && r != "repeat-y";
  Vertical.RepeatD = r != "no-repeat" && r != "repeat-x";
  const std::string* att = str(Props.prop(BackgroundAttachment));
  const bool fixed = att && lowerAscii(trimAscii(*att)) == "fixed";
  Horizontal.Fixed = Vertical.Fixed = fixed;
}

}  // namespace lumora::html
