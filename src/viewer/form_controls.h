#pragma once
// The native controls behind a page's form elements: Qt widgets that are children of the viewer's drawing
// area (edit boxes, push buttons, check boxes, radio buttons, list boxes, drop-down lists, text areas). The
// form model (html/html_forms.h) holds the values; a widget shows its control's value and tells the model
// what the reader does with it (typing, clicks, focus, keys).

#include <QCheckBox>
#include <QComboBox>
#include <QObject>
#include <QPoint>
#include <QProxyStyle>
#include <QRadioButton>
#include <QSize>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "html/html_host.h"

class QKeyEvent;

namespace lumora::html {
class TFormControlObj;
}

namespace lumora::viewer {

// A form's check box. Arrow keys go to the form (and from there to the page), not to Qt's focus moves.
class TFormCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  using QCheckBox::QCheckBox;
};

// A form's radio button: the form keeps its group (NAME), so a click never unchecks it.
class TFormRadioButton : public QRadioButton {
  Q_OBJECT
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override {
    if (!isChecked()) setChecked(true);
  }
};

// A drop-down list that tells when it drops down (a control click, as when an item is picked).
class TFormComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  std::function<void()> OnDropDown;
  void showPopup() override {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
  }
};

class QtFormControls : public QObject, public html::IFormControlHost {
  Q_OBJECT
 public:
  // Controls are children of Parent. Offset gives the document point shown at Parent's top-left corner.
  QtFormControls(QWidget* Parent, std::function<QPoint()> Offset, int PixelsPerInch);
  ~QtFormControls() override;

  html::TControlSize controlSize(const html::TFormControlObj& Control) override;
  void placeControl(html::TFormControlObj& Control, int X, int Y) override;
  void releaseControl(html::TFormControlObj& Control) override;
  void hideControlsOutOfView() override;
  // The page's pixels moved by DY (a short scroll): the controls on show move along; hidden ones stay put,
  // however many the page holds.
  void scrollShown(int DY);
  void controlChanged(html::TFormControlObj& Control) override;
  std::vector<std::string> displayedLines(const html::TFormControlObj& Control, const std::string& Text) override;

  // The widget of Control: null for hidden fields, and before the control was first measured or, for the
  // kinds that share a measurement, first shown or focused.
  QWidget* widgetOf(const html::TFormControlObj& Control) const;
  // A layout has sized Control (it takes the keyboard focus from now on; its widget may wait until shown).
  bool laidOut(const html::TFormControlObj& Control) const;
  // The control whose widget is Widget or holds it (a list's or text area's inner part), or null.
  html::TFormControlObj* controlOf(const QWidget* Widget) const;
  // Gives Control's widget the keyboard focus, shown where the last layout put it.
  void focusControl(html::TFormControlObj& Control);
  // Keys the controls leave to the page (arrow keys on check boxes scroll it).
  std::function<void(QKeyEvent* Event)> OnViewerKey;
  // A control got or lost the focus: the page shows or removes its focus mark.
  std::function<void()> OnFocusChange;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  struct Entry {
    QWidget* Widget = nullptr;
    bool Sized = false;
    html::TControlSize Size;
  };
  static std::string shapeKey(const html::TFormControlObj& Control);
  QWidget* ensure(html::TFormControlObj& Control);
  QWidget* create(html::TFormControlObj& Control);
  html::TControlSize measure(const html::TFormControlObj& Control, QWidget* Widget) const;
  void watch(QWidget* Widget, html::TFormControlObj& Control);
  void showValue(html::TFormControlObj& Control, QWidget* Widget);

  QWidget* parent_;
  std::function<QPoint()> offset_;
  int pixelsPerInch_;
  std::unique_ptr<QProxyStyle> passwordStyle_;  // password boxes show every character as "*"
  std::unordered_map<const html::TFormControlObj*, Entry> entries_;
  std::unordered_map<std::string, html::TControlSize> sizesByShape_;
  std::unordered_map<const QObject*, html::TFormControlObj*> owners_;  // widgets and their inner parts
  std::unordered_set<QWidget*> shown_;  // the widgets on show
};

}  // namespace lumora::viewer
