#include "html/html_common.h"

#include <algorithm>

#include "html/html_codepage.h"

namespace lumora::html {

namespace {

// Room for a typical token before the first reallocation.
constexpr size_t kInitialCapacity = 300;

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

TCharCollection::TCharCollection() {
  chars_.reserve(kInitialCapacity);
  positions_.reserve(kInitialCapacity);
}

void TCharCollection::addRun(std::string_view bytes, int firstPos) {
  chars_.append(bytes);
  const size_t start = positions_.size();
  positions_.resize(start + bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) positions_[start + i] = firstPos + static_cast<int>(i);
}

void TCharCollection::concat(const TCharCollection& other) {
  chars_ += other.chars_;
  positions_.insert(positions_.end(), other.positions_.begin(), other.positions_.end());
}

TokenObj::TokenObj() {
  text_.reserve(kInitialCapacity);
  positions_.reserve(kInitialCapacity);
}

void TokenObj::addDecodedRun(const unsigned char* bytes, size_t count, int firstPos, const char16_t* table) {
  const size_t start = text_.size();
  text_.resize(start + count);
  positions_.resize(start + count);
  for (size_t i = 0; i < count; ++i) {
    text_[start + i] = table[bytes[i]];
    positions_[start + i] = firstPos + static_cast<int>(i);
  }
}

void TokenObj::addString(const TCharCollection& bytes, int codePage) {
  appendWide(bytes.asString(), codePage, text_, bytes.positions().data(), &positions_);
}


TAttributeList::TAttributeList(const TAttributeList& other) { *this = other; }

TAttributeList& TAttributeList::operator=(const TAttributeList& other) {
  if (this == &other) return *this;
  Clear();
  items_.reserve(other.count_);
  for (size_t i = 0; i < other.count_; ++i) addNew() = other[i];
  return *this;
}

TAttribute& TAttributeList::addNew() {
  if (count_ == items_.size()) items_.emplace_back();
  TAttribute& a = items_[count_++];
  a.Which = OtherAttribute;
  a.WhichName.clear();
  a.Name.clear();
  a.Value = 0;
  a.CodePage = 0;
  idKnown_ = false;
  return a;
}

void TAttributeList::Clear() {
  count_ = 0;
  idKnown_ = false;
  id_.clear();
}

const TAttribute* TAttributeList::find(Symb sy) const {
  for (size_t i = 0; i < count_; ++i) {
    if (items_[i].Which == sy) return &items_[i];
  }
  return nullptr;
}

std::vector<std::string> TAttributeList::asStrings() const {
  std::vector<std::string> lines;
  lines.reserve(count_);
  for (size_t i = 0; i < count_; ++i) lines.push_back(items_[i].WhichName + "=" + items_[i].Name);
  return lines;
}

std::string TAttributeList::theClass() const {
  const TAttribute* a = find(ClassSy);
  if (a == nullptr) return {};
  const std::string value = lowerAscii(trim(a->Name));
  if (value.find(' ') == std::string::npos) return value;
  std::vector<std::string_view> words;
  std::string_view rest(value);
  while (!rest.empty()) {
    const size_t space = rest.find(' ');
    if (space != 0) words.push_back(rest.substr(0, space));
    if (space == std::string_view::npos) break;
    rest.remove_prefix(space + 1);
  }
  std::sort(words.begin(), words.end());
  std::string joined;
  for (std::string_view w : words) {
    joined += '.';
    joined += w;
  }
  return joined.empty() ? joined : joined.substr(1);
}

const std::string& TAttributeList::theID() const {
  if (!idKnown_) {
    const TAttribute* a = find(IdSy);
    id_ = a ? lowerAscii(a->Name) : std::string();
    idKnown_ = true;
  }
  return id_;
}

std::string TAttributeList::theTitle() const {
  const TAttribute* a = find(TitleSy);
  return a ? a->Name : std::string();
}

}  // namespace lumora::html
