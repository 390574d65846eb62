#include "viewer/form_controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

#include "html/html_forms.h"
#include "html/html_style_font.h"
#include "viewer/qt_platform.h"

namespace lumora::viewer {

using html::TButtonFormControlObj;
using html::TCheckBoxFormControlObj;
using html::TComboFormControlObj;
using html::TEditFormControlObj;
using html::TFormControlObj;
using html::TImageFormControlObj;
using html::TListBoxFormControlObj;
using html::TRadioButtonFormControlObj;
using html::TTextAreaFormControlObj;

namespace {

constexpr int kOffScreen = -4000;
constexpr int kTextAreaMargin = 2;  // between a text area's frame and its text

QString qs(const std::string& Text) { return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())); }
std::string utf8(const QString& Text) { return Text.toStdString(); }

// A text area keeps its lines joined by CR LF; the widget by LF.
QString areaText(const std::string& Text) { return qs(Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
std::string modelText(const QString& Text) {
  QString t = Text;
  return utf8(t.replace('\n', QStringLiteral("\r\n")));
}

class TPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                QStyleHintReturn* Return) const override {
    if (Hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(Hint, Option, Widget, Return);
  }
};

bool isArrow(int Key) { return Key == Qt::Key_Left || Key == Qt::Key_Right || Key == Qt::Key_Up || Key == Qt::Key_Down; }

// The key code the form's handlers know (37 left, 38 up, 39 right, 40 down).
int windowsArrow(int Key) {
  switch (Key) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    default: return 40;
  }
}

void colour(QWidget* Widget, const TFormControlObj& Control, bool Background) {
  QPalette p = Widget->palette();
  if (Background && Control.BkColor != html::kColorNone) {
    p.setColor(QPalette::Base, toQColor(Control.BkColor));
    p.setColor(QPalette::Button, toQColor(Control.BkColor));
  }
  p.setColor(QPalette::Text, toQColor(Control.Font.Color));
  p.setColor(QPalette::ButtonText, toQColor(Control.Font.Color));
  Widget->setPalette(p);
}

}  // namespace

QtFormControls::QtFormControls(QWidget* Parent, std::function<QPoint()> Offset, int PixelsPerInch)
    : parent_(Parent), offset_(std::move(Offset)), pixelsPerInch_(PixelsPerInch) {}

QtFormControls::~QtFormControls() {
  for (auto& [control, entry] : entries_) delete entry.Widget;
}

QWidget* QtFormControls::widgetOf(const TFormControlObj& Control) const {
  const auto it = entries_.find(&Control);
  return it == entries_.end() ? nullptr : it->second.Widget;
}

TFormControlObj* QtFormControls::controlOf(const QWidget* Widget) const {
  for (const QObject* o = Widget; o; o = o->parent()) {
    const auto it = owners_.find(o);
    if (it != owners_.end()) return it->second;
    if (o == parent_) break;
  }
  return nullptr;
}

QWidget* QtFormControls::ensure(TFormControlObj& Control) {
  if (!Control.takesPlace()) return nullptr;
  Entry& entry = entries_[&Control];
  if (!entry.Widget) {
    entry.Widget = create(Control);
    entry.Widget->setEnabled(!Control.Disabled);
    // Tab is the page's: it walks links and controls in the page's order.
    entry.Widget->setFocusPolicy(Qt::ClickFocus);
    entry.Widget->move(kOffScreen, 0);
    entry.Widget->hide();
    watch(entry.Widget, Control);
  }
  return entry.Widget;
}

QWidget* QtFormControls::create(TFormControlObj& Control) {
  const QFont font = Control.Font.Name.empty() ? parent_->font() : toQFont(html::fontRequestOf(Control.Font));
  if (auto* edit = dynamic_cast<TEditFormControlObj*>(&Control)) {
    auto* w = new QLineEdit(parent_);
    w->setFont(font);
    w->setFrame(!Control.BorderDrawn);
    if (edit->MaxLength > 0) w->setMaxLength(edit->MaxLength);
    if (edit->Password) {
      if (!passwordStyle_) passwordStyle_ = std::make_unique<TPasswordStyle>();
      w->setStyle(passwordStyle_.get());
      w->setEchoMode(QLineEdit::Password);
    }
    w->setReadOnly(Control.ReadOnly);
    w->setText(qs(edit->Text));
    w->setCursorPosition(0);
    colour(w, Control, true);
    // Every change the reader makes (typing, pasting, undo); the model's own come with signals blocked.
    connect(w, &QLineEdit::textChanged, w, [edit](const QString& text) { edit->Text = utf8(text); });
    return w;
  }
  if (auto* button = dynamic_cast<TButtonFormControlObj*>(&Control)) {
    auto* w = new QPushButton(qs(button->Caption), parent_);
    w->setFont(font);
    colour(w, Control, false);
    connect(w, &QPushButton::clicked, w, [button] { button->ButtonClick(); });
    return w;
  }
  if (auto* box = dynamic_cast<TCheckBoxFormControlObj*>(&Control)) {
    auto* w = new TFormCheckBox(parent_);
    w->setChecked(box->Checked);
    connect(w, &QCheckBox::clicked, w, [box](bool on) { box->SetChecked(on); });
    return w;
  }
  if (auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(&Control)) {
    auto* w = new TFormRadioButton(parent_);
    w->setAutoExclusive(false);
    w->setChecked(radio->Checked);
    connect(w, &QRadioButton::clicked, w, [radio] {
      // A click on the checked radio is a click all the same.
      if (!radio->Checked) {
        radio->SetChecked(true);
      } else {
        radio->MyForm->UncheckOthersInGroup(*radio);
        radio->ControlClick();
      }
    });
    return w;
  }
  if (auto* image = dynamic_cast<TImageFormControlObj*>(&Control)) {
    // Only a place for the keyboard focus: the image itself is the page's.
    auto* w = new QPushButton(parent_);
    w->setFlat(true);
    connect(w, &QPushButton::clicked, w, [w, image] {
      w->setFocus(Qt::OtherFocusReason);
      image->ImageClick();
    });
    return w;
  }
  if (auto* combo = dynamic_cast<TComboFormControlObj*>(&Control)) {
    auto* w = new TFormComboBox(parent_);
    w->setFont(font);
    for (size_t i = 0; i < combo->TheOptions.count(); ++i) w->addItem(qs(combo->TheOptions.Text(i)));
    w->setCurrentIndex(combo->ItemIndex);
    colour(w, Control, true);
    w->OnDropDown = [combo] { combo->ControlClick(); };
    connect(w, &QComboBox::currentIndexChanged, w, [combo](int index) { combo->select(index); });
    connect(w, &QComboBox::activated, w, [combo] { combo->ControlClick(); });
    return w;
  }
  if (auto* list = dynamic_cast<TListBoxFormControlObj*>(&Control)) {
    auto* w = new QListWidget(parent_);
    w->setFont(font);
    w->setSelectionMode(list->Multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    if (Control.BorderDrawn) w->setFrameShape(QFrame::NoFrame);
    w->setUniformItemSizes(true);
    // Rows exactly one line of the font high, so SIZE rows show SIZE options.
    const int row = QFontMetrics(font).height();
    for (size_t i = 0; i < list->TheOptions.count(); ++i) {
      auto* item = new QListWidgetItem(qs(list->TheOptions.Text(i)), w);
      item->setSizeHint(QSize(0, row));
    }
    colour(w, Control, true);
    showValue(Control, w);
    connect(w, &QListWidget::itemSelectionChanged, w, [w, list] {
      list->SelectedItems.assign(list->TheOptions.count(), false);
      for (int i = 0; i < w->count(); ++i)
        if (static_cast<size_t>(i) < list->SelectedItems.size()) list->SelectedItems[static_cast<size_t>(i)] = w->item(i)->isSelected();
      if (!list->Multiple) {
        const QList<QListWidgetItem*> picked = w->selectedItems();
        list->ItemIndex = picked.isEmpty() ? -1 : w->row(picked.front());
      }
    });
    connect(w, &QListWidget::currentRowChanged, w, [list](int row) {
      if (list->Multiple) list->ItemIndex = row;
    });
    return w;
  }
  auto* area = dynamic_cast<TTextAreaFormControlObj*>(&Control);
  auto* w = new QPlainTextEdit(parent_);
  w->setFont(font);
  w->setTabChangesFocus(true);
  w->document()->setDocumentMargin(kTextAreaMargin);
  if (Control.BorderDrawn) w->setFrameShape(QFrame::NoFrame);
  const bool off = area && area->Wrap == TTextAreaFormControlObj::TWrapMode::Off;
  w->setLineWrapMode(off ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
  w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  w->setHorizontalScrollBarPolicy(off ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  w->setReadOnly(Control.ReadOnly);
  colour(w, Control, true);
  if (area) {
    w->setPlainText(areaText(area->Text));
    connect(w, &QPlainTextEdit::textChanged, w, [w, area] { area->Text = modelText(w->toPlainText()); });
  }
  return w;
}

void QtFormControls::watch(QWidget* Widget, TFormControlObj& Control) {
  owners_[Widget] = &Control;
  Widget->installEventFilter(this);
  // Lists and text areas take the mouse in their inner part.
  if (auto* scroller = qobject_cast<QAbstractScrollArea*>(Widget)) {
    owners_[scroller->viewport()] = &Control;
    scroller->viewport()->installEventFilter(this);
  }
}

void QtFormControls::showValue(TFormControlObj& Control, QWidget* Widget) {
  const QSignalBlocker blocker(Widget);
  if (auto* edit = dynamic_cast<TEditFormControlObj*>(&Control)) {
    auto* w = static_cast<QLineEdit*>(Widget);
    if (w->text() != qs(edit->Text)) {
      w->setText(qs(edit->Text));
      w->setCursorPosition(0);
    }
  } else if (auto* box = dynamic_cast<TCheckBoxFormControlObj*>(&Control)) {
    static_cast<QAbstractButton*>(Widget)->setChecked(box->Checked);
  } else if (auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(&Control)) {
    static_cast<QAbstractButton*>(Widget)->setChecked(radio->Checked);
  } else if (auto* combo = dynamic_cast<TComboFormControlObj*>(&Control)) {
    static_cast<QComboBox*>(Widget)->setCurrentIndex(combo->ItemIndex);
  } else if (auto* list = dynamic_cast<TListBoxFormControlObj*>(&Control)) {
    auto* w = static_cast<QListWidget*>(Widget);
    w->clearSelection();
    if (list->ItemIndex >= 0 && list->ItemIndex < w->count())
      w->setCurrentRow(list->ItemIndex, list->Multiple ? QItemSelectionModel::NoUpdate : QItemSelectionModel::ClearAndSelect);
    for (int i = 0; i < w->count(); ++i) {
      const bool on = static_cast<size_t>(i) < list->SelectedItems.size() && list->SelectedItems[static_cast<size_t>(i)];
      if (on) w->item(i)->setSelected(true);
    }
    if (w->count() > 0) w->scrollToItem(w->item(0));
  } else if (auto* area = dynamic_cast<TTextAreaFormControlObj*>(&Control)) {
    auto* w = static_cast<QPlainTextEdit*>(Widget);
    const QString text = areaText(area->Text);
    if (w->toPlainText() != text) w->setPlainText(text);  // the caret goes to the start
  }
}

void QtFormControls::controlChanged(TFormControlObj& Control) {
  if (QWidget* w = widgetOf(Control)) showValue(Control, w);
}

// Controls whose size follows from a few settings alone (edit boxes, check boxes, radio buttons) share a
// measurement, so a page of thousands of them makes a widget only for those the reader gets to see. The
// others are measured on their own widget; an empty key says so.
std::string QtFormControls::shapeKey(const TFormControlObj& Control) {
  const auto font = [&] {
    if (Control.Font.Name.empty()) return std::string("-");
    return Control.Font.Name + "/" + std::to_string(Control.Font.Height) + "/" + std::to_string(Control.Font.Style) +
           "/" + std::to_string(Control.Font.CharSet);
  };
  if (auto* edit = dynamic_cast<const TEditFormControlObj*>(&Control)) {
    return "edit " + font() + " " + std::to_string(edit->EditSize) + " " + std::to_string(Control.StyleWidth) + " " +
           std::to_string(Control.StyleHeight) + (Control.PercentWidth ? "%" : "") + (Control.BorderDrawn ? "b" : "") +
           (edit->Password ? "p" : "");
  }
  if (dynamic_cast<const TCheckBoxFormControlObj*>(&Control)) return "check";
  if (dynamic_cast<const TRadioButtonFormControlObj*>(&Control)) return "radio";
  return {};
}

html::TControlSize QtFormControls::controlSize(const TFormControlObj& Control) {
  if (!Control.takesPlace()) return {};
  auto& control = const_cast<TFormControlObj&>(Control);
  if (const auto it = entries_.find(&Control); it != entries_.end() && it->second.Sized) return it->second.Size;
  const std::string key = shapeKey(Control);
  const auto known = key.empty() ? sizesByShape_.end() : sizesByShape_.find(key);
  html::TControlSize size;
  if (known != sizesByShape_.end()) {
    size = known->second;
  } else {
    QWidget* w = ensure(control);
    if (!w) return {};
    size = measure(Control, w);
    if (!key.empty()) sizesByShape_.emplace(key, size);
  }
  Entry& entry = entries_[&Control];
  entry.Size = size;
  entry.Sized = true;
  return size;
}

bool QtFormControls::laidOut(const TFormControlObj& Control) const {
  const auto it = entries_.find(&Control);
  return it != entries_.end() && it->second.Sized;
}

html::TControlSize QtFormControls::measure(const TFormControlObj& Control, QWidget* Widget) const {
  const QFontMetrics fm(Widget->font());
  const int heightA = fm.height();
  const int scrollBar = Widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int sw = Control.StyleWidth, sh = Control.StyleHeight;
  const bool percent = Control.PercentWidth;
  if (auto* edit = dynamic_cast<const TEditFormControlObj*>(&Control)) {
    const int own = sh > 0 ? sh : Widget->sizeHint().height();
    const int width = percent ? 10 : sw >= 10 ? sw : fm.averageCharWidth() * edit->EditSize + 23;
    return {width, std::max(own, std::max(heightA, 10))};
  }
  if (auto* button = dynamic_cast<const TButtonFormControlObj*>(&Control)) {
    const int own = sh > 0 ? sh : Widget->sizeHint().height();
    const int width = sw >= 10 && !percent ? sw : fm.horizontalAdvance(qs(button->Caption)) + 20;
    return {width, own < heightA ? heightA + 8 : own};
  }
  if (dynamic_cast<const TCheckBoxFormControlObj*>(&Control)) return {13, 13};
  if (dynamic_cast<const TRadioButtonFormControlObj*>(&Control))
    return pixelsPerInch_ >= 101 ? html::TControlSize{16, 16} : html::TControlSize{13, 14};
  if (auto* list = dynamic_cast<const TListBoxFormControlObj*>(&Control)) {
    int widest = 3;
    for (size_t i = 0; i < list->TheOptions.count(); ++i)
      widest = std::max(widest, fm.horizontalAdvance(qs(list->TheOptions.Text(i))));
    const int width = percent ? 10 : sw >= 10 ? sw : scrollBar + widest + 10;
    if (dynamic_cast<const TComboFormControlObj*>(&Control)) {
      // Qt's drop-down list needs more room around its text than the rule leaves: the widest option is
      // never cut off.
      const int fits = percent || sw >= 10 ? width : std::max(width, Widget->sizeHint().width());
      return {fits, sh > 9 ? sh : Widget->sizeHint().height()};
    }
    const int frame = 2 * static_cast<const QFrame*>(Widget)->frameWidth();
    const int rows = list->LBSize > 0 ? list->LBSize : std::clamp(static_cast<int>(list->TheOptions.count()), 1, 8);
    return {width, (sh >= 10 ? sh : heightA * rows) + frame};
  }
  if (auto* area = dynamic_cast<const TTextAreaFormControlObj*>(&Control)) {
    const int frame = 2 * static_cast<const QFrame*>(Widget)->frameWidth();
    const bool off = area->Wrap == TTextAreaFormControlObj::TWrapMode::Off;
    const int width = percent ? 50 : sw >= 10 ? sw : fm.horizontalAdvance(QLatin1Char('s')) * area->Cols + 5 + frame + scrollBar;
    const int height = sh >= 10 ? sh : heightA * area->Rows + 5 + frame + (off ? scrollBar : 0);
    return {width, height};
  }
  return {Control.Width, Control.Height};
}

void QtFormControls::placeControl(TFormControlObj& Control, int X, int Y) {
  QWidget* w = laidOut(Control) ? ensure(Control) : nullptr;
  if (!w) return;
  const QPoint offset = offset_();
  const QRect place(X - offset.x(), Y - offset.y(), std::max(1, Control.Width), std::max(1, Control.Height));
  if (w->geometry() != place) w->setGeometry(place);
  if (w->isHidden()) w->show();
  shown_.insert(w);
}

void QtFormControls::hideControlsOutOfView() {
  for (auto it = shown_.begin(); it != shown_.end();) {
    QWidget* w = *it;
    const auto owner = owners_.find(w);
    const QPoint offset = offset_();
    const QRect place = owner == owners_.end()
                            ? QRect()
                            : QRect(owner->second->XValue - offset.x(), owner->second->TopValue - offset.y(),
                                    std::max(1, w->width()), std::max(1, w->height()));
    if (!w->isHidden() && place.intersects(parent_->rect())) {
      ++it;
      continue;
    }
    w->hide();
    w->move(kOffScreen, w->y());
    it = shown_.erase(it);
  }
}

void QtFormControls::scrollShown(int DY) {
  for (QWidget* w : shown_) w->move(w->x(), w->y() + DY);
}

void QtFormControls::focusControl(TFormControlObj& Control) {
  QWidget* w = laidOut(Control) ? ensure(Control) : nullptr;
  if (!w || !w->isEnabled()) return;
  if (dynamic_cast<TImageFormControlObj*>(&Control)) {
    w->setGeometry(kOffScreen, 0, 1, 1);  // the image shows where it is; its button only holds the focus
  } else {
    const QPoint offset = offset_();
    int top = Control.TopValue;
    if (dynamic_cast<TRadioButtonFormControlObj*>(&Control)) top += 2;
    else if (dynamic_cast<TCheckBoxFormControlObj*>(&Control)) top += 1;
    w->setGeometry(Control.XValue - offset.x(), top - offset.y(), std::max(1, Control.Width), std::max(1, Control.Height));
  }
  w->show();
  shown_.insert(w);
  w->setFocus(Qt::TabFocusReason);
}

void QtFormControls::releaseControl(TFormControlObj& Control) {
  const auto it = entries_.find(&Control);
  if (it == entries_.end()) return;
  QWidget* w = it->second.Widget;
  entries_.erase(it);
  if (!w) return;
  shown_.erase(w);
  owners_.erase(w);
  if (auto* scroller = qobject_cast<QAbstractScrollArea*>(w)) owners_.erase(scroller->viewport());
  // The widget may be the one whose signal is being handled (a button that reset a form that reloads).
  QObject::disconnect(w, nullptr, nullptr, nullptr);
  w->removeEventFilter(this);
  // A focused widget that goes would make Qt look for the next one in a page that is being taken down.
  if (QWidget* focused = QApplication::focusWidget(); focused && (focused == w || w->isAncestorOf(focused))) {
    QWidget* keeper = parent_->parentWidget() ? parent_->parentWidget() : parent_;
    keeper->setFocus(Qt::OtherFocusReason);
    if (focused->hasFocus()) focused->clearFocus();
  }
  w->hide();
  w->deleteLater();
}

std::vector<std::string> QtFormControls::displayedLines(const TFormControlObj& Control, const std::string& Text) {
  auto* w = qobject_cast<QPlainTextEdit*>(widgetOf(Control));
  if (!w) return textLines(Text);
  // The area's own wrapping: its text width inside the frame, the scroll bar and the margins.
  const int frame = 2 * w->frameWidth();
  const int scrollBar = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const qreal width = std::max(1, Control.Width - frame - scrollBar) - 2 * w->document()->documentMargin();
  QTextOption option;
  option.setWrapMode(w->wordWrapMode());
  std::vector<std::string> lines;
  for (const std::string& paragraph : textLines(Text)) {
    const QString text = qs(paragraph);
    QTextLayout layout(text, w->font());
    layout.setTextOption(option);
    layout.beginLayout();
    bool any = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(std::max<qreal>(1, width));
      lines.push_back(utf8(text.mid(line.textStart(), line.textLength())));
      any = true;
    }
    layout.endLayout();
    if (!any) lines.emplace_back();
  }
  return lines;
}

bool QtFormControls::eventFilter(QObject* Watched, QEvent* Event) {
  const auto it = owners_.find(Watched);
  if (it == owners_.end()) return false;
  TFormControlObj& control = *it->second;
  switch (Event->type()) {
    case QEvent::FocusIn:
      if (!control.Active) {
        control.GotFocus();
        if (OnFocusChange) OnFocusChange();
      }
      break;
    case QEvent::FocusOut:
      // The drop-down list of a combo box takes the focus only while it is open.
      if (static_cast<QFocusEvent*>(Event)->reason() == Qt::PopupFocusReason) break;
      if (control.Active) {
        control.LostFocus();
        if (OnFocusChange) OnFocusChange();
      }
      break;
    case QEvent::MouseButtonRelease:
      if (dynamic_cast<TEditFormControlObj*>(&control) || dynamic_cast<TTextAreaFormControlObj*>(&control) ||
          (dynamic_cast<TListBoxFormControlObj*>(&control) && !dynamic_cast<TComboFormControlObj*>(&control)))
        control.ControlClick();
      break;
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(Event);
      const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
      if (enter && (dynamic_cast<TEditFormControlObj*>(&control) || dynamic_cast<TTextAreaFormControlObj*>(&control))) {
        char16_t code = 13;
        control.MyForm->HandleEditKeyPress(control, code);
        return code == 0;
      }
      if (enter && dynamic_cast<TButtonFormControlObj*>(&control)) {
        static_cast<QPushButton*>(Watched)->click();
        return true;
      }
      const bool box = dynamic_cast<TCheckBoxFormControlObj*>(&control) != nullptr;
      if (!isArrow(key->key()) || (!box && !dynamic_cast<TRadioButtonFormControlObj*>(&control))) break;
      TRadioButtonFormControlObj* target = nullptr;
      if (control.MyForm->HandleRadioArrowKey(control, windowsArrow(key->key()), target)) {
        // Moving to a radio of the group checks it, as with Qt's own radio groups.
        if (target && !target->Disabled) {
          focusControl(*target);
          target->SetChecked(true);
        }
      } else if (OnViewerKey) {
        OnViewerKey(key);
      }
      return true;
    }
    default: break;
  }
  return false;
}

}  // namespace lumora::viewer
