#pragma once
// The program's controls. Each publishes its translatable texts as Qt properties under the names language
// files use (Caption, Hint, Text, Items, ...), so a window's texts can be walked by name. Skin drawing is not
// part of these classes.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class QRadioButton;
class QToolButton;

namespace lumora::skin {

// A toolbar button: "Caption" under the image, "Hint" as its tooltip.
class TToolButton : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
  Q_PROPERTY(QString Hint READ Hint WRITE setHint)
 public:
  explicit TToolButton(QWidget* parent = nullptr);
  QString Caption() const { return text(); }
  // A toolbar holding the button makes room for the new caption.
  void setCaption(const QString& caption);
  QString Hint() const { return toolTip(); }
  void setHint(const QString& hint) { setToolTip(hint); }
};

// A menu item whose text is its "Caption". The caption "-" makes it a separator, which shows no text.
class TMenuItem : public QAction {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
 public:
  TMenuItem(const QString& caption, const char* name, QObject* parent);
  QString Caption() const { return caption_; }
  void setCaption(const QString& caption);

 private:
  QString caption_;
};

// A toolbar that lays its buttons out left to right at the button size of the window definition; a button
// whose caption needs more room is as wide as its caption. Separators are fixed-width gaps; a widget placed
// at an explicit x (the spectrum box) keeps its place unless the buttons reach it, and then follows them.
class TsToolBar : public QWidget {
  Q_OBJECT
 public:
  explicit TsToolBar(QWidget* parent = nullptr);
  void setButtonSize(QSize size) { buttonSize_ = size; relayout(); }
  void addButton(TToolButton* button);
  void addSeparator(const QString& name, int width);
  void placeWidget(QWidget* widget, int x);
  // Shows or hides the captions under the button images.
  void setShowCaptions(bool show);
  bool showCaptions() const { return showCaptions_; }
  QSize sizeHint() const override;
  // Lays the items out again (after a caption changed).
  void relayout();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Item {
    QWidget* widget;
    int separatorWidth;
  };
  struct Placed {
    QWidget* widget;
    int x;
  };
  QVector<Item> items_;
  QVector<Placed> placed_;
  QSize buttonSize_{57, 44};
  bool showCaptions_ = true;
};

class TsButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  explicit TsButton(const QString& caption, QWidget* parent = nullptr) : QPushButton(caption, parent) {}
};

class TsCheckBox : public QCheckBox {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
 public:
  explicit TsCheckBox(const QString& caption, QWidget* parent = nullptr) : QCheckBox(caption, parent) {}
};

class TsLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ text WRITE setText)
 public:
  explicit TsLabel(const QString& caption, QWidget* parent = nullptr) : QLabel(caption, parent) {}
};

class TsEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
 public:
  explicit TsEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
};

class TsComboBox : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(QString Text READ currentText WRITE setEditText)
 public:
  explicit TsComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}
};

class TsGroupBox : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
 public:
  explicit TsGroupBox(const QString& caption, QWidget* parent = nullptr) : QGroupBox(caption, parent) {}
};

// A page of a TsPageControl; its Caption is the tab's text.
class TsTabSheet : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
 public:
  explicit TsTabSheet(const QString& caption, QWidget* parent = nullptr);
  QString Caption() const { return caption_; }
  void setCaption(const QString& caption);

 private:
  QString caption_;
};

class TsPageControl : public QTabWidget {
  Q_OBJECT
 public:
  explicit TsPageControl(QWidget* parent = nullptr) : QTabWidget(parent) {}
  void addSheet(TsTabSheet* sheet) { addTab(sheet, sheet->Caption()); }
};

// Radio buttons in a captioned group; Items is the whole list as one text, each line ended by CR LF.
class TsRadioGroup : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ title WRITE setTitle)
  Q_PROPERTY(QString Items READ Items WRITE setItems)
 public:
  TsRadioGroup(const QString& caption, int columns, QWidget* parent = nullptr);
  QString Items() const;
  void setItems(const QString& text);
  int ItemIndex() const;
  void setItemIndex(int index);

 private:
  QVector<QRadioButton*> buttons_;
  QButtonGroup* group_;
  int columns_;
};

// A file name box with a browse button; filter is the file dialog's filter in "name|masks|..." form.
class TsFilenameEdit : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(QString Filter READ filter WRITE setFilter)
 public:
  explicit TsFilenameEdit(QWidget* parent = nullptr);
  QString text() const;
  void setText(const QString& text);
  QString filter() const { return filter_; }
  void setFilter(const QString& filter) { filter_ = filter; }
  void setMaxLength(int length);

 private:
  void browse();
  QLineEdit* edit_;
  QString filter_;
};

// Progress gauge with a suffix after the percentage and a hint.
class TsGauge : public QProgressBar {
  Q_OBJECT
  Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
  Q_PROPERTY(QString Suffix READ Suffix WRITE setSuffix)
 public:
  explicit TsGauge(QWidget* parent = nullptr);
  QString Suffix() const { return suffix_; }
  void setSuffix(const QString& suffix);

 private:
  QString suffix_;
};

class TsStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  explicit TsStatusBar(QWidget* parent = nullptr) : QStatusBar(parent) {}
};

// Converts a Windows-style filter ("Name|*.A;*.B|All|*.*") into the form Qt's file dialogs take.
QString qtFileDialogFilter(const QString& windowsFilter);

}  // namespace lumora::skin
