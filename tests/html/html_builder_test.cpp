// The document builder: markup in, document model out (looked at through the dump and the model).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_forms.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html_builder_support.h"

namespace lumora::html {
namespace {

using testing::build;
using testing::count;
using testing::linesStarting;
using testing::sectionTexts;
using Texts = std::vector<std::string>;

// Malformed markup: implied ends, stray and misordered end tags.
TEST(HtmlBuilder, TextOfMalformedMarkup) {
  struct Case {
    const char* label;
    std::string html;
    Texts texts;
  };
  const Case cases[] = {
      {"P inside P ends the first", "<p>one<p>two", {"one ", "two "}},
      {"stray end tags are ignored; a list end tag ends the paragraph", "<p>a</b>b</i>c</ul></td>d", {"abc ", "d "}},
      {"text after a table in a paragraph starts a new section", "<p>a<table><tr><td>b</table>c", {"a ", "b ", "c "}},
      {"text between TR and TD goes before the table", "<table><tr>x<td>y</table>", {"x ", "y "}},
      {"spaces collapse, leading spaces go", "<p>   a  &nbsp; b   ", {"a \\_ b "}},
      {"BR ends the section; a lone BR keeps its line", "a<br>b<br><br>c", {"a ", "b ", "\\n", "c "}},
      {"spaces around a BR go", "a <br> b", {"a ", "b "}},
      {"TITLE stops at a tag", "<title>x<b>y</b></title>z", {"yz "}},
      {"SCRIPT without a handler is skipped", "<script>if (a<b) x();</script>after", {"after "}},
      {"a control character ends PRE", "<pre>ab\x01" "cd</pre>", {"ab ", "?cd "}},
      {"PRE keeps spaces, one section per line, tab reads as a space", "<pre>\na  b\n\tc\n</pre>", {"a  b ", " c "}},
      {"PRE WRAP flows like text", "<pre wrap>a  b\nc</pre>", {"a b c "}},
      {"an empty LI gets a no-break space", "<ul><li><li>b</ul>", {"\\_ ", "b "}},
      {"an LI with only an image needs no filler", "<ul><li><img src=a.gif></ul>", {"\\o "}},
      {"unclosed comment keeps what came before it", "<p>kept</p><p>more<!-- never closed", {"kept ", "more "}},
  };
  for (const Case& c : cases) {
    const auto doc = build(c.html);
    EXPECT_EQ(sectionTexts(*doc), c.texts) << c.label;
  }
}

TEST(HtmlBuilder, TitleAndHead) {
  const auto doc = build("<html><head><title>A &amp; B</title><base href=\"http://host/dir/\" target=main></head>"
                         "<body><a href=\"p.htm\" target=t>L</a><a href=q.htm>M</a>");
  EXPECT_EQ(doc->Title, u"A & B");
  EXPECT_EQ(doc->BaseUrl, "http://host/dir/");
  EXPECT_EQ(doc->BaseTarget, "main");
  EXPECT_EQ(doc->ExpandName("p.htm"), "http://host/dir/p.htm");
  const auto runs = linesStarting(*doc, "run ");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_NE(runs[0].find("link=\"p.htm\" target=\"t\""), std::string::npos) << runs[0];
  EXPECT_NE(runs[1].find("link=\"q.htm\""), std::string::npos) << runs[1];
  EXPECT_EQ(runs[1].find("target="), std::string::npos) << runs[1];
  EXPECT_EQ(runs[2].find("link="), std::string::npos) << runs[2];  // the closing space is not part of a link
  EXPECT_EQ(doc->LinkList.size(), 2u);
  EXPECT_NE(doc->LinkList[0]->UrlTarget->ID, doc->LinkList[1]->UrlTarget->ID);
  EXPECT_NE(doc->LinkList[0]->UrlTarget->last, -1);
}

TEST(HtmlBuilder, FontRunsFollowTheStack) {
  // B, I, /B, /I: the italic entry is re-inherited without bold.
  const auto doc = build("<p>a<b>b<i>c</b>d</i>e");
  const auto runs = linesStarting(*doc, "run ");
  ASSERT_EQ(runs.size(), 5u);
  const char* expected[] = {"run 0 \"Times New Roman\" 12pt #000000", "run 1 \"Times New Roman\" 12pt bold #000000",
                            "run 2 \"Times New Roman\" 12pt bold italic #000000",
                            "run 3 \"Times New Roman\" 12pt italic #000000", "run 4 \"Times New Roman\" 12pt #000000"};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(runs[i], expected[i]);

  // An unclosed B keeps the next paragraphs bold, until a table row ends.
  const auto open = build("<p><b>one<p>two<table><tr><td>cell</table><p>three");
  const auto openRuns = linesStarting(*open, "run 0");
  ASSERT_EQ(openRuns.size(), 4u);
  EXPECT_NE(openRuns[1].find("bold"), std::string::npos);
  EXPECT_NE(openRuns[2].find("bold"), std::string::npos);  // the cell inherits from the table
  EXPECT_NE(openRuns[3].find("bold"), std::string::npos);
}

TEST(HtmlBuilder, FontAttributesAgainstStyleRules) {
  struct Case {
    const char* label;
    std::string html;
    const char* colour;
  };
  const Case cases[] = {
      {"attribute alone", "<p><font color=red>a</font>", "#ff0000"},
      {"a rule for FONT wins", "<style>font { color: green }</style><p><font color=red>a</font>", "#008000"},
      {"a rule for the enclosing P does not", "<style>p { color: green }</style><p><font color=red>a</font>", "#ff0000"},
      {"inline style wins over the attribute", "<p><font color=red style=\"color: blue\">a</font>", "#0000ff"},
  };
  for (const Case& c : cases) {
    const auto doc = build(c.html);
    const auto runs = linesStarting(*doc, "run 0");
    ASSERT_EQ(runs.size(), 1u) << c.label;
    EXPECT_NE(runs[0].find(c.colour), std::string::npos) << c.label << ": " << runs[0];
  }
  const auto sized = build("<basefont size=5><p><font size=+1 face=\"Arial, Helvetica\">a</font><font size=-9>b");
  const auto runs = linesStarting(*sized, "run ");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0], "run 0 \"Arial\" 24pt #000000");          // 5 + 1 = size 6
  EXPECT_EQ(runs[1], "run 1 \"Times New Roman\" 8pt #000000");  // clamped to size 1
}

TEST(HtmlBuilder, AlignmentInlineStyleOverSheetOverAttribute) {
  struct Case {
    std::string html;
    const char* justify;
  };
  const Case cases[] = {
      {"<p align=center>x", "center"},
      {"<p align=middle>x", "center"},
      {"<style>p { text-align: right }</style><p align=center>x", "right"},
      {"<style>p { text-align: right }</style><p align=center style=\"text-align: justify\">x", "justify"},
      {"<div align=right><p>x</div>", "right"},
      {"<center>x</center>", "center"},
      {"<h2><center>x</h2>", "center"},
  };
  for (const Case& c : cases) {
    const auto doc = build(c.html);
    const auto sections = linesStarting(*doc, "TSection");
    ASSERT_EQ(sections.size(), 1u) << c.html;
    EXPECT_NE(sections[0].find(std::string("justify=") + c.justify), std::string::npos) << c.html << ": " << sections[0];
  }
}

TEST(HtmlBuilder, Lists) {
  const auto doc = build("<ol start=5 type=I><li>a<li value=10>b<li>c</ol>"
                         "<ul><li>d<ul><li>e<ul><li>f</ul></ul></ul>"
                         "<ul plain><li>g</ul><ul type=none><li>h</ul>"
                         "<dl><dt>t<dd>u</dl><li>v<ol type=a><li>w</ol>");
  std::vector<std::string> items;
  for (const std::string& l : linesStarting(*doc, "TBlockLI")) items.push_back(l.substr(l.find(" list=")));
  const std::vector<std::string> expected = {
      " list=ordered item=\"li\" number=5 type=\"I\" level=1 marker=upper-roman text=\"V.\"",
      " list=ordered item=\"li\" number=10 type=\"I\" level=1 marker=upper-roman text=\"X.\"",
      " list=ordered item=\"li\" number=11 type=\"I\" level=1 marker=upper-roman text=\"XI.\"",
      " list=unordered item=\"li\" number=1 type=\"1\" level=1 marker=disc text=\"\"",
      " list=unordered item=\"li\" number=1 type=\"1\" level=2 marker=circle text=\"\"",
      " list=unordered item=\"li\" number=1 type=\"1\" level=3 marker=square text=\"\"",
      " list=unordered item=\"li\" number=1 type=\"1\" level=1 marker=none text=\"\"",
      " list=unordered item=\"li\" number=1 type=\"1\" level=1 marker=none text=\"\"",
      " list=definition item=\"dt\" number=1 type=\"1\" level=0 marker=none text=\"\"",
      " list=definition item=\"dd\" number=2 type=\"1\" level=0 marker=none text=\"\"",
      " list=none item=\"li\" number=1 type=\"1\" level=0 marker=disc text=\"\"",
      " list=ordered item=\"li\" number=1 type=\"a\" level=1 marker=lower-alpha text=\"a.\"",
  };
  EXPECT_EQ(items, expected);
  // An LI outside any list gets a 16-pixel left margin.
  const auto loose = linesStarting(*doc, "TBlockLI");
  ASSERT_EQ(loose.size(), 12u);
  EXPECT_NE(loose[10].find(",16 padding="), std::string::npos) << loose[10];
  EXPECT_NE(loose[0].find(",- padding="), std::string::npos) << loose[0];

  // An empty UL makes an empty block and no items.
  const auto empty = build("<ul></ul>x");
  EXPECT_EQ(count(*empty, "TBlock tag=\"ul.\""), 1u);
  EXPECT_EQ(count(*empty, "TBlockLI"), 0u);

  // The paragraph margin of a list's last item moves to the list.
  const auto moved = build("<ul><li><p>a</p></ul>");
  const auto ul = linesStarting(*moved, "TBlock tag=\"ul.\"");
  const auto li = linesStarting(*moved, "TBlockLI");
  const auto p = linesStarting(*moved, "TBlock tag=\"p.\"");
  ASSERT_EQ(ul.size() + li.size() + p.size(), 3u);
  EXPECT_NE(ul[0].find(",14p,- padding"), std::string::npos) << ul[0];
  EXPECT_NE(li[0].find(",0,- padding"), std::string::npos) << li[0];
  EXPECT_NE(p[0].find(",0,- padding"), std::string::npos) << p[0];
}

TEST(HtmlBuilder, FormInsideListItemEndsAtNextItem) {
  const auto doc = build("<ul><li><form><input name=a><li>b</ul>");
  std::istringstream dump(dumpDocument(*doc));
  std::vector<size_t> itemIndents;
  for (std::string line; std::getline(dump, line);) {
    const size_t indent = line.find_first_not_of(' ');
    if (line.compare(indent, 8, "TBlockLI") == 0) itemIndents.push_back(indent);
  }
  ASSERT_EQ(itemIndents.size(), 2u);
  EXPECT_EQ(itemIndents[0], itemIndents[1]);  // the second item is not inside the form
}

TEST(HtmlBuilder, MarkerTexts) {
  struct Case {
    char type;
    int number;
    const char* text;
  };
  const Case cases[] = {{'1', 7, "7."}, {'a', 25, "y."}, {'a', 26, "z."}, {'A', 40, "Z."},
                        {'i', 4, "iv."}, {'I', 20, "XX."}, {'I', 21, "XX."}};
  for (const Case& c : cases) {
    TSectionList doc;
    doc.SetDefaults();
    TProperties props(*doc.Styles.find("default"));
    TBlockLI item(&doc, props, nullptr, TListKind::Ordered, "li", 1, c.number, false, c.type);
    EXPECT_EQ(item.markerText(), c.text) << c.type << c.number;
  }
}

TEST(HtmlBuilder, BodyAttributes) {
  const auto doc = build("<body text=red bgcolor=#102030 link=lime vlink=navy marginwidth=300 topmargin=7>"
                         "<a href=x>l</a>t");
  EXPECT_EQ(doc->Background, 0x302010 | kPaletteRelative);
  const auto body = linesStarting(*doc, "TBodyBlock");
  ASSERT_EQ(body.size(), 1u);
  EXPECT_NE(body[0].find("tag=\"body.\""), std::string::npos);
  EXPECT_NE(body[0].find("margin=7,200,7,200"), std::string::npos) << body[0];
  const auto runs = linesStarting(*doc, "run ");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(runs[0].find("#00ff00 link="), std::string::npos) << runs[0];
  EXPECT_NE(runs[1].find("#ff0000"), std::string::npos) << runs[1];
  EXPECT_EQ(doc->Styles.find("::visited")->colorValue() & 0xFFFFFF, 0x800000);  // navy

  // A BODY after visible content, and a second BODY, are ignored.
  for (const std::string html : {"<p>x</p><body bgcolor=red>", "<body bgcolor=blue><body bgcolor=red>x"}) {
    const auto late = build(html);
    EXPECT_NE(late->Background & 0xFFFFFF, 0x0000FF) << html;
  }
}

TEST(HtmlBuilder, MetaLinkAndSound) {
  std::vector<std::string> metas, links, sounds;
  THtmlDocumentEvents cb;
  cb.OnMeta = [&](const std::string& h, const std::string& n, const std::string& c) { metas.push_back(h + "|" + n + "|" + c); };
  cb.OnLink = [&](const std::string& r, const std::string& v, const std::string& h) { links.push_back(r + "|" + v + "|" + h); };
  cb.OnSoundRequest = [&](const std::string& s, int loop, bool t) {
    sounds.push_back(s + "|" + std::to_string(loop) + (t ? "|t" : "|f"));
  };
  const auto doc = build("<meta http-equiv=refresh content=\"5; url=next.htm\"><meta name=author content=Ann>"
                         "<link rel=next rev=prev href=n.htm><bgsound src=a.mp3><bgsound src=b.mp3 loop=-1><bgsound>",
                         cb);
  EXPECT_EQ(metas, (std::vector<std::string>{"refresh||5; url=next.htm", "|author|Ann"}));
  EXPECT_EQ(links, (std::vector<std::string>{"next|prev|n.htm"}));
  EXPECT_EQ(sounds, (std::vector<std::string>{"a.mp3|1|f", "b.mp3|-1|f"}));

  // The content type decides how the following text is read.
  const auto legacy = build("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                            "<p title=\"\xCF\">\xCF\xF0\xE8");
  EXPECT_EQ(sectionTexts(*legacy), (Texts{"\xD0\x9F\xD1\x80\xD0\xB8 "}));
}

TEST(HtmlBuilder, IncludesRunInTheBuildingPassOnly) {
  int calls = 0;
  THtmlDocumentEvents cb;
  cb.OnInclude = [&](const std::string& command, const std::vector<std::string>& params, std::string& text) {
    ++calls;
    if (command == "insert" && params == std::vector<std::string>{"what=greeting"}) text = "<b>hello</b> ";
  };
  const auto doc = build("<p>say <!--#insert what=greeting-->world", cb);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sectionTexts(*doc), (Texts{"say hello world "}));
}

TEST(HtmlBuilder, Maps) {
  const auto doc = build("<map name=\"nav\"><area shape=rect coords=\"0,0,10,10\" href=a.htm>"
                         "<area shape=circle coords=\"5,5,5\" href=b.htm></map>"
                         "<map name=lost><area coords=\"0,0,1,1\" href=c.htm><b><i><u><area coords=\"0,0,1,1\"></map>"
                         "<img src=p.gif usemap=\"#nav\" alt=Picture width=50%>");
  EXPECT_EQ(linesStarting(*doc, "map "), (std::vector<std::string>{"map \"NAV\" areas=2"}));
  EXPECT_EQ(linesStarting(*doc, "area "),
            (std::vector<std::string>{"area shape=rect href=\"a.htm\" target=\"\" title=\"\"",
                                      "area shape=circle href=\"b.htm\" target=\"\" title=\"\""}));
  const auto images = linesStarting(*doc, "image ");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0], "image 0 src=\"p.gif\" alt=\"Picture\" align=4 float=none width=50% height=- map=\"NAV\"");
}

TEST(HtmlBuilder, Tables) {
  const auto doc = build("<table border=2 cellpadding=3 cellspacing=60 width=80%>"
                         "<tr bgcolor=yellow height=20><td colspan=2 nowrap>a<td valign=top width=40>b"
                         "<tr valign=bottom><th>c<td align=right>d</table>");
  const auto lines = testing::dumpLines(*doc);
  const std::vector<std::string> expected = {
      "ThtmlTable border=2 cellpadding=3 cellspacing=40 colspecs=0",
      "row type=body bgcolor=#ffff00 height=20",
      "cell td colspan=2 rowspan=1 valign=2 align=\"left\"",
      "TSection text=\"a \" justify=left clear=none nobreak-text",
      "run 0 \"Times New Roman\" 12pt #000000",
      "cell td colspan=1 rowspan=1 valign=1 width=40 align=\"left\"",
      "TSection text=\"b \" justify=left clear=none",
      "run 0 \"Times New Roman\" 12pt #000000",
      "row type=body",
      "cell th colspan=1 rowspan=1 valign=4 align=\"center\"",
      "TSection text=\"c \" justify=center clear=none",
      "run 0 \"Times New Roman\" 12pt bold #000000",
      "cell td colspan=1 rowspan=1 valign=4 align=\"right\"",
      "TSection text=\"d \" justify=right clear=none",
      "run 0 \"Times New Roman\" 12pt #000000",
  };
  const auto at = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("ThtmlTable", 0) == 0; });
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(std::vector<std::string>(at, std::min(lines.end(), at + static_cast<long>(expected.size()))), expected);
  const auto block = linesStarting(*doc, "TTableBlock");
  ASSERT_EQ(block.size(), 1u);
  EXPECT_NE(block[0].find("border=2,2,2,2"), std::string::npos) << block[0];
  EXPECT_NE(block[0].find("width=80%"), std::string::npos) << block[0];
}

TEST(HtmlBuilder, TableStructure) {
  struct Case {
    const char* label;
    std::string html;
    std::vector<std::string> rows;  // the "row" and "cell" lines' first words, in order
  };
  const Case cases[] = {
      {"TD without TR starts a row", "<table><td>a<td>b</table>", {"row type=body", "cell", "cell"}},
      {"foot rows come last", "<table><tfoot><tr><td>f</tfoot><tbody><tr><td>b</table>",
       {"row type=body", "cell", "row type=foot", "cell"}},
      {"head rows", "<table><thead><tr><th>h<tbody><tr><td>b</table>", {"row type=head", "cell", "row type=body", "cell"}},
      {"empty table", "<table></table>", {}},
  };
  for (const Case& c : cases) {
    const auto doc = build(c.html);
    std::vector<std::string> rows;
    for (const std::string& l : testing::dumpLines(*doc)) {
      if (l.rfind("row", 0) == 0) rows.push_back(l.substr(0, l.find(' ', 4)));
      if (l.rfind("cell", 0) == 0) rows.push_back("cell");
    }
    EXPECT_EQ(rows, c.rows) << c.label;
  }
}

TEST(HtmlBuilder, CaptionsAndColumns) {
  const auto top = build("<table><caption>C</caption><tr><td>x</table>");
  const auto lines = testing::dumpLines(*top);
  const auto container = std::find_if(lines.begin(), lines.end(),
                                      [](const std::string& l) { return l.rfind("TTableAndCaptionBlock", 0) == 0; });
  ASSERT_NE(container, lines.end());
  ASSERT_LT(container + 1, lines.end());
  EXPECT_EQ(container[1].rfind("TBlock tag=\"caption.\"", 0), 0u) << container[1];

  const auto bottom = build("<table><caption align=bottom>C</caption><tr><td>x</table>");
  const auto blines = testing::dumpLines(*bottom);
  const auto b = std::find_if(blines.begin(), blines.end(),
                              [](const std::string& l) { return l.rfind("TTableAndCaptionBlock", 0) == 0; });
  ASSERT_NE(b, blines.end());
  EXPECT_EQ(b[1].rfind("TTableBlock", 0), 0u) << b[1];

  const auto cols = build("<table><colgroup align=right valign=bottom><col span=2><col align=center width=30>"
                          "<tr><td rowspan=2>a<td>b<td>c<tr><td>d<td>e</table>");
  const auto cells = linesStarting(*cols, "cell ");
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0], "cell td colspan=1 rowspan=2 valign=4 align=\"right\"");
  EXPECT_EQ(cells[2], "cell td colspan=1 rowspan=1 valign=4 align=\"center\"");
  // The second row starts in column 1, under the row span.
  EXPECT_EQ(cells[3], "cell td colspan=1 rowspan=1 valign=4 align=\"right\"");
  EXPECT_EQ(cells[4], "cell td colspan=1 rowspan=1 valign=4 align=\"center\"");
  EXPECT_EQ(count(*cols, "ThtmlTable border=0 cellpadding=1 cellspacing=2 colspecs=3"), 1u);
}

TEST(HtmlBuilder, Forms) {
  const auto doc = build(
      "<form method=post action=/go target=t enctype=text/plain>"
      "<input name=q value=v size=20><input type=PASSWORD name=p><input type=date name=d>"
      "<input type=checkbox name=agree><input type=checkbox name=c2 checked value=yes>"
      "<input type=radio name=r checked value=1><input type=radio name=R checked value=2>"
      "<select name=s><option value=1>One<option selected> Two </select>"
      "<select name=m multiple size=3><option>a<option selected>b<option selected>c</select>"
      "<textarea name=t rows=3 wrap=HARD>hi\nthere</textarea>"
      "<input type=file name=f value=x><input type=submit name=go value=Find><input type=reset>"
      "<input type=hidden name=h value=1><input type=image name=map src=m.gif>"
      "<input name=off disabled=No><input name=on disabled><input name=ro readonly>"
      "</form><form method=delete></form><input name=loose>");
  const std::vector<std::string> expected = {
      "form 0 method=\"post\" action=\"/go\" target=\"t\" enctype=\"text/plain\"",
      "TEditFormControlObj name=\"q\" value=\"v\" type=\"\" size=20 text=\"v\"",
      "TEditFormControlObj name=\"p\" value=\"\" type=\"password\" size=15 text=\"\" password",
      "TEditFormControlObj name=\"d\" value=\"\" type=\"date\" size=15 text=\"\"",
      "TCheckBoxFormControlObj name=\"agree\" value=\"on\"",
      "TCheckBoxFormControlObj name=\"c2\" value=\"yes\" checked",
      "TRadioButtonFormControlObj name=\"r\" value=\"1\"",
      "TRadioButtonFormControlObj name=\"R\" value=\"2\" checked tabstop",
      "TComboFormControlObj name=\"s\" value=\"\" size=-1 options=\"One\"=\"1\",\"Two\"=\"Two\"*",
      "TListBoxFormControlObj name=\"m\" value=\"\" size=3 multiple options=\"a\"=\"a\",\"b\"=\"b\"*,\"c\"=\"c\"*",
      "TTextAreaFormControlObj name=\"t\" value=\"\" rows=3 cols=30 wrap=hard text=\"hi\\x0D\\x0Athere\"",
      "TEditFormControlObj name=\"f\" value=\"\" type=\"file\" size=15 text=\"\"",
      "TButtonFormControlObj name=\"\" value=\"\" kind=browse caption=\"Browse...\"",
      "TButtonFormControlObj name=\"go\" value=\"Find\" kind=submit caption=\"Find\"",
      "TButtonFormControlObj name=\"\" value=\"\" kind=reset caption=\"Reset\"",
      "THiddenFormControlObj name=\"h\" value=\"1\"",
      "TImageFormControlObj name=\"map\" value=\"\"",
      "TEditFormControlObj name=\"off\" value=\"\" type=\"\" size=15 text=\"\"",
      "TEditFormControlObj name=\"on\" value=\"\" type=\"\" size=15 text=\"\" disabled",
      "TEditFormControlObj name=\"ro\" value=\"\" type=\"\" size=15 text=\"\" readonly",
      "form 1 method=\"dele\" action=\"\" target=\"\" enctype=\"\"",
      "form 2 method=\"Get\" action=\"\" target=\"\" enctype=\"\"",
      "TEditFormControlObj name=\"loose\" value=\"\" type=\"\" size=15 text=\"\"",
  };
  const auto lines = testing::dumpLines(*doc);
  const auto at = std::find(lines.begin(), lines.end(), expected[0]);
  ASSERT_NE(at, lines.end());
  std::vector<std::string> forms(at, lines.end());
  forms.erase(std::remove_if(forms.begin(), forms.end(), [](const std::string& l) { return l.rfind("name ", 0) == 0; }),
              forms.end());
  EXPECT_EQ(forms, expected);

  // Hidden fields take no place in the text; the image button is an image; the file field is two controls.
  const auto controls = linesStarting(*doc, "control ");
  EXPECT_EQ(controls.size(), 18u);
  EXPECT_EQ(count(*doc, "image "), 1u);
}

TEST(HtmlBuilder, LineBreaksRulesAndBreakMarks) {
  const auto cleared = build("a<br clear=left>b<br clear=all>c");
  const auto sections = linesStarting(*cleared, "TSection");
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_NE(sections[1].find("clear=left"), std::string::npos);
  EXPECT_NE(sections[2].find("clear=both"), std::string::npos);

  const auto rule = build("<hr size=5 width=50% align=right noshade color=red><hr style=\"text-align: left\" width=30>");
  EXPECT_EQ(linesStarting(*rule, "THorzLine"),
            (std::vector<std::string>{"THorzLine size=5 align=right width=50% color=#ff0000 noshade",
                                      "THorzLine size=2 align=left width=30 color=none"}));
  EXPECT_EQ(count(*rule, "THRBlock"), 2u);

  const auto nobr = build("<p>a <nobr>b c</nobr> d<wbr>e");
  const auto* section = dynamic_cast<const TSection*>(
      static_cast<const TBlock*>(nobr->BodyBlock->MyCell->Items[0].get())->MyCell->Items[0].get());
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->Buff, u"a b c de ");
  EXPECT_EQ(section->Brk, "yynnnyayyy");

  const auto page = build("a<page>b");
  EXPECT_EQ(count(*page, "TPage"), 1u);
}

TEST(HtmlBuilder, NamesAndIds) {
  const auto doc = build("<p id=First>x<a name=\"#top\">t</a><div id=first>y</div><img id=pic src=a.gif>"
                         "<span id=inline>z</span>");
  EXPECT_EQ(linesStarting(*doc, "name "),
            (std::vector<std::string>{"name \"first\" -> TBlock", "name \"inline\" -> TChPosObj",
                                      "name \"pic\" -> TImageObj", "name \"top\" -> TChPosObj"}));
  EXPECT_NE(doc->IDNameList.find("TOP"), nullptr);
}

TEST(HtmlBuilder, LinkCountDecidesKeyboardFocus) {
  for (const int links : {400, 401}) {
    std::string html;
    for (int i = 0; i < links; ++i) html += "<a href=x" + std::to_string(i) + ">l</a> ";
    const auto doc = build(html);
    EXPECT_EQ(doc->TooManyLinks, links > 400) << links;
    EXPECT_EQ(doc->LinkList.size(), static_cast<size_t>(links));  // built completely either way
  }
}

TEST(HtmlBuilder, TabIndexOrdersControlsAndLinks) {
  const auto doc = build("<a href=a.htm tabindex=3>three</a> <form><input name=one tabindex=1></form>"
                         "<a href=b.htm>none</a> <a href=c.htm tabindex=2>two</a>");
  std::vector<std::string> order;
  for (const auto& [key, stop] : doc->TabOrderList) {
    if (stop.LinkRun) order.push_back(stop.LinkRun->UrlTarget->Url);
    if (stop.Control) order.push_back("control");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"control", "c.htm", "a.htm"}));

  // A link with nothing in it leaves no stop behind (its run is dropped with its section).
  EXPECT_TRUE(build("<p><a href=x tabindex=1></a><p>next")->TabOrderList.empty());

  // With more than 400 links, links take no keyboard focus.
  std::string many = "<a href=first.htm tabindex=1>x</a>";
  for (int i = 0; i < 400; ++i) many += "<a href=x>l</a>";
  EXPECT_TRUE(build(many)->TabOrderList.empty());
}

TEST(HtmlBuilder, ScriptsAndObjects) {
  auto doc = std::make_unique<TSectionList>();
  doc->SetDefaults();
  std::vector<std::string> scripts;
  doc->Events.OnScript = [&](const std::string& name, const std::string& language, const std::string& text) {
    scripts.push_back(name + "|" + language + "|" + text);
  };
  std::vector<std::vector<std::string>> params;
  doc->Events.OnObjectTag = [&](TPanelObj& panel, bool& want, const std::vector<std::string>& p, const std::vector<std::string>&) {
    params.push_back(p);
    want = panel.Name == "keep";
  };
  ParseHtmlText("<script language=js name=s>a<b\nc</SCRIPT >x<object name=keep><param name=a value=1>"
                "<param name=b value=2>fallback</object>y<object name=drop>shown</object>",
                *doc);
  EXPECT_EQ(scripts, (std::vector<std::string>{"s|js|a<b\r\nc"}));
  EXPECT_EQ(params, (std::vector<std::vector<std::string>>{{"a=1", "b=2"}, {}}));
  EXPECT_EQ(sectionTexts(*doc), (Texts{"x\\oyshown "}));
  EXPECT_EQ(doc->PanelList.size(), 1u);
}

TEST(HtmlBuilder, Reuse) {
  TSectionList doc;
  doc.SetDefaults();
  ParseHtmlText("<form><input name=a></form><a href=x>l</a><map name=m></map>", doc);
  EXPECT_EQ(doc.htmlFormList.size(), 1u);
  doc.Clear();
  doc.SetDefaults();
  ParseHtmlText("<p>again", doc);
  EXPECT_TRUE(doc.htmlFormList.empty());
  EXPECT_TRUE(doc.LinkList.empty());
  EXPECT_TRUE(doc.MapList.empty());
  EXPECT_EQ(sectionTexts(doc), (Texts{"again "}));
}

TEST(HtmlBuilder, PlainText) {
  TSectionList doc;
  doc.SetDefaults();
  ParsePlainText("a <b>  c\n<!-- d -->\n", doc);
  EXPECT_EQ(sectionTexts(doc), (Texts{"a <b>  c ", "<!-- d --> "}));
  EXPECT_EQ(documentText(doc), "a <b>  c\n<!-- d -->\n");
}

}  // namespace
}  // namespace lumora::html
