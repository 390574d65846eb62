#include "viewer/tool/render_command.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "html/html_document.h"
#include "html/html_fixed_metrics.h"
#include "html/html_forms.h"
#include "html/html_frameset.h"
#include "html/html_paint.h"
#include "html/html_parser.h"
#include "viewer/form_controls.h"
#include "viewer/qt_platform.h"

namespace lumora::viewer {
namespace {

// Form controls of a render with the fixed metrics: their fixed sizes, each drawn as a sunken box where the
// page puts it, the same on every machine.
class TPreviewControls : public html::IFormControlHost {
 public:
  TPreviewControls(html::IFormControlHost& Sizes, const html::TSectionList& Document)
      : sizes_(Sizes), document_(Document) {}
  void setCanvas(html::ICanvas* Canvas, int YOffset) {
    canvas_ = Canvas;
    yOffset_ = YOffset;
  }
  html::TControlSize controlSize(const html::TFormControlObj& Control) override { return sizes_.controlSize(Control); }
  void placeControl(html::TFormControlObj& Control, int X, int Y) override {
    if (!canvas_) return;
    html::paintControlStandIn(document_, *canvas_, {X, Y - yOffset_, X + Control.Width, Y - yOffset_ + Control.Height},
                              Control.BkColor);
  }
  void releaseControl(html::TFormControlObj&) override {}

 private:
  html::IFormControlHost& sizes_;
  const html::TSectionList& document_;
  html::ICanvas* canvas_ = nullptr;
  int yOffset_ = 0;
};

}  // namespace

int renderPage(const std::string& Path, const std::string& Document, const TRenderOptions& Options) {
  if (html::IsFramesetText(Document))
    std::fprintf(stderr, "lumora-html: %s is a frameset document; this shows what it offers readers without frames\n",
                 Path.c_str());
  html::FixedMetricsPlatform fixedMetrics;
  std::unique_ptr<QtTextMetrics> system;
  if (!Options.Fixed) system = std::make_unique<QtTextMetrics>();
  html::ITextMetrics& metrics = Options.Fixed ? static_cast<html::ITextMetrics&>(fixedMetrics) : *system;
  html::TFileImageHost images;
  html::TFileResourceReader resources;
  html::THtmlHost host{&metrics, &images, &resources, nullptr};
  // With the installed fonts the page's controls are the reader's widgets, drawn where they sit; with the
  // fixed metrics each is a sunken box of the fixed size.
  QWidget area;
  QtFormControls widgets(&area, [] { return QPoint(); }, host.PixelsPerInch);
  // The page's controls leave with deleteLater when the document goes (below, first): they are deleted
  // here one by one, each with its event, before the area would take them with their events still queued.
  struct TDeleteReleased {
    ~TDeleteReleased() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  } deleteReleased;
  html::TSectionList doc(&host);
  TPreviewControls controls(fixedMetrics, doc);
  host.Controls = Options.Fixed ? static_cast<html::IFormControlHost*>(&controls) : &widgets;
  doc.DocumentPath = std::filesystem::absolute(Path).generic_string();
  doc.SetDefaults();
  html::ParseHtmlText(Document, doc);
  int scrollWidth = 0;
  const int documentHeight = doc.LayOut(metrics, Options.Height, Options.Width, scrollWidth);
  // New widgets queue events and no event loop runs here to take them; a widget deleted while an event of
  // its own waits searches the whole queue for it, which made a page of many fields quadratic to render.
  QCoreApplication::sendPostedEvents();
  int height = Options.Height;
  if (Options.Full) {
    height = std::max(1, documentHeight);
    if (height > kMaxRenderHeight) {
      std::fprintf(stderr, "lumora-html: the page is %d pixels high; rendering its first %d\n", height, kMaxRenderHeight);
      height = kMaxRenderHeight;
    }
  }
  QImage picture(std::max(1, Options.Width), std::max(1, height), QImage::Format_RGB32);
  if (picture.isNull()) {
    std::fprintf(stderr, "lumora-html: no memory for a %d x %d picture\n", Options.Width, height);
    return 1;
  }
  {
    QPainter painter(&picture);
    std::unique_ptr<QtCanvas> canvas =
        Options.Fixed ? std::make_unique<QtCanvas>(painter, metrics) : std::make_unique<QtCanvas>(painter, *system);
    controls.setCanvas(canvas.get(), 0);
    const html::TRect clip{0, 0, picture.width(), picture.height()};
    doc.paintBackground(*canvas, clip, 0, 0);
    doc.Paint(*canvas, metrics, clip, 0, 0);
    controls.setCanvas(nullptr, 0);
    if (!Options.Fixed) {
      area.resize(picture.size());
      for (QWidget* w : area.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isHidden()) w->render(&painter, w->pos(), QRegion(), QWidget::DrawChildren);
    }
  }
  if (!picture.save(QString::fromStdString(Options.Output), "PNG")) {
    std::fprintf(stderr, "lumora-html: cannot write %s\n", Options.Output.c_str());
    return 1;
  }
  return 0;
}

}  // namespace lumora::viewer
