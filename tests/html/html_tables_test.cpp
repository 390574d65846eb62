// The symbol tables: what the tables hold, in which order, and which names share a symbol.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "html/html_entities.h"
#include "html/html_symbols.h"

namespace lumora::html {
namespace {

TEST(HtmlTables, TagTableHasEightyTagsAndTheFirst57HaveEndForms) {
  const auto tags = tagTable();
  ASSERT_EQ(tags.size(), 80u);
  EXPECT_EQ(tags.front().Name, "HTML");
  EXPECT_EQ(tags[56].Name, "OBJECT");
  EXPECT_EQ(tags[57].Name, "LI");
  EXPECT_EQ(tags.back().Name, "READONLY");
  std::set<Symb> symbols;
  for (size_t i = 0; i < tags.size(); ++i) {
    SCOPED_TRACE(std::string(tags[i].Name));
    EXPECT_EQ(tags[i].EndSy != UnknownSy, i < 57);
    EXPECT_EQ(lookupTag(tags[i].Name, false), tags[i].StartSy);
    EXPECT_EQ(lookupTag(tags[i].Name, true), tags[i].EndSy);
    EXPECT_EQ(tagName(tags[i].StartSy), tags[i].Name);
    if (i < 57) {
      EXPECT_TRUE(isEndTag(tags[i].EndSy));
    }
    symbols.insert(tags[i].StartSy);
    symbols.insert(tags[i].EndSy);
  }
  EXPECT_EQ(symbols.size(), 80u + 57u + 1u);  // plus UnknownSy for the tags without end form
}

TEST(HtmlTables, AttributeTableHas84RowsWithValueTwice) {
  const auto attributes = attributeTable();
  ASSERT_EQ(attributes.size(), 84u);
  EXPECT_EQ(attributes.front().Name, "HREF");
  EXPECT_EQ(attributes[17].Name, "VALUE");
  EXPECT_EQ(attributes[29].Name, "VALUE");
  EXPECT_EQ(attributes[17].Sy, attributes[29].Sy);
  EXPECT_EQ(attributes.back().Name, "READONLY");
  std::set<std::string_view> names;
  for (const AttributeEntry& a : attributes) {
    names.insert(a.Name);
    EXPECT_EQ(lookupAttribute(a.Name), a.Sy) << a.Name;
  }
  EXPECT_EQ(names.size(), 83u);
  EXPECT_EQ(lookupAttribute("DATA-X"), OtherAttribute);
  EXPECT_EQ(lookupAttribute("href"), OtherAttribute);  // callers upper-case first
}

TEST(HtmlTables, SharedAndSeparateSymbols) {
  // Tags and attributes that are the same symbol.
  for (const char* name : {"SELECTED", "WRAP", "READONLY", "TITLE", "STYLE", "SPAN", "LABEL"}) {
    EXPECT_EQ(lookupTag(name, false), lookupAttribute(name)) << name;
  }
  // LINK the tag and LINK the attribute are different things.
  EXPECT_NE(lookupTag("LINK", false), lookupAttribute("LINK"));
  EXPECT_EQ(lookupTag("H1", false), UnknownSy);
  EXPECT_EQ(lookupTag("BR", true), UnknownSy);
  EXPECT_EQ(lookupTag("P", true), PEndSy);
}

TEST(HtmlTables, EntityTableIsSortedAndComplete) {
  const auto entities = entityTable();
  ASSERT_EQ(entities.size(), 253u);
  EXPECT_TRUE(std::is_sorted(entities.begin(), entities.end(),
                             [](const EntityEntry& a, const EntityEntry& b) { return a.Name < b.Name; }));
  struct Case {
    const char* name;
    int value;
  };
  for (const Case& c : {Case{"nbsp", 160}, Case{"yuml", 255}, Case{"Alpha", 913}, Case{"alpha", 945},
                        Case{"fnof", 402}, Case{"diams", 9830}, Case{"quot", 34}, Case{"amp", 38},
                        Case{"euro", 8364}, Case{"apos", 8217}, Case{"hellip", 8230}, Case{"thetasym", 977}}) {
    const auto v = lookupEntity(c.name);
    ASSERT_TRUE(v.has_value()) << c.name;
    EXPECT_EQ(*v, c.value) << c.name;
  }
  EXPECT_FALSE(lookupEntity("ALPHA").has_value());
  EXPECT_FALSE(lookupEntity("Amp").has_value());
  EXPECT_FALSE(lookupEntity("").has_value());
}

// The HTML 4 names with their standard values, as an independent source (Python's table) lists them.
TEST(HtmlTables, EntityValuesMatchAnIndependentTable) {
  FILE* pipe = ::popen(
      "python3 -c \"import html.entities as e\nfor k,v in sorted(e.name2codepoint.items()): print(k, v)\" "
      "2>/dev/null",
      "r");
  ASSERT_NE(pipe, nullptr);
  char name[32];
  int value = 0;
  int compared = 0;
  while (std::fscanf(pipe, "%31s %d", name, &value) == 2) {
    const auto ours = lookupEntity(name);
    ASSERT_TRUE(ours.has_value()) << name;
    EXPECT_EQ(*ours, value) << name;
    ++compared;
  }
  ::pclose(pipe);
  if (compared == 0) GTEST_SKIP() << "python3 not available";
  EXPECT_EQ(compared + 1, 253);  // all of HTML 4 plus "apos"
}

}  // namespace
}  // namespace lumora::html
