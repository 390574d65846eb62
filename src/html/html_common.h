#pragma once
// Character containers shared by the lexer and the document builder: 8-bit and 16-bit text with the source
// position of every character, and the attributes of the current tag.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_symbols.h"

namespace lumora::html {

class TProperties;  // a property set; defined by the style code

// 8-bit characters, each with its source position.
class TCharCollection {
 public:
  TCharCollection();
  void add(char c, int pos) {
    chars_ += c;
    positions_.push_back(pos);
  }
  // Appends bytes whose positions run consecutively from `firstPos`.
  void addRun(std::string_view bytes, int firstPos);
  void concat(const TCharCollection& other);
  void Clear() {
    chars_.clear();
    positions_.clear();
  }
  size_t count() const { return chars_.size(); }
  const std::string& asString() const { return chars_; }
  const std::vector<int>& positions() const { return positions_; }

 private:
  std::string chars_;
  std::vector<int> positions_;
};

// The text of one token as 16-bit characters, each with its source position.
class TokenObj {
 public:
  TokenObj();
  void addUnicodeChar(char16_t c, int pos) {
    text_ += c;
    positions_.push_back(pos);
  }
  // Appends bytes decoded one to one through a 256-entry table; positions run on from `firstPos`.
  void addDecodedRun(const unsigned char* bytes, size_t count, int firstPos, const char16_t* table);
  // Converts the collected bytes through `codePage`; each character gets the position of its first byte.
  void addString(const TCharCollection& bytes, int codePage);
  void Clear() {
    text_.clear();
    positions_.clear();
  }
  size_t count() const { return text_.size(); }
  const std::u16string& S() const { return text_; }
  const std::vector<int>& positions() const { return positions_; }

 private:
  std::u16string text_;
  std::vector<int> positions_;
};

// One attribute of the current tag.
struct TAttribute {
  Symb Which = OtherAttribute;
  std::string WhichName;  // the name as written, upper-cased
  std::string Name;       // the value as text, in the code page below
  int Value = 0;          // the value as a number
  int CodePage = 0;       // the document's code page when the attribute was read
};

// The attributes of the current tag in source order.
class TAttributeList {
 public:
  TAttributeList() = default;
  TAttributeList(const TAttributeList& other);
  TAttributeList& operator=(const TAttributeList& other);
  TAttributeList(TAttributeList&&) = default;
  TAttributeList& operator=(TAttributeList&&) = default;

  // A fresh attribute at the end of the list (its storage is reused from earlier tags).
  TAttribute& addNew();
  void reserve(size_t count) { items_.reserve(count); }
  void Clear();

  size_t count() const { return count_; }
  const TAttribute& operator[](size_t i) const { return items_[i]; }

  // The first attribute with this symbol, or null.
  const TAttribute* find(Symb sy) const;
  // Lines "NAME=value" in source order.
  std::vector<std::string> asStrings() const;
  // CLASS lower-cased; several names sorted and joined with ".".
  std::string theClass() const;
  // ID lower-cased (computed once per tag).
  const std::string& theID() const;
  std::string theTitle() const;

 private:
  // Kept in one block (a copy of a tag's attributes is one allocation); entries past count_ are spare
  // storage for the next tag. A reference from addNew or find lasts until the next addNew.
  std::vector<TAttribute> items_;
  size_t count_ = 0;
  mutable std::string id_;
  mutable bool idKnown_ = false;
};

}  // namespace lumora::html
