// The text lists inside a help file: the table of contents and index, the file's description, the popup
// texts, and the topic names pages link with.
#include <gtest/gtest.h>

#include <string>

#include "help/chm_system.h"
#include "help/help_names.h"
#include "help/help_sitemap.h"

namespace lumora::help {
namespace {

TEST(HelpSitemap, NestedListsGiveLevelsAndTheFirstParamsCount) {
  const std::string hhc = R"(<HTML><BODY>
<OBJECT type="text/site properties"><param name="Name" value="not an entry"></OBJECT>
<ul>
  <LI><object TYPE="Text/Sitemap"><PARAM NAME="Name" VALUE="Start &amp; finish"><param name=Local value=start.htm>
      <param name="Name" value="second name"><param name="Local" value="second.htm"></object>
  <UL>
    <LI><OBJECT type="text/sitemap"><param name="Name" value='Inner &#233;&#x4E2D;'><param name="Local" value="sub\inner.htm#part"></OBJECT>
    <!-- <LI><OBJECT type="text/sitemap"><param name="Name" value="commented out"></OBJECT> -->
  </UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Heading only"></OBJECT>
</UL></BODY></HTML>)";
  const auto entries = parseSitemap(hhc);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Name, "Start & finish");
  EXPECT_EQ(entries[0].Local, "start.htm");
  EXPECT_EQ(entries[0].Level, 0);
  EXPECT_EQ(entries[1].Name, "Inner \xC3\xA9\xE4\xB8\xAD");
  EXPECT_EQ(entries[1].Local, "sub\\inner.htm#part");
  EXPECT_EQ(entries[1].Level, 1);
  EXPECT_EQ(entries[2].Name, "Heading only");
  EXPECT_TRUE(entries[2].Local.empty());
  EXPECT_EQ(entries[2].Level, 0);
}

TEST(HelpSitemap, LegacyTextIsReadInTheFilesCodePageAndCutTagsEndTheList) {
  // "Привет" in Windows-1251, from a Russian help file (LCID 0x419).
  const std::string hhk = "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"\xCF\xF0\xE8\xE2\xE5\xF2\">"
                          "<param name=\"Local\" value=\"a.htm\"></OBJECT><LI><OBJECT type=\"text/sitemap\"><param name=\"Name";
  const auto entries = parseSitemap(hhk, 0x419);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Name, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  EXPECT_TRUE(parseSitemap("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"never closed").empty());
}

TEST(HelpSitemap, DepthIsBounded) {
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += "<UL>";
  deep += R"(<LI><OBJECT type="text/sitemap"><param name="Name" value="deep"></OBJECT>)";
  const auto entries = parseSitemap(deep);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Level, kMaxSitemapLevel);
}

TEST(HelpNames, ReferencesResolveInsideTheFile) {
  struct Case {
    const char* reference;
    const char* current;
    const char* expected;
  } cases[] = {
      {"other.htm", "/welcome.htm", "/other.htm"},
      {"img/a.png", "/sub/page.htm", "/sub/img/a.png"},
      {"..\\..\\up.htm", "/sub/page.htm", "/up.htm"},
      {"./x/../y.htm#z", "/a/b.htm", "/a/y.htm#z"},
      {"/abs.htm", "/a/b.htm", "/abs.htm"},
      {"#part", "/a/b.htm", "/a/b.htm#part"},
      {"ms-its:english.chm::/importskin.htm", "/a/b.htm", "/importskin.htm"},
      {"mk:@MSITStore:C:\\help\\english.chm::/sub/t.htm#p", "", "/sub/t.htm#p"},
      {"english.chm::topic.htm", "/a/b.htm", "/topic.htm"},
      {"http://example.com/x.htm", "/a/b.htm", ""},
      {"mailto:someone@example.com", "/a/b.htm", ""},
      {"file:///etc/passwd", "/a/b.htm", ""},
      {"   ", "/a/b.htm", ""},
      {"page.htm", "", "/page.htm"},
  };
  for (const Case& c : cases) EXPECT_EQ(resolveTopicName(c.reference, c.current), c.expected) << c.reference;
}

TEST(ChmSystem, RecordsAreReadAndDamageIsTolerated) {
  const auto record = [](int code, const std::string& data) {
    std::string r;
    r += static_cast<char>(code & 0xFF), r += static_cast<char>(code >> 8);
    r += static_cast<char>(data.size() & 0xFF), r += static_cast<char>(data.size() >> 8);
    return r + data;
  };
  const std::string bytes = std::string("\3\0\0\0", 4) + record(0, std::string("toc.hhc\0", 8)) +
                            record(9, "compiler") + record(4, std::string("\x19\x04\0\0", 4)) +
                            record(3, "Title without a zero") + record(2, "start.htm") +
                            record(1, "cut-off index.hhk").substr(0, 12);
  const TChmSystemInfo info = parseSystemFile(bytes);
  EXPECT_EQ(info.ContentsFile, "toc.hhc");
  EXPECT_EQ(info.Title, "Title without a zero");
  EXPECT_EQ(info.DefaultTopic, "start.htm");
  EXPECT_EQ(info.IndexFile, "cut-off ");
  EXPECT_EQ(info.Lcid, 0x419u);
  EXPECT_EQ(codePageOfLcid(info.Lcid), 1251);
  EXPECT_TRUE(parseSystemFile("ab").ContentsFile.empty());
}

TEST(PopupTexts, TopicsRunToTheNextTopicLine) {
  const auto texts = parsePopupTexts("ignored before the first topic\r\n.topic 1\r\n\r\nFirst line\r\nsecond line\r\n\r\n"
                                     ".topic IDH_NAME\nNamed\n.topicx not a topic line\n");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts.at("1"), "First line\nsecond line");
  EXPECT_EQ(texts.at("IDH_NAME"), "Named\n.topicx not a topic line");
}

}  // namespace
}  // namespace lumora::help
