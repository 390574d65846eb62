#pragma once
// The audio bar's components. Each publishes the translatable properties its kind has (Hint, Caption,
// filter), so a window's language controller reaches them through the meta-object system.

#include <QLabel>
#include <QObject>
#include <QSlider>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <functional>
#include <optional>

namespace lumora::audio {

class TAudioToolButton : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ Hint WRITE setHint)
 public:
  using QToolButton::QToolButton;
  QString Hint() const { return toolTip(); }
  void setHint(const QString& hint) { setToolTip(hint); }
};

class TAudioTrackBar : public QSlider {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ Hint WRITE setHint)
 public:
  explicit TAudioTrackBar(QWidget* parent = nullptr) : QSlider(Qt::Horizontal, parent) {}
  QString Hint() const { return toolTip(); }
  void setHint(const QString& hint) { setToolTip(hint); }
  // The end of the highlighted range of the volume slider (its start is fixed).
  int selEnd() const { return selEnd_; }
  void setSelEnd(int value) { selEnd_ = value; }
  int selStart() const { return selStart_; }
  void setSelStart(int value) { selStart_ = value; }

 private:
  int selStart_ = 0;
  int selEnd_ = 0;
};

class TAudioLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
  Q_PROPERTY(QString Hint READ Hint WRITE setHint)
 public:
  using QLabel::QLabel;
  QString Caption() const { return text(); }
  void setCaption(const QString& caption) { setText(caption); }
  QString Hint() const { return toolTip(); }
  void setHint(const QString& hint) { setToolTip(hint); }
};

// The file-open dialog. filter uses the "name|patterns|name|patterns" form of the window definitions.
class TAudioOpenDialog : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Filter READ filter WRITE setFilter)
 public:
  using Chooser = std::function<std::optional<QString>(const TAudioOpenDialog&)>;

  explicit TAudioOpenDialog(QWidget* owner);
  QString filter() const { return filter_; }
  void setFilter(const QString& filter) { filter_ = filter; }
  // The filter as Qt name filters, each pattern in upper and lower case (file names on this system are
  // case-sensitive, publications' are not).
  QStringList nameFilters() const;
  // Shows the dialog; the chosen existing file, or nullopt when cancelled.
  std::optional<QString> Execute();
  // Replaces the dialog (tests answer it without a window).
  void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }

 private:
  QWidget* owner_;
  QString filter_;
  Chooser chooser_;
};

}  // namespace lumora::audio
