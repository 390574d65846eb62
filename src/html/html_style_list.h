#pragma once
// The style sheet of one document: rules under selector keys, with the built-in defaults.
//
// Keys are lower case. Simple keys combine a tag, "." class, "#" id and ":" pseudo-class in that order;
// descendant keys are the subject, a space, digits (ancestor count and a sequence number) and the ancestors,
// nearest first, separated by spaces. Built-in keys: "default", "::link", "::visited", "::hover", "null".

#include <functional>
#include <map>
#include <unordered_map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_style_props.h"

namespace lumora::html {

// One word of a selector key, split into its parts.
struct TSelectorWord {
  std::string_view Tag, Class, ID, Pseudo;
};

// A rule: its property set and, split once when the rule is made, the words of its key (views into the key).
struct TStyleRule {
  std::unique_ptr<TProperties> Props;
  std::vector<TSelectorWord> Words;
};

class TStyleList {
 public:
  using Map = std::multimap<std::string, TStyleRule, std::less<>>;

  TStyleList() = default;
  TStyleList(const TStyleList&) = delete;
  TStyleList& operator=(const TStyleList&) = delete;

  void BuildDefaults(const std::string& DefFontName, const std::string& PreFontName, int MarginWidth,
                     int MarginHeight, uint8_t CharSet, bool LinkUnderline, TColor OverLinkColor,
                     TColor VisitedLinkColor, TColor HotSpotColor, TColor DefFontColor, double DefFontSize);
  // One declaration of a style-sheet rule; unknown property names are ignored.
  void SetRuleProperty(std::string_view Selector, std::string_view PropertyName, std::string_view Value);
  // Adds a further set under Key (after any sets already there) and returns it.
  TProperties& AddCopy(std::string_view Key, const TProperties& Properties);
  // The color of "::" + Pseudo ("link", "visited", "hover").
  void SetLinkColor(std::string_view Pseudo, TColor Color);
  void Clear();

  // Every set stored under Key in the order they were added, or null when there is none. A hash lookup:
  // the cascade asks for a dozen keys per element, most of which do not exist.
  const std::vector<const TProperties*>* setsFor(std::string_view Key) const {
    const auto it = byKey_.find(Key);
    return it == byKey_.end() ? nullptr : &it->second;
  }
  // The first set stored under Key, or null.
  const TProperties* find(std::string_view Key) const;
  TProperties* find(std::string_view Key);
  // The rules with ancestors in their key, in key order (keys are views into the rules' own keys).
  const std::multimap<std::string_view, const TStyleRule*, std::less<>>& descendantRules() const {
    return descendants_;
  }

  double DefFontSize() const { return defFontSize_; }
  // The next sequence number for a descendant key (10 first after Clear), as the digits the key holds.
  // The digits have a fixed width so that keys sort in the order the rules were read: with plain numbers
  // rule 100 ("...100...") would sort before rule 11 and an earlier rule would win over a later one.
  std::string nextSequence() { return sequenceDigits(sequence_++); }
  static std::string sequenceDigits(int Sequence);
  // The host's fonts and display resolution, handed to every property set the list's rules are applied to.
  ITextMetrics* Fonts = nullptr;
  int PixelsPerInch = kDefaultPixelsPerInch;
  // Called when a rule mentions ":hover" so the document starts tracking the pointer.
  std::function<void()> OnHoverRule;

 private:
  TProperties& findOrCreate(std::string_view Key);
  TProperties& insert(std::string_view Key, std::unique_ptr<TProperties> Props);

  Map rules_;
  // The sets of rules_ by key (views into rules_' keys, which stay put while their nodes live).
  std::unordered_map<std::string_view, std::vector<const TProperties*>> byKey_;
  std::multimap<std::string_view, const TStyleRule*, std::less<>> descendants_;
  int sequence_ = 10;
  double defFontSize_ = 12;
};

}  // namespace lumora::html
