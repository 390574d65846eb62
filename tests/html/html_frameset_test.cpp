// Frameset documents: recognising them and reading their framesets and frames.

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "html/html_frameset.h"

namespace lumora::html {
namespace {

// Records the frame viewer calls as short words.
class RecordingBuilder : public IFrameSetBuilder {
 public:
  void SetDimensions(const TAttributeList& Attributes) override {
    std::string entry = "dims";
    for (const std::string& line : Attributes.asStrings()) entry += " " + line;
    calls.push_back(entry);
  }
  void addSubFrameSet() override { calls.push_back("sub"); }
  void AddFrame(const TAttributeList& Attributes, const std::string& DocumentName) override {
    const TAttribute* src = Attributes.find(SrcSy);
    calls.push_back("frame " + (src ? src->Name : std::string("?")) + " in " + DocumentName);
  }
  void FinishFrameSet() override { calls.push_back("finish"); }
  void Script(const std::string& Name, const std::string& Script, const std::string& Language) override {
    calls.push_back("script " + Name + "/" + Language + ": " + Script);
  }
  void Sound(const std::string& Src, int Loop) override {
    calls.push_back("sound " + Src + " " + std::to_string(Loop));
  }
  void meta(const std::string& HttpEq, const std::string& Name, const std::string& Content) override {
    calls.push_back("meta " + HttpEq + "|" + Name + "|" + Content);
  }
  std::vector<std::string> calls;
};

TEST(FramesetTest, RecognisesFramesetDocuments) {
  struct Case {
    const char* text;
    bool frameset;
  };
  const Case cases[] = {
      {"<html><head><title>T</title></head><frameset cols=\"*\"><frame src=a.htm></frameset>", true},
      {"<FRAMESET>", true},
      // Body content before the frameset makes an ordinary page.
      {"<body><frameset>", false},
      {"<p>text<frameset>", false},
      {"<h2>Head</h2><frameset>", false},
      {"<ul><li>x</ul><frameset>", false},
      {"<img src=a.gif><frameset>", false},
      // Text and other tags do not count; a script may mention body tags.
      {"Some text <b>bold</b> <frameset>", true},
      {"<script>document.write('<body><p>');</script><frameset>", true},
      {"<SCRIPT LANGUAGE=x>a < b</Script ><frameset>", true},
      // A heading level outside 1 to 6 is not a heading.
      {"<h7>x<frameset>", true},
      {"", false},
      {"<html><body></body></html>", false},
      {"<!-- never closed <frameset>", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsFramesetText(c.text), c.frameset) << c.text;
}

TEST(FramesetTest, RecognisesTheDemoPages) {
  const std::string demo = std::string(LUMORA_SOURCE_DIR) + "/demo/";
  EXPECT_TRUE(isFramesetFile(demo + "frames.htm"));
  EXPECT_FALSE(isFramesetFile(demo + "index.htm"));
  EXPECT_FALSE(isFramesetFile(demo + "frames/contents.htm"));
  EXPECT_FALSE(isFramesetFile(demo + "no-such-page.htm"));
}

TEST(FramesetTest, ReadsNestedFramesetsInOrder) {
  RecordingBuilder viewer;
  const TFrameSetDocument doc = ParseFramesetText(viewer,
                                                  "<title>My <b>Book</b></title><base href=\"http://x/\" target=main>"
                                                  "<frameset cols=\"30%,*\">"
                                                  "  <frame src=contents.htm name=left>"
                                                  "  <frameset rows=\"50,*\">"
                                                  "    <frame src=top.htm><frame src=main.htm>"
                                                  "  </frameset>"
                                                  "  <noframes><frame src=hidden.htm></noframes>"
                                                  "</frameset>",
                                                  "/pub/frames.htm");
  const std::vector<std::string> expected = {
      "dims COLS=30%,*",
      "frame contents.htm in /pub/frames.htm",
      "sub",
      "dims ROWS=50,*",
      "frame top.htm in /pub/frames.htm",
      "frame main.htm in /pub/frames.htm",
      "finish",
      "finish",
  };
  EXPECT_EQ(viewer.calls, expected);
  EXPECT_TRUE(doc.FoundFrameSet);
  EXPECT_EQ(doc.Title, u"My ");  // a tag ends the title
  EXPECT_EQ(doc.Base, "http://x/");
  EXPECT_EQ(doc.BaseTarget, "main");
}

TEST(FramesetTest, ScriptSoundAndMetaReachTheViewer) {
  RecordingBuilder viewer;
  ParseFramesetText(viewer,
                    "<meta http-equiv=refresh content=\"5; url=next.htm\">"
                    "<bgsound src=music.mid loop=3>"
                    "<frameset rows=*><script name=s language=JavaScript>if (a<b)\nx();</script>"
                    "<frame src=a.htm></frameset>",
                    "f.htm");
  const std::vector<std::string> expected = {
      "meta refresh||5; url=next.htm",
      "sound music.mid 3",
      "dims ROWS=*",
      "script s/JavaScript: if (a<b)\r\nx();",
      "frame a.htm in f.htm",
      "finish",
  };
  EXPECT_EQ(viewer.calls, expected);
}

TEST(FramesetTest, BodyContentEndsTheDocumentAndUnclosedFramesetsAreFinished) {
  RecordingBuilder viewer;
  ParseFramesetText(viewer, "<frameset cols=*,*><frame src=a.htm><frameset rows=*>", "f.htm");
  EXPECT_EQ(viewer.calls, (std::vector<std::string>{"dims COLS=*,*", "frame a.htm in f.htm", "sub", "dims ROWS=*",
                                                    "finish", "finish"}));

  RecordingBuilder afterBody;
  ParseFramesetText(afterBody, "<p>text</p><frameset><frame src=a.htm></frameset>", "f.htm");
  EXPECT_TRUE(afterBody.calls.empty());

  // A comment that never ends still leaves every frameset finished.
  RecordingBuilder broken;
  ParseFramesetText(broken, "<frameset><frameset><frame src=a.htm><!-- open", "f.htm");
  ASSERT_GE(broken.calls.size(), 2u);
  EXPECT_EQ(std::count(broken.calls.begin(), broken.calls.end(), "finish"),
            std::count(broken.calls.begin(), broken.calls.end(), "sub") + 1);
}

TEST(FramesetTest, DeepNestingIsCappedAndBalanced) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "<frameset><frame src=f.htm>";
  for (int i = 0; i < 20000; ++i) text += "</frameset>";
  text += "<frameset><frame src=second.htm></frameset>";  // a second top-level frameset is not built
  RecordingBuilder viewer;
  ParseFramesetText(viewer, text, "d.htm");
  const auto count = [&](const std::string& word) { return std::count(viewer.calls.begin(), viewer.calls.end(), word); };
  EXPECT_EQ(count("sub"), kMaxFrameSetNesting - 1);
  EXPECT_EQ(count("finish"), kMaxFrameSetNesting);
  EXPECT_EQ(count("frame f.htm in d.htm"), kMaxFrameSetNesting);
  EXPECT_EQ(count("frame second.htm in d.htm"), 0);
}

}  // namespace
}  // namespace lumora::html
