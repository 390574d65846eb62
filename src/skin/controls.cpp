#include "skin/controls.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringList>
#include <QStyleOption>

#include <algorithm>

#include "skin/dialog_start.h"
#include "skin/skin_style.h"

namespace lumora::skin {

TToolButton::TToolButton(QWidget* parent) : QToolButton(parent) {
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  setAutoRaise(true);
  setIconSize(QSize(24, 24));
  setFocusPolicy(Qt::NoFocus);
}

void TToolButton::setCaption(const QString& caption) {
  setText(caption);
  if (auto* bar = qobject_cast<TsToolBar*>(parentWidget())) bar->relayout();
}

TMenuItem::TMenuItem(const QString& caption, const char* name, QObject* parent) : QAction(parent) {
  setObjectName(name);
  setCaption(caption);
}

void TMenuItem::setCaption(const QString& caption) {
  caption_ = caption;
  // Styles draw the text of a separator that has one, so a separator keeps none.
  setSeparator(caption == "-");
  setText(isSeparator() ? QString() : caption);
}

TsToolBar::TsToolBar(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void TsToolBar::addButton(TToolButton* button) {
  button->setParent(this);
  items_.push_back({button, 0});
  relayout();
}

void TsToolBar::addSeparator(const QString& name, int width) {
  auto* gap = new QWidget(this);
  gap->setObjectName(name);
  items_.push_back({gap, width});
  relayout();
}

void TsToolBar::placeWidget(QWidget* widget, int x) {
  widget->setParent(this);
  placed_.push_back({widget, x});
  relayout();
}

void TsToolBar::setShowCaptions(bool show) {
  showCaptions_ = show;
  for (const Item& item : items_) {
    if (auto* button = qobject_cast<TToolButton*>(item.widget)) {
      button->setToolButtonStyle(show ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    }
  }
  relayout();
}

QSize TsToolBar::sizeHint() const { return {400, 48}; }

void TsToolBar::relayout() {
  // The gap the window definition leaves between the last button and a placed widget.
  constexpr int kPlacedGap = 11;
  int x = 2;
  const int y = (48 - buttonSize_.height()) / 2;
  for (const Item& item : items_) {
    int width = item.separatorWidth;
    if (width == 0) {
      width = buttonSize_.width();
      // A translated caption may need more room than the definition's width gives.
      if (showCaptions_) width = std::max(width, item.widget->sizeHint().width());
    }
    item.widget->setGeometry(x, y, width, buttonSize_.height());
    x += width;
  }
  for (const Placed& placed : placed_) {
    const int placedX = std::max(placed.x, x + kPlacedGap);
    placed.widget->move(placedX, (48 - placed.widget->height()) / 2);
    x = placedX + placed.widget->width();
  }
}

void TsToolBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (applicationSkin() != nullptr) {
    QStyleOptionToolBar option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelToolBar, &option, &p, this);
  } else {
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, height() - 1, width(), height() - 1);
  }
  p.setPen(palette().color(QPalette::Mid));
  // A thin etched line in the middle of each separator.
  for (const Item& item : items_) {
    if (item.separatorWidth > 0) {
      const QRect r = item.widget->geometry();
      p.drawLine(r.center().x(), r.top() + 4, r.center().x(), r.bottom() - 4);
    }
  }
}

TsTabSheet::TsTabSheet(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

void TsTabSheet::setCaption(const QString& caption) {
  caption_ = caption;
  // The sheet lives in a QStackedWidget inside the page control.
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      const int index = tabs->indexOf(this);
      if (index >= 0) tabs->setTabText(index, caption);
      break;
    }
  }
}

TsRadioGroup::TsRadioGroup(const QString& caption, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), columns_(columns) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
}

QString TsRadioGroup::Items() const {
  QString text;
  for (const QRadioButton* button : buttons_) text += button->text() + "\r\n";
  return text;
}

void TsRadioGroup::setItems(const QString& text) {
  const int selected = ItemIndex();
  QStringList lines = text.split(QRegularExpression("\r\n|\n|\r"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  auto* grid = static_cast<QGridLayout*>(layout());
  // Keep the buttons that exist (so the selection survives a translation), add or remove the rest.
  while (buttons_.size() > lines.size()) {
    QRadioButton* button = buttons_.takeLast();
    group_->removeButton(button);
    delete button;
  }
  for (int i = 0; i < lines.size(); ++i) {
    if (i >= buttons_.size()) {
      auto* button = new QRadioButton(this);
      group_->addButton(button, i);
      grid->addWidget(button, i / columns_, i % columns_);
      buttons_.push_back(button);
    }
    buttons_[i]->setText(lines[i]);
  }
  setItemIndex(selected);
}

int TsRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TsRadioGroup::setItemIndex(int index) {
  if (index >= 0 && index < buttons_.size()) {
    buttons_[index]->setChecked(true);
  } else if (QAbstractButton* checked = group_->checkedButton()) {
    group_->setExclusive(false);
    checked->setChecked(false);
    group_->setExclusive(true);
  }
}

TsFilenameEdit::TsFilenameEdit(QWidget* parent) : QWidget(parent), edit_(new QLineEdit(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* browseButton = new QToolButton(this);
  browseButton->setText("...");
  layout->addWidget(edit_, 1);
  layout->addWidget(browseButton);
  connect(browseButton, &QToolButton::clicked, this, &TsFilenameEdit::browse);
}

QString TsFilenameEdit::text() const { return edit_->text(); }
void TsFilenameEdit::setText(const QString& text) { edit_->setText(text); }
void TsFilenameEdit::setMaxLength(int length) { edit_->setMaxLength(length); }

void TsFilenameEdit::browse() {
  // The dialog opens at the file the box names, or in the publication folder.
  const TDialogStart start = dialogStart(edit_->text());
  const QString file = QFileDialog::getOpenFileName(this, QString(), start.file.isEmpty() ? start.folder : start.file,
                                                    qtFileDialogFilter(filter_));
  if (!file.isEmpty()) edit_->setText(file);
}

TsGauge::TsGauge(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setSuffix("%");
}

void TsGauge::setSuffix(const QString& suffix) {
  suffix_ = suffix;
  setFormat("%p" + suffix);
}

QString qtFileDialogFilter(const QString& windowsFilter) {
  const QStringList parts = windowsFilter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString masks = parts[i + 1];
    masks.replace(';', ' ');
    // Masks match on Linux without regard to case, as they did where publications come from.
    QStringList expanded;
    for (const QString& mask : masks.split(' ', Qt::SkipEmptyParts)) {
      expanded << mask;
      if (mask.toLower() != mask) expanded << mask.toLower();
    }
    filters << parts[i] + " (" + expanded.join(' ') + ")";
  }
  return filters.join(";;");
}

}  // namespace lumora::skin
