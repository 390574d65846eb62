#include "i18n/lang_data.h"

#include <algorithm>

#include "core/paths.h"
#include "i18n/language_constants.h"

namespace lumora::i18n {

namespace {

void put16(std::string& out, size_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
}

void writeNode(std::string& out, const TLang_CompEntry& node) {
  put16(out, node.name.size());
  out += node.name;
  out += node.props.empty() ? '\0' : '\1';
  if (!node.props.empty()) {
    put32(out, static_cast<int32_t>(node.props.size()));
    for (const TLang_PropEntry& p : node.props) {
      put32(out, p.id);
      put16(out, p.path.size());
      out += p.path;
    }
  }
  out += node.children.empty() ? '\0' : '\1';
  if (!node.children.empty()) {
    put32(out, static_cast<int32_t>(node.children.size()));
    for (const auto& child : node.children) writeNode(out, *child);
  }
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  std::unique_ptr<TLang_CompEntry> node(int depth) {
    if (depth > 64) fail();
    auto entry = std::make_unique<TLang_CompEntry>();
    entry->name = text(u16());
    if (flag()) {
      const int32_t count = i32();
      for (int32_t i = 0; i < count; ++i) {
        const int32_t id = i32();
        std::string path = text(u16());
        if (id <= 0 || entry->findProp(path) != nullptr) fail();
        entry->addProp(id, std::move(path));
      }
    }
    if (flag()) {
      const int32_t count = i32();
      for (int32_t i = 0; i < count; ++i) entry->children.push_back(node(depth + 1));
    }
    return entry;
  }
  bool atEnd() const { return pos_ == bytes_.size(); }

 private:
  [[noreturn]] static void fail() { throw ELangError("The stored translation table is damaged."); }
  void need(size_t n) const {
    if (bytes_.size() - pos_ < n) fail();
  }
  bool flag() {
    const uint8_t b = byte();
    if (b > 1) fail();
    return b == 1;
  }
  uint8_t byte() {
    need(1);
    return static_cast<uint8_t>(bytes_[pos_++]);
  }
  size_t u16() {
    const size_t lo = byte();
    return lo | static_cast<size_t>(byte()) << 8;
  }
  int32_t i32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(byte()) << (8 * i);
    const auto value = static_cast<int32_t>(v);
    // Every count or ID stands for at least one more stored byte; anything else lies.
    if (value < 0 || static_cast<size_t>(value) > bytes_.size()) fail();
    return value;
  }
  std::string text(size_t n) {
    need(n);
    std::string s(bytes_.substr(pos_, n));
    pos_ += n;
    return s;
  }
  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace

TLang_PropEntry& TLang_CompEntry::addProp(int32_t id, std::string path) {
  const auto it = std::lower_bound(props.begin(), props.end(), path, [](const TLang_PropEntry& p, const std::string& s) {
    return core::compareIgnoreAsciiCase(p.path, s) < 0;
  });
  return *props.insert(it, TLang_PropEntry{id, std::move(path), {}});
}

TLang_PropEntry* TLang_CompEntry::findProp(std::string_view path) {
  const auto it = std::lower_bound(props.begin(), props.end(), path, [](const TLang_PropEntry& p, std::string_view s) {
    return core::compareIgnoreAsciiCase(p.path, s) < 0;
  });
  return it != props.end() && core::compareIgnoreAsciiCase(it->path, path) == 0 ? &*it : nullptr;
}

int32_t TLang_CompEntry::largestId() const {
  int32_t largest = 0;
  for (const TLang_PropEntry& p : props) largest = std::max(largest, p.id);
  for (const auto& child : children) largest = std::max(largest, child->largestId());
  return largest;
}

std::string writeLangData(const TLang_CompEntry& root) {
  std::string out;
  writeNode(out, root);
  return out;
}

std::unique_ptr<TLang_CompEntry> readLangData(std::string_view bytes) {
  Reader reader(bytes);
  auto root = reader.node(0);
  if (!reader.atEnd()) throw ELangError("The stored translation table is damaged.");
  return root;
}

}  // namespace lumora::i18n
