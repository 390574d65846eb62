#include "viewer/frame_set.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cctype>

#include "html/html_frameset.h"
#include "url/url_utils.h"
#include "viewer/viewer_names.h"
#include "viewer/frame_viewer.h"

namespace lumora::viewer {

namespace {

// The frameset reader's calls, into a tree of panels.
class TBuilder : public html::IFrameSetBuilder {
 public:
  explicit TBuilder(TSubFrameSet& Top) : top_(&Top), current_(&Top) {}
  void SetDimensions(const html::TAttributeList& Attributes) override { current_->SetDimensions(Attributes); }
  void addSubFrameSet() override { current_ = current_->addSubFrameSet(); }
  void AddFrame(const html::TAttributeList& Attributes, const std::string& DocumentName) override {
    current_->AddFrame(Attributes, fromUtf8(DocumentName));
  }
  void FinishFrameSet() override {
    current_->FinishFrameSet();
    if (current_ != top_) current_ = current_->ParentSet;
  }
  void meta(const std::string& HttpEq, const std::string& Name, const std::string& Content) override {
    (void)Name;
    if (fromUtf8(HttpEq).compare("refresh", Qt::CaseInsensitive) != 0) return;
    const QString text = fromUtf8(Content);
    const int semicolon = text.indexOf(';');
    bool ok = false;
    const int delay = (semicolon < 0 ? text : text.left(semicolon)).trimmed().toInt(&ok);
    if (!ok || delay < 0) return;
    top_->RefreshSeconds = std::max(1, delay);
    const int at = text.indexOf("url=", 0, Qt::CaseInsensitive);
    if (at >= 0) top_->RefreshName = text.mid(at + 4).trimmed();
  }

 private:
  TSubFrameSet* top_;
  TSubFrameSet* current_;
};

}  // namespace

std::vector<int> parseDimensions(const std::string& Value) {
  std::vector<int> out;
  size_t i = 0;
  const size_t n = Value.size();
  while (out.size() < static_cast<size_t>(kMaxDimensions)) {
    while (i < n && !std::isdigit(static_cast<unsigned char>(Value[i])) && Value[i] != '*' && Value[i] != ',') ++i;
    if (i >= n || Value[i] == '*' || Value[i] == ',') {
      out.push_back(-1);
      if (i < n && Value[i] == '*') ++i;
    } else {
      long long v = 0;
      int digits = 0;
      while (i < n && std::isdigit(static_cast<unsigned char>(Value[i]))) {
        if (digits < 20) v = std::min<long long>(v * 10 + (Value[i] - '0'), 1000000000LL);
        ++digits;
        ++i;
      }
      const long long count = std::max<long long>(1, v);
      while (i < n && Value[i] != '%' && Value[i] != '*' && Value[i] != ',') ++i;
      if (i < n && Value[i] == '*') out.push_back(-static_cast<int>(std::min<long long>(99, count)));
      else if (i < n && Value[i] == '%') out.push_back(-static_cast<int>(std::min<long long>(1000, count + 100)));
      else out.push_back(static_cast<int>(std::min<long long>(count, 5000)));
    }
    while (i < n && Value[i] != ',') ++i;
    if (i >= n) break;
    ++i;  // the comma
  }
  return out;
}

std::vector<int> computeSizes(const std::vector<int>& Dimensions, int Extent) {
  long long P = 0, Q = 0, R = 0;
  for (int d : Dimensions) {
    if (d >= 0) P += d;
    else if (d > -100) R += -d;
    else Q += -d - 100;
  }
  const long long E = std::max(0, Extent), D = E - P;
  std::vector<int> sizes;
  sizes.reserve(Dimensions.size());
  if (D > 0) {
    const long long S = Q > 0 ? std::min(E * Q / 100, D) : 0;
    const long long unit = R > 0 ? (D - S) / R : 0;
    for (int d : Dimensions) {
      if (d >= 0) sizes.push_back(d);
      else if (d > -100) sizes.push_back(static_cast<int>(-d * unit));
      else sizes.push_back(static_cast<int>((-d - 100) * S / Q));
    }
  } else {
    for (int d : Dimensions) sizes.push_back(d >= 0 && P > 0 ? static_cast<int>(d * E / P) : 0);
  }
  return sizes;
}

// --- TFrameBase ---

TFrameBase::TFrameBase(TFrameSet* Master, TSubFrameSet* Parent, QWidget* WidgetParent)
    : QWidget(WidgetParent), MasterSet(Master), ParentSet(Parent) {}

// --- TfvFrame ---

TfvFrame::TfvFrame(TFrameSet* Master, TSubFrameSet* Parent) : TFrameBase(Master, Parent, Parent) {
  setMouseTracking(true);
  RefreshTimer.setSingleShot(true);
  connect(&RefreshTimer, &QTimer::timeout, this, [this] {
    if (Released) return;
    TFrameViewer* fv = MasterSet->FrameViewer;
    if (MasterSet->ViewerList.size() != 1) {
      fv->LoadFrameFile(*this, RefreshName, QString(), true, true);
    } else if (RefreshName.compare(MasterSet->CurrentFile, Qt::CaseInsensitive) != 0) {
      fv->LoadDocument(RefreshName);
    } else {
      fv->ReloadCurrent();
    }
  });
}

TfvFrame::~TfvFrame() {
  if (MasterSet) {
    for (auto it = MasterSet->FrameNames.begin(); it != MasterSet->FrameNames.end();) {
      if (it->second == this) it = MasterSet->FrameNames.erase(it);
      else ++it;
    }
    if (Viewer) MasterSet->forgetViewer(Viewer);
    std::erase(MasterSet->FrameList, this);
  }
  // Nested framesets kept only by the local history go with the frame.
  for (const TFrameHistoryEntry& e : LocalHistory)
    if (e.FrameSet && e.FrameSet != FrameSet) delete e.FrameSet;
}

int TfvFrame::bevel() const { return ParentSet ? ParentSet->BorderSize > 0 ? std::min(ParentSet->BorderSize, 2) : 0 : 0; }

void TfvFrame::arrange() {
  const int b = FrameSet ? 0 : bevel();
  const QRect inner = rect().adjusted(b, b, -b, -b);
  if (Viewer) Viewer->setGeometry(inner);
  if (FrameSet) {
    FrameSet->setGeometry(rect());
    FrameSet->ArrangeFrames();
  }
}

void TfvFrame::resizeEvent(QResizeEvent*) { arrange(); }

void TfvFrame::paintEvent(QPaintEvent*) {
  const int b = FrameSet ? 0 : bevel();
  if (b <= 0) return;
  // A lowered bevel: shadow on the top and left, light on the bottom and right.
  QPainter p(this);
  const QPalette& pal = palette();
  const QRect r = rect();
  for (int i = 0; i < b; ++i) {
    p.setPen(pal.color(i == 0 ? QPalette::Mid : QPalette::Dark));
    p.drawLine(r.left() + i, r.top() + i, r.right() - i, r.top() + i);
    p.drawLine(r.left() + i, r.top() + i, r.left() + i, r.bottom() - i);
    p.setPen(pal.color(i == 0 ? QPalette::Light : QPalette::Midlight));
    p.drawLine(r.left() + i, r.bottom() - i, r.right() - i, r.bottom() - i);
    p.drawLine(r.right() - i, r.top() + i, r.right() - i, r.bottom() - i);
  }
}

void TfvFrame::mouseMoveEvent(QMouseEvent* event) {
  if (ParentSet && !NoResize) ParentSet->dragMove(mapTo(ParentSet, event->position().toPoint()));
}
void TfvFrame::mousePressEvent(QMouseEvent* event) {
  if (ParentSet && event->button() == Qt::LeftButton) ParentSet->dragPress(mapTo(ParentSet, event->position().toPoint()));
}
void TfvFrame::mouseReleaseEvent(QMouseEvent* event) {
  if (ParentSet && event->button() == Qt::LeftButton) ParentSet->dragRelease(mapTo(ParentSet, event->position().toPoint()));
}

TPageViewer* TfvFrame::MakeViewer() {
  if (Viewer) return Viewer;
  Viewer = new TPageViewer(this);
  MasterSet->ViewerList.push_back(Viewer);
  MasterSet->FrameViewer->setUpViewer(*Viewer, *this);
  Viewer->show();
  arrange();
  return Viewer;
}

void TfvFrame::showLoadError(const QString& Name) {
  if (FrameSet) {
    delete FrameSet;
    FrameSet = nullptr;
  }
  MakeViewer();
  Viewer->LoadFromString("<p><img src=\"qw%&.bmp\" alt=\"Error\"> Can't load " + utf8(Name.toHtmlEscaped()), Source);
}

void TfvFrame::InitFrameHistory(const QString& Name, int Position) {
  LocalHistory.clear();
  LocalHistory.push_back({Name, FrameSet, Position, MasterSet->FrameViewer->nextSequence(), {}});
  LocalIndex = 0;
  emit MasterSet->FrameViewer->OnHistoryChange(MasterSet->FrameViewer);
}

void TfvFrame::LoadFrames() {
  if (Source.isEmpty() || MasterSet->NestingDepth >= kMaxFrameNesting) return;
  TFrameViewer* fv = MasterSet->FrameViewer;
  const QString name = Source;
  ++MasterSet->NestingDepth;
  try {
    std::optional<std::string> text;
    const bool image = isImageName(name), plain = isTextName(name);
    if (!image && !plain) {
      text = readPageFile(name);
      if (!text) throw EfvLoadError("Can't load " + utf8(name));
    }
    if (text && html::IsFramesetText(*text)) {
      FrameSet = new TSubFrameSet(MasterSet, ParentSet, this);
      buildFrameSet(*FrameSet, *text, name);
      FrameSet->show();
      InitFrameHistory(Source, 0);
      for (TFrameBase* child : FrameSet->List) child->LoadFrames();
      bool first = false, last = false;
      FrameSet->MarkFixedBorders(first, last);
      if (FrameSet->RefreshSeconds > 0 && (fv->fvOptions() & fvMetaRefresh)) FrameSet->RefreshTimer.start(FrameSet->RefreshSeconds * 1000);
      arrange();
    } else {
      MakeViewer();
      Viewer->setOwnerBase(MasterSet->Base);
      if (image) Viewer->LoadImageDocument(name);
      else if (plain) Viewer->LoadTextDocument(name);
      else Viewer->LoadFromFile(name + (Destination.isEmpty() ? QString() : "#" + Destination), std::move(*text));
      InitFrameHistory(Source, Viewer->DocPosition());
    }
  } catch (const std::exception&) {
    showLoadError(name);
  }
  --MasterSet->NestingDepth;
}

void TfvFrame::ReleaseFrames() {
  RefreshTimer.stop();
  if (FrameSet) FrameSet->ReleaseFrames();
  if (Viewer) {
    SavedPosition = Viewer->DocPosition();
    SavedFormValues = Viewer->document().SaveFormValues();
    Viewer->Clear();
    if (MasterSet->FocusedViewer == Viewer) MasterSet->FocusedViewer = nullptr;
  }
  Released = true;
}

void TfvFrame::RestoreFrames(int Position) {
  if (!Source.isEmpty()) {
    if (FrameSet) {
      FrameSet->RestoreFrames(-1);
      bool first = false, last = false;
      FrameSet->MarkFixedBorders(first, last);
    } else if (Viewer) {
      Viewer->setOwnerBase(MasterSet->Base);
      try {
        if (isImageName(Source)) Viewer->LoadImageDocument(Source);
        else if (isTextName(Source)) Viewer->LoadTextDocument(Source);
        else Viewer->LoadFromFile(Source);
        Viewer->document().RestoreFormValues(SavedFormValues);
        SavedFormValues.clear();
        Viewer->setDocPosition(Position >= 0 ? Position : SavedPosition);
      } catch (const std::exception&) {
        showLoadError(Source);
      }
    }
  }
  Released = false;
}

// --- TSubFrameSet ---

TSubFrameSet::TSubFrameSet(TFrameSet* Master, TSubFrameSet* Parent, QWidget* WidgetParent)
    : TFrameBase(Master, Parent, WidgetParent) {
  if (Master) BorderSize = Master->BorderSize;
  RefreshTimer.setSingleShot(true);
  connect(&RefreshTimer, &QTimer::timeout, this, [this] {
    if (Released || !MasterSet) return;
    TFrameViewer* fv = MasterSet->FrameViewer;
    if (auto* frame = qobject_cast<TfvFrame*>(parentWidget()); frame && this != MasterSet) {
      const int hash = RefreshName.indexOf('#');
      fv->LoadFrameFile(*frame, hash < 0 ? RefreshName : RefreshName.left(hash),
                        hash < 0 ? QString() : RefreshName.mid(hash), true, true);
    } else if (this == MasterSet && fv->currentFrameSet() == MasterSet) {
      fv->LoadDocument(RefreshName);
    }
  });
}

TSubFrameSet::~TSubFrameSet() { ClearFrames(); }

void TSubFrameSet::SetDimensions(const html::TAttributeList& Attributes) {
  if (const html::TAttribute* rows = Attributes.find(html::RowsSy)) {
    Rows = true;
    Dimensions = parseDimensions(rows->Name);
  }
  if (const html::TAttribute* cols = Attributes.find(html::ColsSy); cols && Dimensions.size() <= 1) {
    Rows = false;
    Dimensions = parseDimensions(cols->Name);
  }
  if (this == MasterSet && !(MasterSet->FrameViewer->fvOptions() & fvNoBorder)) {
    const html::TAttribute* border = Attributes.find(html::BorderSy);
    if (!border) border = Attributes.find(html::FrameBorderSy);
    if (border) {
      BorderSize = std::clamp(border->Value, 0, 20);
      BevelWidth = std::max(2 - BorderSize, 0);
    } else {
      BorderSize = 2;
    }
  }
}

TfvFrame* TSubFrameSet::AddFrame(const html::TAttributeList& Attributes, const QString& DocumentName) {
  auto* frame = new TfvFrame(MasterSet, this);
  if (const html::TAttribute* name = Attributes.find(html::NameSy)) frame->Name = fromUtf8(name->Name);
  if (const html::TAttribute* src = Attributes.find(html::SrcSy)) {
    QString value = fromUtf8(src->Name).trimmed();
    const int hash = value.indexOf('#');
    if (hash >= 0) {
      frame->Destination = value.mid(hash + 1);
      value = value.left(hash);
    }
    QString n = fromUtf8(url::ServerUrlToDosPath(utf8(value), ""));
    n.replace('\\', '/');
    if (!n.isEmpty() && !n.contains(':')) {
      const QString base = MasterSet->Base;
      if (!base.isEmpty() && base.compare("DosPath", Qt::CaseInsensitive) != 0) {
        n = baseFolder(base) + "/" + n;
      } else if (base.isEmpty() && !n.startsWith('/')) {
        n = QFileInfo(DocumentName).path() + "/" + n;
      }
      n = localPath(QFileInfo(n).absoluteFilePath());
    }
    frame->Source = frame->OrigSource = n;
  }
  frame->NoResize = Attributes.find(html::NoResizeSy) != nullptr;
  if (const html::TAttribute* s = Attributes.find(html::ScrollingSy)) frame->NoScroll = fromUtf8(s->Name).trimmed().compare("NO", Qt::CaseInsensitive) == 0;
  if (const html::TAttribute* m = Attributes.find(html::MarginWidthSy)) frame->MarginWidth = std::clamp(m->Value, 0, 1000);
  if (const html::TAttribute* m = Attributes.find(html::MarginHeightSy)) frame->MarginHeight = std::clamp(m->Value, 0, 1000);
  if (!frame->Name.isEmpty()) MasterSet->FrameNames.emplace(frame->Name.toUpper(), frame);
  List.push_back(frame);
  frame->show();
  return frame;
}

TSubFrameSet* TSubFrameSet::addSubFrameSet() {
  auto* set = new TSubFrameSet(MasterSet, this, this);
  List.push_back(set);
  set->show();
  return set;
}

void TSubFrameSet::FinishFrameSet() {
  while (List.size() > Dimensions.size()) Dimensions.push_back(-1);
  while (List.size() < Dimensions.size()) {
    auto* frame = new TfvFrame(MasterSet, this);
    List.push_back(frame);
    frame->show();
  }
  ComputeSizes();
}

void TSubFrameSet::ClearFrames() {
  RefreshTimer.stop();
  const std::vector<TFrameBase*> children = std::move(List);
  List.clear();
  for (TFrameBase* child : children) delete child;
  Dimensions.clear();
  FixedEdges.clear();
  Sizes.clear();
  Edges.clear();
  Rows = false;
  Base.clear();
  BaseTarget.clear();
}

void TSubFrameSet::ComputeSizes() {
  const int b = this == MasterSet ? BevelWidth : 0;
  const QRect r = rect().adjusted(b, b, -b, -b);
  Sizes = computeSizes(Dimensions, Rows ? r.height() : r.width());
  Total = 0;
  for (int s : Sizes) Total += s;
  ArrangeFrames();
}

void TSubFrameSet::ArrangeFrames() {
  const int b = this == MasterSet ? BevelWidth : 0;
  const QRect r = rect().adjusted(b, b, -b, -b);
  const int extent = Rows ? r.height() : r.width();
  Edges.assign(List.size() + 1, 0);
  long long offset = 0;
  for (size_t i = 0; i < List.size(); ++i) {
    const long long size = Total > 0 && i < Sizes.size() ? static_cast<long long>(Sizes[i]) * extent / Total : 0;
    const QRect place = Rows ? QRect(r.left(), r.top() + static_cast<int>(offset), r.width(), static_cast<int>(size))
                             : QRect(r.left() + static_cast<int>(offset), r.top(), static_cast<int>(size), r.height());
    List[i]->setGeometry(place);
    offset += size;
    Edges[i + 1] = static_cast<int>(offset);
  }
}

void TSubFrameSet::resizeEvent(QResizeEvent*) { ComputeSizes(); }

void TSubFrameSet::paintEvent(QPaintEvent*) {
  if (this != MasterSet || BevelWidth <= 0) return;
  QPainter p(this);
  p.setPen(palette().color(QPalette::Dark));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TSubFrameSet::MarkFixedBorders(bool& FirstFixed, bool& LastFixed) {
  FixedEdges.assign(List.size() + 1, false);
  for (size_t i = 0; i < List.size(); ++i) {
    bool first = false, last = false;
    if (auto* frame = dynamic_cast<TfvFrame*>(List[i])) {
      if (frame->FrameSet) frame->FrameSet->MarkFixedBorders(first, last);
      else first = last = frame->NoResize;
    } else if (auto* set = dynamic_cast<TSubFrameSet*>(List[i])) {
      set->MarkFixedBorders(first, last);
    }
    if (first) FixedEdges[i] = true;
    if (last) FixedEdges[i + 1] = true;
  }
  FirstFixed = !FixedEdges.empty() && FixedEdges.front();
  LastFixed = !FixedEdges.empty() && FixedEdges.back();
}

void TSubFrameSet::LoadFrames() {
  for (TFrameBase* child : List) child->LoadFrames();
}

void TSubFrameSet::RestoreFrames(int Position) {
  for (TFrameBase* child : List) child->RestoreFrames(Position);
  Released = false;
}

void TSubFrameSet::ReleaseFrames() {
  RefreshTimer.stop();
  for (TFrameBase* child : List) child->ReleaseFrames();
  Released = true;
}

void TSubFrameSet::collectFrames(std::vector<TfvFrame*>& Frames) const {
  for (TFrameBase* child : List) {
    if (auto* frame = dynamic_cast<TfvFrame*>(child)) {
      Frames.push_back(frame);
      if (frame->FrameSet) frame->FrameSet->collectFrames(Frames);
    } else if (auto* set = dynamic_cast<TSubFrameSet*>(child)) {
      set->collectFrames(Frames);
    }
  }
}

int TSubFrameSet::nearestEdge(int Coordinate) const {
  int best = -1, distance = 0;
  for (size_t i = 1; i + 1 < Edges.size(); ++i) {
    const int d = std::abs(Coordinate - Edges[i]);
    if (best < 0 || d < distance || (d == distance && Coordinate >= Edges[i])) {
      best = static_cast<int>(i);
      distance = d;
    }
  }
  return best < 0 || distance > 4 ? -1 : best;
}

bool TSubFrameSet::dragMove(const QPoint& Point) {
  const int c = Rows ? Point.y() : Point.x();
  if (dragEdge_ > 0) {
    const int low = Edges[static_cast<size_t>(dragEdge_ - 1)] + 1, high = Edges[static_cast<size_t>(dragEdge_ + 1)] - 1;
    Edges[static_cast<size_t>(dragEdge_)] = std::clamp(c, low, std::max(low, high));
    return true;
  }
  const int edge = nearestEdge(c);
  const bool movable = edge > 0 && (static_cast<size_t>(edge) >= FixedEdges.size() || !FixedEdges[static_cast<size_t>(edge)]);
  setCursor(movable ? (Rows ? Qt::SplitVCursor : Qt::SplitHCursor) : Qt::ArrowCursor);
  for (TFrameBase* child : List) child->setCursor(cursor());
  return movable;
}

bool TSubFrameSet::dragPress(const QPoint& Point) {
  const int c = Rows ? Point.y() : Point.x();
  const int edge = nearestEdge(c);
  if (edge <= 0 || (static_cast<size_t>(edge) < FixedEdges.size() && FixedEdges[static_cast<size_t>(edge)])) return false;
  dragEdge_ = edge;
  return true;
}

bool TSubFrameSet::dragRelease(const QPoint& Point) {
  if (dragEdge_ <= 0) return false;
  dragMove(Point);
  const int last = Edges.back();
  if (last > 0) {
    for (size_t i = 0; i < Sizes.size() && i + 1 < Edges.size(); ++i)
      Sizes[i] = static_cast<int>(static_cast<long long>(Edges[i + 1] - Edges[i]) * Total / last);
  }
  dragEdge_ = -1;
  ArrangeFrames();
  update();
  return true;
}

// --- TFrameSet ---

TFrameSet::TFrameSet(TFrameViewer* Viewer, QWidget* WidgetParent)
    : TSubFrameSet(nullptr, nullptr, WidgetParent), FrameViewer(Viewer) {
  MasterSet = this;
  const bool noBorder = Viewer->fvOptions() & fvNoBorder;
  BevelWidth = noBorder ? 0 : 2;
  BorderSize = noBorder ? 0 : 2;
}

void TFrameSet::LoadFromFile(const QString& Name, const QString& Destination) {
  ClearFrames();
  FrameNames.clear();
  ViewerList.clear();
  FrameList.clear();
  FocusedViewer = nullptr;
  NestingDepth = 0;
  CurrentFile = FrameViewer->ExpandName(Name);
  DocumentTitle.clear();
  std::optional<std::string> text;
  if (!isImageName(CurrentFile) && !isTextName(CurrentFile)) text = readPageFile(CurrentFile);
  if (text && html::IsFramesetText(*text)) {
    const html::TFrameSetDocument doc = buildFrameSet(*this, *text, CurrentFile);
    DocumentTitle = QString::fromStdU16String(doc.Title);
    for (TFrameBase* child : List) child->LoadFrames();
    bool first = false, last = false;
    MarkFixedBorders(first, last);
    RebuildFrameList();
    if (RefreshSeconds > 0 && (FrameViewer->fvOptions() & fvMetaRefresh)) RefreshTimer.start(RefreshSeconds * 1000);
    return;
  }
  auto* frame = new TfvFrame(this, this);
  frame->Source = frame->OrigSource = CurrentFile;
  frame->Destination = Destination.startsWith('#') ? Destination.mid(1) : Destination;
  List.push_back(frame);
  frame->show();
  FinishFrameSet();
  // A single page that cannot be read is the caller's error, not an error page.
  if (!text && !isImageName(CurrentFile) && !isTextName(CurrentFile))
    throw EfvLoadError("Can't locate file: " + utf8(Name));
  frame->MakeViewer();
  TPageViewer* v = frame->Viewer;
  if (isImageName(CurrentFile)) v->LoadImageDocument(CurrentFile);
  else if (isTextName(CurrentFile)) v->LoadTextDocument(CurrentFile);
  else v->LoadFromFile(CurrentFile + (frame->Destination.isEmpty() ? QString() : "#" + frame->Destination), std::move(*text));
  frame->InitFrameHistory(CurrentFile, v->DocPosition());
  DocumentTitle = v->DocumentTitle();
  BaseTarget = v->BaseTarget();
  RebuildFrameList();
}

void TFrameSet::RebuildFrameList() {
  FrameList.clear();
  collectFrames(FrameList);
}

void TFrameSet::removeNames(const TSubFrameSet& Set) {
  std::vector<TfvFrame*> frames;
  Set.collectFrames(frames);
  for (auto it = FrameNames.begin(); it != FrameNames.end();) {
    if (std::find(frames.begin(), frames.end(), it->second) != frames.end()) it = FrameNames.erase(it);
    else ++it;
  }
}

void TFrameSet::addNames(const TSubFrameSet& Set) {
  std::vector<TfvFrame*> frames;
  Set.collectFrames(frames);
  for (TfvFrame* f : frames)
    if (!f->Name.isEmpty()) FrameNames.emplace(f->Name.toUpper(), f);
}

void TFrameSet::forgetViewer(TPageViewer* Viewer) {
  std::erase(ViewerList, Viewer);
  if (FocusedViewer == Viewer) FocusedViewer = nullptr;
}

void TFrameSet::DropForwardEntries() {
  RebuildFrameList();
  for (TfvFrame* f : FrameList) {
    if (f->LocalIndex <= 0) continue;
    for (int i = 0; i < f->LocalIndex; ++i) {
      TSubFrameSet* set = f->LocalHistory[i].FrameSet;
      if (set && set != f->FrameSet) delete set;
    }
    f->LocalHistory.erase(f->LocalHistory.begin(), f->LocalHistory.begin() + f->LocalIndex);
    f->LocalIndex = 0;
  }
}

html::TFrameSetDocument buildFrameSet(TSubFrameSet& Set, const std::string& Text, const QString& FileName) {
  TBuilder builder(Set);
  html::TFrameSetDocument doc = html::ParseFramesetText(builder, Text, utf8(FileName));
  Set.Base = fromUtf8(doc.Base);
  Set.BaseTarget = fromUtf8(doc.BaseTarget);
  if (Set.List.empty()) Set.FinishFrameSet();
  // The refresh target of a frameset, as a file; without one it reloads itself.
  if (Set.RefreshSeconds > 0) {
    Set.RefreshName = Set.RefreshName.isEmpty() ? FileName
                                                : localPathIn(QFileInfo(FileName).path(), Set.RefreshName);
    if (!QFileInfo(Set.RefreshName).isFile()) Set.RefreshSeconds = 0;
  }
  return doc;
}

}  // namespace lumora::viewer
