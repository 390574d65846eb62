#include "viewer/frame_viewer.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QResizeEvent>
#include <algorithm>

#include "html/html_section.h"
#include "html/html_frameset.h"
#include "url/url_utils.h"
#include "viewer/viewer_names.h"

namespace lumora::viewer {

TFrameViewer::TFrameViewer(QWidget* parent) : QWidget(parent) {
  resize(150, 150);
  defBackground_ = palette().color(QPalette::Button);
  current_ = new TFrameSet(this, this);
  current_->show();
}

TFrameViewer::~TFrameViewer() {
  // Framesets kept by the history only are freed here; the current one goes with the widget.
  std::vector<TFrameSet*> sets;
  for (const TMainEntry& e : entries_)
    if (e.FrameSet && e.FrameSet != current_ && std::find(sets.begin(), sets.end(), e.FrameSet) == sets.end())
      sets.push_back(e.FrameSet);
  for (TFrameSet* s : sets) delete s;
}

void TFrameViewer::resizeEvent(QResizeEvent*) {
  for (QObject* child : children())
    if (auto* set = qobject_cast<TFrameSet*>(child)) set->setGeometry(rect());
}

void TFrameViewer::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (TPageViewer* v = FocusedViewer()) v->setFocus();
}

void TFrameViewer::keyPressEvent(QKeyEvent* event) {
  const bool alt = event->modifiers() == Qt::AltModifier, plain = event->modifiers() == Qt::NoModifier;
  if ((alt && event->key() == Qt::Key_Left) || (plain && event->key() == Qt::Key_Backspace)) {
    GoBack();
  } else if (alt && event->key() == Qt::Key_Right) {
    GoForward();
  } else if (plain && event->key() == Qt::Key_F5) {
    if (!busy()) ReloadCurrent();
  } else {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
}

QStringList TFrameViewer::History() const {
  QStringList names;
  for (const TMainEntry& e : entries_) names.push_back(e.File);
  return names;
}

QStringList TFrameViewer::TitleHistory() const {
  QStringList titles;
  for (const TMainEntry& e : entries_) titles.push_back(e.Title);
  return titles;
}

QString TFrameViewer::CurrentFile() const { return current_->CurrentFile; }
QString TFrameViewer::DocumentTitle() const { return current_->DocumentTitle; }

TPageViewer* TFrameViewer::FocusedViewer() const {
  if (current_->ViewerList.size() == 1) return current_->ViewerList.front();
  return current_->FocusedViewer;
}

void TFrameViewer::setOwnBusy(bool On) {
  busy_ = On;
  emit OnProcessing(this, On);
}

void TFrameViewer::viewerProcessing(TPageViewer* Viewer, bool On) {
  const bool before = busy();
  if (On) {
    if (!busyViewers_.contains(Viewer)) busyViewers_.push_back(Viewer);
  } else {
    busyViewers_.removeAll(Viewer);
  }
  if (busy() != before) emit OnProcessing(this, busy());
}

QString TFrameViewer::ExpandName(const QString& Name) const {
  QString n = fromUtf8(url::ServerUrlToDosPath(utf8(Name.trimmed()), ""));
  n.replace('\\', '/');
  if (n.startsWith('/')) return localPath(n);
  TPageViewer* focused = FocusedViewer();
  QString base = focused ? focused->Base() : QString();
  if (base.isEmpty()) base = current_->Base;
  if (base.compare("DosPath", Qt::CaseInsensitive) == 0) return n;
  if (!base.isEmpty()) return localPathIn(baseFolder(base), n);
  if (focused && !focused->CurrentFile().isEmpty()) return focused->ExpandName(n);
  const QString folder = current_->CurrentFile.isEmpty() ? QFileInfo(".").absoluteFilePath() : QFileInfo(current_->CurrentFile).path();
  return localPathIn(folder, n);
}

// --- Top-level documents ---

void TFrameViewer::LoadFromFile(const QString& FileName) {
  if (busy()) return;
  const QString file = beforeHash(FileName);
  if (!QFileInfo(localPath(file)).isFile()) throw EfvLoadError("Can't locate file: " + utf8(file));
  LoadDocument(FileName);
}

void TFrameViewer::LoadDocument(const QString& FileName) {
  setOwnBusy(true);
  busyViewers_.clear();
  const QString file = beforeHash(FileName), destination = fromHash(FileName);
  const QString oldFile = current_->CurrentFile;
  const int oldPosition = current_->ViewerList.size() == 1 ? current_->ViewerList.front()->DocPosition() : 0;
  try {
    if (ExpandName(file).compare(oldFile, Qt::CaseInsensitive) != 0) {
      auto* set = new TFrameSet(this, this);
      set->setGeometry(rect());
      try {
        set->LoadFromFile(file, destination);
      } catch (...) {
        delete set;
        throw;
      }
      TFrameSet* old = current_;
      old->ReleaseFrames();
      current_ = set;
      showFrameSet(set);
      old->hide();
      AddHistoryEntry(THistoryKind::NewDocument, old, oldFile, old->DocumentTitle, oldPosition);
    } else {
      setUpdatesEnabled(false);
      try {
        current_->LoadFromFile(file, destination);
      } catch (...) {
        setUpdatesEnabled(true);
        throw;
      }
      setUpdatesEnabled(true);
      AddHistoryEntry(THistoryKind::SameDocument, nullptr, oldFile, QString(), oldPosition);
    }
    AddVisitedLink(current_->CurrentFile + destination);
    MarkVisitedLinks();
  } catch (...) {
    setOwnBusy(false);
    throw;
  }
  setOwnBusy(false);
}

void TFrameViewer::showFrameSet(TFrameSet* Set) {
  Set->setParent(this);
  Set->setGeometry(rect());
  Set->show();
  Set->raise();
  Set->ComputeSizes();
  update();
}

void TFrameViewer::freeIfUnused(TFrameSet* Set) {
  if (!Set || Set == current_) return;
  for (const TMainEntry& e : entries_)
    if (e.FrameSet == Set) return;
  // Later: the link that led here may have been clicked in one of its viewers.
  Set->hide();
  Set->deleteLater();
}

void TFrameViewer::dropEntry(int Index) {
  TFrameSet* set = entries_[Index].FrameSet;
  entries_.removeAt(Index);
  freeIfUnused(set);
}

void TFrameViewer::AddHistoryEntry(THistoryKind Kind, TFrameSet* OldSet, const QString& OldFile, const QString& OldTitle,
                                   int OldPosition) {
  if (historyMaxCount_ <= 0) {
    if (Kind == THistoryKind::NewDocument) freeIfUnused(OldSet);
    return;
  }
  switch (Kind) {
    case THistoryKind::NewDocument:
      if (current_->CurrentFile.isEmpty()) {
        freeIfUnused(OldSet);
        return;
      }
      if (!entries_.isEmpty()) {
        entries_[historyIndex_] = {OldSet->CurrentFile, OldSet, OldSet->DocumentTitle, OldPosition};
        OldSet->DropForwardEntries();
      } else {
        OldSet->hide();
        OldSet->deleteLater();
      }
      break;
    case THistoryKind::SameDocument:
      if (current_->CurrentFile.isEmpty()) return;
      if (!entries_.isEmpty()) entries_[historyIndex_] = {current_->CurrentFile, current_, current_->DocumentTitle, OldPosition};
      break;
    case THistoryKind::InOnlyFrame:
      if (OldFile.isEmpty()) return;
      if (!entries_.isEmpty()) entries_[historyIndex_] = {OldFile, current_, OldTitle, OldPosition};
      break;
  }
  while (historyIndex_ > 0) {
    --historyIndex_;
    dropEntry(0);
  }
  entries_.prepend({current_->CurrentFile, current_, current_->DocumentTitle, 0});
  historyIndex_ = 0;
  if (entries_.size() > historyMaxCount_) dropEntry(historyMaxCount_);
  emit OnHistoryChange(this);
}

void TFrameViewer::SetHistoryIndex(int Index) {
  if (Index == historyIndex_ || Index < 0 || Index >= entries_.size() || busy()) return;
  setOwnBusy(true);
  moveInHistory(Index);
  setOwnBusy(false);
}

void TFrameViewer::moveInHistory(int Index) {
  if (Index == historyIndex_ || Index < 0 || Index >= entries_.size()) return;
  if (!current_->CurrentFile.isEmpty()) {
    entries_[historyIndex_].Title = current_->DocumentTitle;
    entries_[historyIndex_].Position = current_->ViewerList.empty() ? 0 : current_->ViewerList.front()->DocPosition();
  }
  const TMainEntry& entry = entries_[Index];
  TFrameSet* set = entry.FrameSet;
  if (set && set != current_) {
    TFrameSet* old = current_;
    current_ = set;
    showFrameSet(set);
    set->RestoreFrames(set->ViewerList.size() == 1 ? entry.Position : -1);
    old->ReleaseFrames();
    old->hide();
  } else if (set && !set->ViewerList.empty()) {
    set->ViewerList.front()->setDocPosition(entry.Position);
  }
  historyIndex_ = Index;
  emit OnHistoryChange(this);
  MarkVisitedLinks();
}

void TFrameViewer::GoBack() {
  if (busy()) return;
  // One processing span around the move, so the owner sees the new index when it ends.
  setOwnBusy(true);
  current_->RebuildFrameList();
  TfvFrame* best = nullptr;
  for (TfvFrame* f : current_->FrameList) {
    if (f->LocalIndex > f->LocalHistory.size() - 2) continue;
    if (!best || f->LocalHistory[f->LocalIndex].Sequence > best->LocalHistory[best->LocalIndex].Sequence) best = f;
  }
  if (best) moveInFrame(*best, best->LocalIndex + 1);
  else moveInHistory(historyIndex_ + 1);
  setOwnBusy(false);
}

void TFrameViewer::GoForward() {
  if (busy()) return;
  setOwnBusy(true);
  current_->RebuildFrameList();
  TfvFrame* best = nullptr;
  for (TfvFrame* f : current_->FrameList) {
    if (f->LocalIndex <= 0) continue;
    if (!best || f->LocalHistory[f->LocalIndex - 1].Sequence < best->LocalHistory[best->LocalIndex - 1].Sequence) best = f;
  }
  if (best) moveInFrame(*best, best->LocalIndex - 1);
  else moveInHistory(historyIndex_ - 1);
  setOwnBusy(false);
}

bool TFrameViewer::BackButtonEnabled() const {
  if (historyIndex_ <= entries_.size() - 2) return true;
  for (TfvFrame* f : current_->FrameList)
    if (f->LocalIndex <= f->LocalHistory.size() - 2) return true;
  return false;
}

bool TFrameViewer::FwdButtonEnabled() const {
  if (historyIndex_ > 0) return true;
  for (TfvFrame* f : current_->FrameList)
    if (f->LocalIndex > 0) return true;
  return false;
}

void TFrameViewer::ReloadCurrent() {
  setOwnBusy(true);
  busyViewers_.clear();
  current_->ReleaseFrames();
  current_->RestoreFrames(-1);
  MarkVisitedLinks();
  setOwnBusy(false);
}

void TFrameViewer::ClearHistory() {
  bool had = !entries_.isEmpty();
  while (!entries_.isEmpty()) dropEntry(entries_.size() - 1);
  for (TfvFrame* f : current_->FrameList) {
    had = had || !f->LocalHistory.isEmpty();
    f->LocalHistory.clear();
    f->LocalIndex = 0;
  }
  historyIndex_ = 0;
  if (had) emit OnHistoryChange(this);
}

void TFrameViewer::Repaint() {
  for (TPageViewer* v : current_->ViewerList) v->paintPanel()->update();
  current_->update();
}

// --- Frames ---

void TFrameViewer::setUpViewer(TPageViewer& Viewer, TfvFrame& Frame) {
  Viewer.setFrameOwned(true);
  Viewer.setBorderStyle(current_->BorderSize == 0 || Frame.MasterSet->BorderSize == 0 || (options_ & (fvNoFocusRect | fvNoBorder))
                            ? htNone
                            : htFocused);
  if (Frame.NoScroll) Viewer.setScrollBars(ssNone);
  Viewer.setDefBackground(defBackground_);
  Viewer.setDefFontName(defFontName_);
  Viewer.setDefPreFontName(defPreFontName_);
  Viewer.setMarginWidth(Frame.MarginWidth >= 0 ? Frame.MarginWidth : marginWidth_);
  Viewer.setMarginHeight(Frame.MarginHeight >= 0 ? Frame.MarginHeight : marginHeight_);
  unsigned ht = 0;
  if (options_ & fvOverLinksActive) ht |= htOverLinksActive;
  if (options_ & fvNoLinkUnderline) ht |= htNoLinkUnderline;
  if (options_ & fvPrintTableBackground) ht |= htPrintTableBackground;
  if (options_ & fvPrintBackground) ht |= htPrintBackground;
  if (options_ & fvPrintMonochromeBlack) ht |= htPrintMonochromeBlack;
  if (options_ & fvShowVScroll) ht |= htShowVScroll;
  if (options_ & fvNoWheelMouse) ht |= htNoWheelMouse;
  if (options_ & fvShowDummyCaret) ht |= htShowDummyCaret;
  Viewer.sethtOptions(ht);
  Viewer.setHistoryMaxCount(historyMaxCount_);
  TPageViewer* v = &Viewer;
  TfvFrame* frame = &Frame;
  connect(v, &TPageViewer::OnHotSpotClick, this, [this, v](QObject*, const QString& src, bool* handled) { hotSpotClick(v, src, handled); });
  connect(v, &TPageViewer::OnProcessing, this, [this, v](QObject*, bool on) { viewerProcessing(v, on); });
  connect(v, &TPageViewer::OnProgress, this, [this](QObject* s, TProgressStage st, int p) { emit OnProgress(s, st, p); });
  connect(v, &TPageViewer::OnParseBegin, this, [this](QObject* s) { emit OnParseBegin(s); });
  connect(v, &TPageViewer::OnParseEnd, this, [this](QObject* s) { emit OnParseEnd(s); });
  connect(v, &TPageViewer::OnHotSpotCovered, this, [this, v](QObject*, const QString& src) {
    emit OnHotSpotTargetCovered(v, v->Target(), src);
  });
  connect(v, &TPageViewer::OnEnter, this, [frame, v](QObject*) { frame->MasterSet->FocusedViewer = v; });
  connect(v, &TPageViewer::OnObjectClick, this, &TFrameViewer::OnObjectClick);
  connect(v, &TPageViewer::OnObjectFocus, this, &TFrameViewer::OnObjectFocus);
  connect(v, &TPageViewer::OnObjectBlur, this, &TFrameViewer::OnObjectBlur);
  connect(v, &TPageViewer::OnObjectChange, this, &TFrameViewer::OnObjectChange);
  connect(v, &TPageViewer::OnFileBrowse, this, &TFrameViewer::OnFileBrowse);
  relayFormSubmit(*v);
  connect(v, &TPageViewer::OnMetaRefresh, this, [this, frame](QObject*, int delay, const QString& target) {
    if (!(options_ & fvMetaRefresh)) return;
    frame->RefreshName = target.isEmpty() ? frame->Source : frame->Viewer->ExpandName(target);
    if (QFileInfo(localPath(frame->RefreshName)).isFile()) frame->RefreshTimer.start(delay * 1000);
  });
}

void TFrameViewer::relayFormSubmit(TPageViewer& Viewer) {
  if (isSignalConnected(QMetaMethod::fromSignal(&TFrameViewer::OnFormSubmit)))
    connect(&Viewer, &TPageViewer::OnFormSubmit, this, &TFrameViewer::OnFormSubmit, Qt::UniqueConnection);
}

void TFrameViewer::connectNotify(const QMetaMethod& signal) {
  QWidget::connectNotify(signal);
  if (signal == QMetaMethod::fromSignal(&TFrameViewer::OnFormSubmit))
    for (TPageViewer* v : current_->ViewerList) relayFormSubmit(*v);
}

QString TFrameViewer::resolveTarget(TPageViewer* Viewer, const QString& LinkTarget) const {
  if (!LinkTarget.isEmpty()) return LinkTarget;
  if (!Viewer->BaseTarget().isEmpty()) return Viewer->BaseTarget();
  for (QWidget* w = Viewer->parentWidget(); w; w = w->parentWidget()) {
    if (auto* set = qobject_cast<TSubFrameSet*>(w); set && !set->BaseTarget.isEmpty()) return set->BaseTarget;
    if (w == this) break;
  }
  return {};
}

void TFrameViewer::hotSpotClick(TPageViewer* Viewer, const QString& Url, bool* Handled) {
  *Handled = true;
  if (busy()) return;
  current_->FocusedViewer = Viewer;
  url_ = Url;
  target_ = resolveTarget(Viewer, Viewer->Target());
  bool handled = false;
  emit OnHotSpotTargetClick(this, target_, url_, &handled);
  if (handled) return;
  QString name = Url;
  const QString destination = fromHash(name);
  name = beforeHash(name);
  const int q = name.indexOf('?');
  const QString query = q < 0 ? QString() : name.mid(q);
  if (q >= 0) name = name.left(q);
  if (!name.isEmpty()) name = Viewer->ExpandName(name);
  auto* frame = qobject_cast<TfvFrame*>(Viewer->parentWidget());
  TfvFrame* placeFrame = nullptr;
  bool top = false;
  if (target_.isEmpty() || target_.compare("_self", Qt::CaseInsensitive) == 0) {
    placeFrame = frame;
    if (!placeFrame) return;
  } else if (const auto it = current_->FrameNames.find(target_.toUpper()); it != current_->FrameNames.end()) {
    placeFrame = it->second;
  } else if (target_.compare("_top", Qt::CaseInsensitive) == 0) {
    top = true;
  } else if (target_.compare("_parent", Qt::CaseInsensitive) == 0) {
    // The enclosing frame of the frameset the clicked frame sits in, or the top.
    QWidget* w = frame ? frame->parentWidget() : nullptr;
    for (; w && w != current_; w = w->parentWidget())
      if (auto* f = qobject_cast<TfvFrame*>(w)) {
        placeFrame = f;
        break;
      }
    top = placeFrame == nullptr;
  } else {
    if (receivers(SIGNAL(OnBlankWindowRequest(QObject*, QString, QString))) > 0) {
      AddVisitedLink(name + query + destination);
      MarkVisitedLinks();
      emit OnBlankWindowRequest(this, target_, url_);
    }
    return;
  }
  setOwnBusy(true);
  try {
    // Out of an ordinary page, a link replaces the top-level document.
    if (placeFrame && current_->ViewerList.size() == 1 && !name.isEmpty() &&
        name.compare(current_->CurrentFile, Qt::CaseInsensitive) != 0)
      top = true;
    if (top) {
      setOwnBusy(false);
      LoadDocument((name.isEmpty() ? current_->CurrentFile : name) + destination);
      setOwnBusy(true);
    } else if (placeFrame) {
      LoadFrameFile(*placeFrame, name, destination, false, true);
    }
    if (!query.isEmpty()) AddVisitedLink(name + query + destination);
    MarkVisitedLinks();
  } catch (...) {
    // The page the link names cannot be shown: the reader is told why (by the caller) and stays put.
    setOwnBusy(false);
    throw;
  }
  setOwnBusy(false);
}

void TFrameViewer::LoadFrameFile(TfvFrame& Frame, QString Name, const QString& Destination, bool Refresh, bool AddHistory) {
  Frame.RefreshTimer.stop();
  const QString oldSource = Frame.Source;
  if (Name.isEmpty()) Name = oldSource;
  const QString dest = Destination.startsWith('#') ? Destination.mid(1) : Destination;
  Frame.Source = Name;
  // A page read to tell whether it is a frameset is handed on, not read again.
  const auto loadPage = [&](TPageViewer& Viewer, std::optional<std::string>& Text) {
    const QString name = Name + (dest.isEmpty() ? QString() : "#" + dest);
    if (Text) Viewer.LoadFromFile(name, std::move(*Text));
    else Viewer.LoadFromFile(name);
    Text.reset();
  };
  try {
    const bool different = Name.compare(oldSource, Qt::CaseInsensitive) != 0;
    std::optional<std::string> text;
    bool isFrameset = false;
    if (different && !(isImageName(Name) || isTextName(Name))) {
      text = readPageFile(Name);
      isFrameset = text && html::IsFramesetText(*text);
    }
    if (different && (Frame.FrameSet || isFrameset)) {
      TPageViewer* oldViewer = Frame.Viewer;
      TSubFrameSet* oldSet = Frame.FrameSet;
      const int oldPosition = oldViewer ? oldViewer->DocPosition() : 0;
      html::TSectionList::TFormValues oldForms = oldViewer ? oldViewer->document().SaveFormValues()
                                                           : html::TSectionList::TFormValues();
      Frame.Viewer = nullptr;
      Frame.FrameSet = nullptr;
      if (oldSet) {
        current_->removeNames(*oldSet);
        oldSet->ReleaseFrames();
        oldSet->hide();
      }
      if (oldViewer) {
        current_->forgetViewer(oldViewer);
        oldViewer->deleteLater();
        oldViewer->hide();
      }
      if (!isFrameset) {
        loadPage(*Frame.MakeViewer(), text);
        AddVisitedLink(Name + Destination);
        AddFrameHistory(Frame, Name, Frame.Viewer->DocPosition(), std::move(oldForms), oldPosition);
      } else {
        Frame.FrameSet = new TSubFrameSet(current_, Frame.ParentSet, &Frame);
        buildFrameSet(*Frame.FrameSet, text ? *text : std::string(), Name);
        Frame.FrameSet->show();
        AddVisitedLink(Name);
        for (TFrameBase* child : Frame.FrameSet->List) child->LoadFrames();
        bool first = false, last = false;
        Frame.FrameSet->MarkFixedBorders(first, last);
        AddFrameHistory(Frame, Name, 0, std::move(oldForms), oldPosition);
      }
      Frame.arrange();
      Frame.update();
    } else if (different) {
      TPageViewer* v = Frame.MakeViewer();
      const int keptPosition = v->DocPosition();
      const QString keptTitle = v->DocumentTitle();
      html::TSectionList::TFormValues keptForms = v->document().SaveFormValues();
      if (isImageName(Name)) v->LoadImageDocument(Name);
      else if (isTextName(Name)) v->LoadTextDocument(Name + Destination);
      else loadPage(*v, text);
      AddVisitedLink(Name + Destination);
      if (current_->ViewerList.size() >= 2 && AddHistory)
        AddFrameHistory(Frame, Name, v->DocPosition(), std::move(keptForms), keptPosition);
      if (current_->ViewerList.size() == 1 && AddHistory) {
        current_->CurrentFile = v->CurrentFile();
        current_->DocumentTitle = v->DocumentTitle();
        current_->Base = v->Base();
        current_->BaseTarget = v->BaseTarget();
        AddHistoryEntry(THistoryKind::InOnlyFrame, nullptr, oldSource, keptTitle, keptPosition);
      }
    } else if (Frame.Viewer) {
      TPageViewer* v = Frame.Viewer;
      const int keptPosition = v->DocPosition();
      if (Refresh) {
        v->LoadFromFile(Name + (dest.isEmpty() ? QString() : "#" + dest));
        v->setDocPosition(keptPosition);
      } else {
        v->ScrollToAnchor(dest);
        if (AddHistory && v->DocPosition() != keptPosition) AddFrameHistory(Frame, Name, v->DocPosition(), {}, keptPosition);
      }
      AddVisitedLink(Name + Destination);
    } else if (Frame.FrameSet) {
      std::vector<TfvFrame*> frames;
      Frame.FrameSet->collectFrames(frames);
      for (TfvFrame* f : frames)
        if (f->Viewer && f->Source.compare(f->OrigSource, Qt::CaseInsensitive) != 0) LoadFrameFile(*f, f->OrigSource, QString(), false, true);
    }
  } catch (...) {
    Frame.Source = oldSource;
    throw;
  }
  current_->RebuildFrameList();
}

void TFrameViewer::AddFrameHistory(TfvFrame& Frame, const QString& NewName, int NewPosition,
                                   html::TSectionList::TFormValues Forms, int OldPosition) {
  if (!Frame.LocalHistory.isEmpty() && Frame.LocalIndex < Frame.LocalHistory.size()) {
    TFrameHistoryEntry& entry = Frame.LocalHistory[Frame.LocalIndex];
    entry.Position = OldPosition;
    if (entry.Name != NewName) entry.FormValues = std::move(Forms);
  }
  current_->DropForwardEntries();
  Frame.LocalIndex = 0;
  Frame.LocalHistory.prepend({NewName, Frame.FrameSet, NewPosition, nextSequence(), {}});
  current_->RebuildFrameList();
  emit OnHistoryChange(this);
}

void TFrameViewer::SetFrameHistoryIndex(TfvFrame& Frame, int Index) {
  if (busy()) return;
  setOwnBusy(true);
  moveInFrame(Frame, Index);
  setOwnBusy(false);
}

void TFrameViewer::moveInFrame(TfvFrame& Frame, int Index) {
  if (Index == Frame.LocalIndex || Index < 0 || Index >= Frame.LocalHistory.size()) return;
  Frame.RefreshTimer.stop();
  if (Frame.Viewer) {
    Frame.LocalHistory[Frame.LocalIndex].Position = Frame.Viewer->DocPosition();
    Frame.LocalHistory[Frame.LocalIndex].FormValues = Frame.Viewer->document().SaveFormValues();
  } else if (Frame.FrameSet) {
    Frame.FrameSet->ReleaseFrames();
    current_->removeNames(*Frame.FrameSet);
    Frame.FrameSet->hide();
    Frame.FrameSet = nullptr;
  }
  const TFrameHistoryEntry entry = Frame.LocalHistory[Index];
  if (entry.FrameSet) {
    Frame.FrameSet = entry.FrameSet;
    Frame.FrameSet->show();
    Frame.FrameSet->RestoreFrames(-1);
    current_->addNames(*Frame.FrameSet);
    if (Frame.Viewer) {
      current_->forgetViewer(Frame.Viewer);
      Frame.Viewer->deleteLater();
      Frame.Viewer->hide();
      Frame.Viewer = nullptr;
    }
    Frame.arrange();
  } else {
    Frame.MakeViewer();
    if (entry.Name.compare(Frame.Source, Qt::CaseInsensitive) != 0) {
      LoadFrameFile(Frame, entry.Name, QString(), false, false);
      Frame.Viewer->document().RestoreFormValues(entry.FormValues);
      Frame.LocalHistory[Index].FormValues.clear();
    }
    Frame.Viewer->setDocPosition(entry.Position);
  }
  Frame.Source = entry.Name;
  Frame.LocalIndex = Index;
  current_->RebuildFrameList();
  emit OnHistoryChange(this);
  MarkVisitedLinks();
}

// --- Visited links ---

bool TFrameViewer::linkMatches(TPageViewer& Viewer, const QString& LinkUrl, const QString& Entry) const {
  if (LinkUrl.isEmpty()) return false;
  const QString expanded = LinkUrl.startsWith('#') ? Viewer.CurrentFile() + LinkUrl
                                                   : Viewer.ExpandName(beforeHash(LinkUrl)) + fromHash(LinkUrl);
  return expanded.compare(Entry, Qt::CaseInsensitive) == 0;
}

void TFrameViewer::AddVisitedLink(const QString& Link) {
  if (visitedMaxCount_ <= 0) return;
  if (!visitedLinks_.isEmpty() && visitedLinks_.front() == Link) return;
  visitedLinks_.removeAll(Link);
  visitedLinks_.prepend(Link);
  while (visitedLinks_.size() > visitedMaxCount_) visitedLinks_.removeLast();
}

void TFrameViewer::MarkVisitedLinks() {
  if (visitedMaxCount_ <= 0) return;
  for (TPageViewer* v : current_->ViewerList) {
    for (html::TFontObj* run : v->document().LinkList) {
      if (!run->UrlTarget) continue;
      const QString url = fromUtf8(run->UrlTarget->Url);
      for (const QString& entry : visitedLinks_)
        if (linkMatches(*v, url, entry)) {
          run->Visited = true;
          break;
        }
    }
    v->paintPanel()->update();
  }
}

// --- Settings ---

void TFrameViewer::setHistoryMaxCount(int Count) {
  if (Count < 0 || Count == historyMaxCount_) return;
  ClearHistory();
  historyMaxCount_ = Count;
  for (TPageViewer* v : current_->ViewerList) {
    v->ClearHistory();
    v->setHistoryMaxCount(Count);
  }
}

void TFrameViewer::setVisitedMaxCount(int Count) {
  visitedMaxCount_ = std::max(0, Count);
  while (visitedLinks_.size() > visitedMaxCount_) visitedLinks_.removeLast();
  if (visitedMaxCount_ == 0) {
    for (TPageViewer* v : current_->ViewerList) {
      for (html::TFontObj* run : v->document().LinkList) run->Visited = false;
      v->paintPanel()->update();
    }
  }
}

void TFrameViewer::setfvOptions(unsigned Options) { options_ = Options; }

void TFrameViewer::setDefBackground(const QColor& Color) {
  defBackground_ = Color;
  for (TPageViewer* v : current_->ViewerList) v->setDefBackground(Color);
}

void TFrameViewer::setDefFontName(const QString& Name) {
  defFontName_ = Name;
  for (TPageViewer* v : current_->ViewerList) v->setDefFontName(Name);
}

void TFrameViewer::setDefPreFontName(const QString& Name) {
  defPreFontName_ = Name;
  for (TPageViewer* v : current_->ViewerList) v->setDefPreFontName(Name);
}

QString TFrameViewer::visibleText() const {
  QStringList parts;
  for (TPageViewer* v : current_->ViewerList) {
    html::TSectionList& doc = v->document();
    const int start = doc.SelStart, end = doc.SelEnd;
    doc.SelStart = 0;
    doc.SelEnd = doc.documentLength();
    parts.push_back(v->selectedText());
    doc.SelStart = start;
    doc.SelEnd = end;
  }
  return parts.join("\n");
}

}  // namespace lumora::viewer
