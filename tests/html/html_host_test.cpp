// What a document asks of its host and hears back: the display's resolution, linked style sheets, pictures
// that arrive later; and the document-wide tables the builder fills (keyboard order, text before an
// unterminated comment).

#include <gtest/gtest.h>

#include <functional>

#include "html/html_blocks.h"
#include "html/html_builder_support.h"
#include "html/html_forms.h"
#include "html/html_section.h"
#include "html/support/fixed_host.h"

namespace lumora::html {
namespace {

using testing::build;
using testing::sectionTexts;
using Texts = std::vector<std::string>;

// Every item of the document in order, blocks opened.
void forEachItem(const TCellBasic& cell, const std::function<void(TSectionBase&)>& visit) {
  for (const auto& item : cell.Items) {
    visit(*item);
    if (auto* block = dynamic_cast<TBlock*>(item.get()); block && block->MyCell) forEachItem(*block->MyCell, visit);
  }
}

std::vector<TImageObj*> imagesOf(const TSectionList& doc) {
  std::vector<TImageObj*> images;
  forEachItem(doc, [&](TSectionBase& item) {
    if (auto* section = dynamic_cast<TSection*>(&item))
      for (const auto& object : section->Images)
        if (auto* image = dynamic_cast<TImageObj*>(object.get())) images.push_back(image);
  });
  return images;
}

const TFontObj& firstRun(const TSectionList& doc) {
  const TFontObj* run = nullptr;
  forEachItem(doc, [&](TSectionBase& item) {
    if (auto* section = dynamic_cast<TSection*>(&item); section && !run && !section->Fonts.empty())
      run = section->Fonts.front().get();
  });
  if (!run) throw std::runtime_error("no text");
  return *run;
}

TEST(HtmlHost, PixelsPerInchTravelWithTheHost) {
  // Two documents side by side on displays of different resolution: each converts with its own.
  THtmlHost normal, fine;
  fine.PixelsPerInch = 120;
  const std::string page = "<p style=\"font-size: 12pt; margin-left: 1in\">x";
  const auto a = build(page, {}, &normal);
  const auto b = build(page, {}, &fine);
  EXPECT_EQ(firstRun(*a).TheFont.Height, 16);
  EXPECT_EQ(firstRun(*b).TheFont.Height, 20);
  EXPECT_EQ(firstRun(*a).TheFont.Height, 16);  // the first is not changed by the second
}

TEST(HtmlHost, LinkedStyleSheetsComeThroughTheResourceReader) {
  testing::TFixedHost host;
  host.Resources.Files["/pub/css/site.css"] = "p { color: #00ff00 }";
  auto doc = std::make_unique<TSectionList>(&host.Host);
  doc->DocumentPath = "/pub/page.htm";
  doc->SetDefaults();
  ParseHtmlText("<link rel=stylesheet href=css/site.css><link rel=stylesheet href=missing.css><p>green", *doc);
  EXPECT_EQ(host.Resources.Read, (Texts{"/pub/css/site.css", "/pub/missing.css"}));
  EXPECT_EQ(firstRun(*doc).TheFont.Color & 0xFFFFFF, 0x00FF00);
}

TEST(HtmlHost, DeferredPicturesReachEveryElementWaitingForThem) {
  testing::TFixedHost host;
  host.Images.Images["/PUB/NOW.PNG"] = testing::solidPicture(4, 3);
  host.Images.Deferred.insert("/PUB/LATER.GIF");
  int arrivals = 0;
  auto doc = std::make_unique<TSectionList>(&host.Host);
  doc->DocumentPath = "/pub/page.htm";
  doc->Events.OnImagesArrived = [&] { ++arrivals; };
  doc->SetDefaults();
  ParseHtmlText("<img src=now.png><img src=later.gif><img src=LATER.GIF><img src=gone.bmp>", *doc);
  const std::vector<TImageObj*> images = imagesOf(*doc);
  ASSERT_EQ(images.size(), 4u);
  for (TImageObj* image : images) image->loadImage();
  for (TImageObj* image : images) image->loadImage();  // asked once only

  // Sources the host still owes are asked for once: the second element waits for the first one's answer.
  EXPECT_EQ(host.Images.Requested, (Texts{"/pub/now.png", "/pub/later.gif", "/pub/gone.bmp"}));
  EXPECT_TRUE(images[0]->Image);
  EXPECT_TRUE(images[1]->Missing && images[2]->Missing);
  EXPECT_FALSE(images[3]->Image || images[3]->Missing);  // no picture: the error picture's case
  EXPECT_EQ(doc->MissingImages.size(), 2u);

  doc->imageArrived("/pub/unknown.gif", testing::solidPicture(1, 1));
  EXPECT_EQ(arrivals, 0);
  doc->imageArrived("/pub/Later.gif", testing::solidPicture(8, 8));
  EXPECT_EQ(arrivals, 1);
  for (TImageObj* image : {images[1], images[2]}) {
    EXPECT_FALSE(image->Missing);
    ASSERT_TRUE(image->Image.Bitmap);
    EXPECT_EQ(image->Image.Bitmap->Width, 8);
  }
  EXPECT_TRUE(doc->MissingImages.empty());

  // Clearing gives every picture back, once per element that showed it.
  doc->Clear();
  EXPECT_EQ(host.Images.Released, (Texts{"/pub/now.png", "/pub/Later.gif", "/pub/Later.gif"}));
}

TEST(HtmlHost, KeyboardOrderKeepsDocumentOrderPastAThousandStops) {
  std::string page = "<form>";
  for (int i = 0; i < 1100; ++i) page += "<input name=f" + std::to_string(i) + " tabindex=1>";
  page += "<input name=first tabindex=0></form>";
  const auto doc = build(page);
  ASSERT_EQ(doc->TabOrderList.size(), 1100u);
  int expected = 0;
  for (const auto& [key, stop] : doc->TabOrderList) {
    const auto* control = dynamic_cast<const TFormControlObj*>(stop.Control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Name, "f" + std::to_string(expected)) << "stop " << expected;
    ++expected;
  }
}

TEST(HtmlHost, TextBeforeAnUnterminatedCommentStays) {
  EXPECT_EQ(sectionTexts(*build("<P>kept<!-- never closed")), (Texts{"kept "}));
  EXPECT_EQ(sectionTexts(*build("<P>kept</P><P>more <!-- x")), (Texts{"kept ", "more "}));
  EXPECT_EQ(sectionTexts(*build("<P>kept<!--#include file=x")), (Texts{"kept "}));
}

}  // namespace
}  // namespace lumora::html
