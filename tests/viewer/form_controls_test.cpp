// Form controls in the page viewer on the offscreen platform: which widget each element becomes, its
// size rules, what a submission holds, reset, change detection, the keyboard, and the values the history
// brings back.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <ostream>
#include <string>
#include <vector>

#include "html/html_forms.h"
#include "html/html_section.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "viewer/form_controls.h"
#include "viewer/frame_viewer.h"
#include "viewer/page_viewer.h"

// Readable failures.
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace lumora::viewer {
namespace {

void key(QWidget* w, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent e(QEvent::KeyPress, k, modifiers, text);
  QApplication::sendEvent(w, &e);
}
void type(QWidget* w, const QString& text) {
  for (const QChar c : text) key(w, 0, Qt::NoModifier, QString(c));
}
void focus(QWidget* w, bool in) {
  QFocusEvent e(in ? QEvent::FocusIn : QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(w, &e);
}

class FormControlsTest : public ::testing::Test, lumora::testing::QtApplicationFirst {
 protected:
  void SetUp() override {
    viewer.resize(640, 480);
    viewer.show();
    QObject::connect(&viewer, &TPageViewer::OnFormSubmit, &viewer,
                     [this](QObject*, const QString&, const QString&, const QString&, const QString& method,
                            const QStringList& results) {
                       ++submits;
                       lastMethod = method;
                       lastResults = results;
                     });
  }
  void load(const std::string& html) {
    viewer.LoadFromString(html, "page.htm");
    viewer.paintPanel()->grab();  // a paint places the controls
  }
  html::TFormControlObj& control(size_t i) { return *viewer.document().FormControlList.at(i); }
  template <class W>
  W* widget(size_t i) {
    return qobject_cast<W*>(viewer.formControls().widgetOf(control(i)));
  }
  // The lines a submission of the first form hands over (after the posted delivery).
  QStringList submit() {
    submits = 0;
    viewer.document().htmlFormList.front()->SubmitValues(std::nullopt);
    QApplication::processEvents();
    return lastResults;
  }

  TPageViewer viewer;
  int submits = 0;
  QString lastMethod;
  QStringList lastResults;
};

TEST_F(FormControlsTest, TypeAndDisabledRulesPickTheWidgetAndItsState) {
  load("<form><input type=date name=d value=x maxlength=3><input type=PASSWORD name=p value=secret readonly>"
       "<input name=a disabled value=1><input name=b disabled=NO value=2><input name=c disabled=0 value=3>"
       "<input name=e disabled=yes value=4><input type=file name=f value=ignored></form>");
  auto* date = widget<QLineEdit>(0);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(date->text(), "x");
  EXPECT_EQ(date->maxLength(), 3);
  EXPECT_FALSE(date->isReadOnly());
  auto* password = widget<QLineEdit>(1);
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  EXPECT_EQ(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password), '*');
  EXPECT_TRUE(password->isReadOnly());
  const bool enabled[] = {false, true, true, false};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(widget<QWidget>(2 + i)->isEnabled(), enabled[i]) << "control " << 2 + i;
  // The file field: an empty box whatever its VALUE, then its browse button.
  EXPECT_EQ(widget<QLineEdit>(6)->text(), "");
  EXPECT_EQ(widget<QPushButton>(7)->text(), "Browse...");
  EXPECT_LT(widget<QLineEdit>(6)->geometry().right(), widget<QPushButton>(7)->geometry().left());
  // Its button hands the box's text to a browse handler and takes back what the handler leaves.
  QObject::connect(&viewer, &TPageViewer::OnFileBrowse, [&](QObject*, html::TFormControlObj* field, QString* s) {
    EXPECT_EQ(field, &control(6));
    *s = "/tmp/chosen.txt";
  });
  widget<QPushButton>(7)->click();
  EXPECT_EQ(widget<QLineEdit>(6)->text(), "/tmp/chosen.txt");
  widget<QLineEdit>(6)->clear();
  static_cast<html::TEditFormControlObj&>(control(6)).Text.clear();
  // Disabled values stay out of a submission but not out of what the history keeps.
  EXPECT_EQ(submit(), QStringList({"d=x", "p=secret", "b=2", "c=3", "f="}));
  const auto saved = viewer.document().SaveFormValues();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], (std::vector<std::string>{"d=x", "p=secret", "a=1", "b=2", "c=3", "e=4", "f="}));
}

TEST_F(FormControlsTest, MethodIsPassedAsWrittenAndCutToFourCharacters) {
  const struct {
    const char* form;
    const char* method;
  } cases[] = {{"<form method=post>", "post"}, {"<form method=delete>", "dele"}, {"<form>", "Get"}};
  for (const auto& c : cases) {
    load(std::string(c.form) + "<input name=q value=v></form>");
    EXPECT_EQ(submit(), QStringList({"q=v"})) << c.form;
    EXPECT_EQ(lastMethod, c.method) << c.form;
  }
}

TEST_F(FormControlsTest, WithoutAHandlerASubmitDoesNothing) {
  TPageViewer plain;
  plain.resize(300, 200);
  plain.LoadFromString("<form><input name=q value=v><input type=submit></form>", "page.htm");
  int clicks = 0;
  QObject::connect(&plain, &TPageViewer::OnObjectClick, &plain, [&] { ++clicks; });
  html::TFormControlObj& button = *plain.document().FormControlList.at(1);
  qobject_cast<QPushButton*>(plain.formControls().widgetOf(button))->click();
  QApplication::processEvents();
  EXPECT_EQ(clicks, 1);  // the click is reported, the submit goes nowhere
  EXPECT_EQ(submits, 0);
}

TEST_F(FormControlsTest, CheckBoxesAndRadioGroups) {
  load("<form><input type=checkbox name=agree><input type=checkbox name=off value=x>"
       "<input type=radio name=g value=a checked><input type=radio name=G value=b checked>"
       "<input type=radio name=g value=c></form>");
  auto* agree = widget<QAbstractButton>(0);
  agree->click();
  EXPECT_EQ(submit(), QStringList({"agree=on", "G=b"}));  // the later CHECKED radio of a group wins
  EXPECT_FALSE(widget<QAbstractButton>(2)->isChecked());
  widget<QAbstractButton>(4)->click();
  EXPECT_FALSE(widget<QAbstractButton>(3)->isChecked());
  widget<QAbstractButton>(4)->click();  // a checked radio stays checked
  EXPECT_EQ(submit(), QStringList({"agree=on", "g=c"}));
  // Arrow keys move through the group (and check), in form order.
  key(widget<QWidget>(4), Qt::Key_Up);
  EXPECT_TRUE(widget<QAbstractButton>(3)->isChecked());
  EXPECT_FALSE(widget<QAbstractButton>(4)->isChecked());
  viewer.document().htmlFormList.front()->ResetAll();
  EXPECT_FALSE(agree->isChecked());
  EXPECT_TRUE(widget<QAbstractButton>(3)->isChecked());
  EXPECT_EQ(submit(), QStringList({"G=b"}));
}

TEST_F(FormControlsTest, SubmitAndImageButtonsAddTheirOwnLines) {
  load("<form><input name=q value=v><input type=submit name=go value=Find><input type=submit value=Anon>"
       "<input type=image name=map src=none.gif width=40 height=30></form>"
       "<form><input name=r><input type=image src=none.gif width=40 height=30></form>");
  key(widget<QPushButton>(1), Qt::Key_Return);  // Enter on a button presses it
  QApplication::processEvents();
  EXPECT_EQ(lastResults, QStringList({"q=v", "go=Find"}));
  widget<QPushButton>(2)->click();
  QApplication::processEvents();
  EXPECT_EQ(lastResults, QStringList({"q=v"}));
  // A click on an image button sends where it fell in the picture.
  const auto clickImage = [&](size_t i) {
    auto& image = static_cast<html::TImageFormControlObj&>(control(i));
    const QPoint p(image.MyImage->DrawX + 12, image.MyImage->DrawY + 7 - viewer.scrollPosition());
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(t, QPointF(p), viewer.paintPanel()->mapToGlobal(QPointF(p)), Qt::LeftButton,
                    t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(viewer.paintPanel(), &e);
    }
    QApplication::processEvents();
  };
  clickImage(3);
  EXPECT_EQ(lastResults, QStringList({"q=v", "map.x=12", "map.y=7"}));
  clickImage(5);
  EXPECT_EQ(lastResults, QStringList({"r=", "x=12", "y=7"}));
  // A later submission by Enter has no point any more.
  key(widget<QLineEdit>(4), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(lastResults, QStringList({"r="}));
}

TEST_F(FormControlsTest, EnterInAnEditBoxSubmitsAndNeverReachesIt) {
  load("<form method=post><input name=a value=1><input name=b value=2><textarea name=t>x</textarea></form>");
  int returns = 0;
  QObject::connect(widget<QLineEdit>(1), &QLineEdit::returnPressed, [&] { ++returns; });
  key(widget<QLineEdit>(1), Qt::Key_Return);
  EXPECT_EQ(submits, 0);  // delivered later, as a posted message
  QApplication::processEvents();
  EXPECT_EQ(submits, 1);
  EXPECT_EQ(returns, 0);
  EXPECT_EQ(lastResults, QStringList({"a=1", "b=2", "t=x"}));
  // Enter in a text area is a line end.
  auto* area = widget<QPlainTextEdit>(2);
  area->moveCursor(QTextCursor::End);
  key(area, Qt::Key_Return, Qt::NoModifier, "\r");
  type(area, "y");
  QApplication::processEvents();
  EXPECT_EQ(submits, 1);
  EXPECT_EQ(submit(), QStringList({"a=1", "b=2", "t=x\r\ny"}));
}

TEST_F(FormControlsTest, SelectKindsSizesAndOptions) {
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += "<option>o" + std::to_string(i);
  load("<form><select name=dd><option value=1>One<option selected>Two</select>"
       "<select name=three size=3><option>a<option>b<option>c<option>d</select>"
       "<select name=many multiple>" + ten + "</select>"
       "<select name=few multiple><option value=v1><option value=v2 selected></select></form>");
  ASSERT_NE(widget<QComboBox>(0), nullptr);
  auto* three = widget<QListWidget>(1);
  auto* many = widget<QListWidget>(2);
  ASSERT_NE(three, nullptr);
  ASSERT_NE(many, nullptr);
  const int row = QFontMetrics(three->font()).height(), frame = 2 * three->frameWidth();
  EXPECT_EQ(three->height(), 3 * row + frame);
  EXPECT_EQ(many->height(), 8 * row + frame);
  EXPECT_EQ(widget<QListWidget>(3)->height(), 2 * row + frame);
  // An option without text shows " "; one without VALUE sends its text.
  EXPECT_EQ(widget<QListWidget>(3)->item(0)->text(), " ");
  widget<QComboBox>(0)->setCurrentIndex(0);
  emit widget<QComboBox>(0)->activated(0);
  many->item(2)->setSelected(true);
  many->item(5)->setSelected(true);
  three->setCurrentRow(3);
  EXPECT_EQ(submit(), QStringList({"dd=1", "three=d", "many=o2", "many=o5", "few=v2"}));
  viewer.document().htmlFormList.front()->ResetAll();
  EXPECT_EQ(submit(), QStringList({"dd=Two", "three=a", "few=v2"}));
}

TEST_F(FormControlsTest, TextAreaWrapModes) {
  const std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu";
  load("<form><textarea name=h cols=12 rows=3 wrap=hard>" + words + "</textarea>"
       "<textarea name=o cols=12 wrap=off>" + words + "</textarea><textarea name=s cols=12>" + words +
       "</textarea></form>");
  const QStringList lines = submit();
  ASSERT_EQ(lines.size(), 3);
  const QStringList shown = lines[0].mid(2).split("\r\n");
  EXPECT_GT(shown.size(), 2);
  EXPECT_EQ(shown.join("").remove(' '), QString::fromStdString(words).remove(' '));
  for (const QString& line : shown)
    EXPECT_LE(QFontMetrics(widget<QWidget>(0)->font()).horizontalAdvance(line.trimmed()),
              widget<QPlainTextEdit>(0)->viewport()->width());
  EXPECT_EQ(lines[1], "o=" + QString::fromStdString(words));
  EXPECT_EQ(lines[2], "s=" + QString::fromStdString(words));
  auto* off = widget<QPlainTextEdit>(1);
  EXPECT_EQ(off->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(off->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(off->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(widget<QPlainTextEdit>(2)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(FormControlsTest, ChangeDetectionWatchesTheFirst51ItemsOfAList) {
  std::string options;
  for (int i = 0; i < 60; ++i) options += "<option>o" + std::to_string(i);
  load("<form><select name=l size=5 multiple onchange=changed>" + options + "</select>"
       "<input name=t onchange=typed onfocus=in onblur=out></form>");
  QStringList events;
  QObject::connect(&viewer, &TPageViewer::OnObjectChange, [&](QObject*, html::TFormControlObj*, const QString& a) { events << a; });
  QObject::connect(&viewer, &TPageViewer::OnObjectFocus, [&](QObject*, html::TFormControlObj*, const QString& a) { events << a; });
  QObject::connect(&viewer, &TPageViewer::OnObjectBlur, [&](QObject*, html::TFormControlObj*, const QString& a) { events << a; });
  auto* list = widget<QListWidget>(0);
  focus(list, true);
  list->item(54)->setSelected(true);
  focus(list, false);
  EXPECT_TRUE(events.isEmpty());
  focus(list, true);
  list->item(4)->setSelected(true);
  focus(list, false);
  EXPECT_EQ(events, QStringList({"changed"}));
  events.clear();
  auto* edit = widget<QLineEdit>(1);
  focus(edit, true);
  focus(edit, false);
  focus(edit, true);
  type(edit, "z");
  focus(edit, false);
  EXPECT_EQ(events, QStringList({"in", "out", "in", "typed", "out"}));
}

TEST_F(FormControlsTest, TabWalksLinksAndControlsInTabIndexOrderAndScrollsThemIntoView) {
  std::string page = "<p><a href=a.htm>first</a></p><form><input name=late tabindex=2>";
  for (int i = 0; i < 40; ++i) page += "<p>line " + std::to_string(i) + "</p>";
  page += "<input name=early tabindex=1><input type=radio name=r value=1><input type=radio name=r value=2>"
          "<input name=far></form><p><a href=b.htm>last</a></p>";
  load(page);
  viewer.activateWindow();
  QApplication::processEvents();
  viewer.setFocus();
  const auto at = [&]() -> std::string {
    if (html::TFormControlObj* c = viewer.formControls().controlOf(QApplication::focusWidget()))
      return c->Name + (dynamic_cast<html::TRadioButtonFormControlObj*>(c) ? c->Value : "");
    return viewer.focusedLink() ? viewer.focusedLink()->Url : "(none)";
  };
  std::vector<std::string> order;
  for (int i = 0; i < 6; ++i) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &viewer;
    key(target, Qt::Key_Tab);
    order.push_back(at());
    if (order.back() == "far") {
      const QRect shown = widget<QWidget>(4)->geometry();
      EXPECT_TRUE(viewer.paintPanel()->rect().contains(shown)) << "the focused control is scrolled into view";
    }
  }
  // One stop for the radio group (its first radio while none is checked).
  EXPECT_EQ(order, (std::vector<std::string>{"early", "late", "a.htm", "r1", "far", "b.htm"}));
  key(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(at(), "far");
}

TEST_F(FormControlsTest, ControlsFollowTheScrollAndHideWhenScrolledAway) {
  std::string page = "<form><input name=top>";
  for (int i = 0; i < 60; ++i) page += "<p>line " + std::to_string(i) + "</p>";
  load(page + "<input name=bottom></form>");
  auto* top = widget<QLineEdit>(0);
  EXPECT_TRUE(top->isVisible());
  // A field out of sight gets its widget when it is first shown (a page may hold thousands).
  EXPECT_EQ(viewer.formControls().widgetOf(control(1)), nullptr);
  EXPECT_EQ(top->pos(), QPoint(control(0).XValue, control(0).TopValue));
  // A short move shifts the pixels and the controls go along, partly in sight.
  viewer.ScrollTo(16);
  viewer.paintPanel()->grab();
  EXPECT_TRUE(top->isVisible());
  EXPECT_EQ(top->pos(), QPoint(control(0).XValue, control(0).TopValue - 16));
  // A long one paints everything again.
  viewer.ScrollTo(viewer.scrollHeight());
  viewer.paintPanel()->grab();
  EXPECT_FALSE(top->isVisible());
  auto* bottom = widget<QLineEdit>(1);
  ASSERT_NE(bottom, nullptr);
  EXPECT_TRUE(bottom->isVisible());
  EXPECT_EQ(bottom->pos(), QPoint(control(1).XValue, control(1).TopValue - viewer.scrollPosition()));
  EXPECT_EQ(bottom->pos().y(), control(1).TopValue - viewer.scrollPosition());
}

TEST_F(FormControlsTest, TheDemoFormComesBackFromTheHistoryAndResetClearsIt) {
  TFrameViewer frames;
  frames.resize(700, 500);
  frames.setHistoryMaxCount(10);
  frames.show();
  frames.LoadFromFile(QString(LUMORA_SOURCE_DIR) + "/demo/form.htm");
  const auto page = [&] { return frames.currentFrameSet()->ViewerList.front(); };
  const auto widgetAt = [&](size_t i) {
    return page()->formControls().widgetOf(*page()->document().FormControlList.at(i));
  };
  page()->paintPanel()->grab();
  type(qobject_cast<QLineEdit*>(widgetAt(0)), "Ada");
  qobject_cast<QComboBox*>(widgetAt(1))->setCurrentIndex(0);
  emit qobject_cast<QComboBox*>(widgetAt(1))->activated(0);
  qobject_cast<QAbstractButton*>(widgetAt(2))->click();  // unchecks "more"
  qobject_cast<QAbstractButton*>(widgetAt(4))->click();
  qobject_cast<QPlainTextEdit*>(widgetAt(5))->setPlainText("Fine\nbook");
  // Out by the page's link (the last stop of the keyboard order), and back.
  page()->setFocus();
  key(page(), Qt::Key_Backtab, Qt::ShiftModifier);
  key(page(), Qt::Key_Return);
  QApplication::processEvents();
  ASSERT_TRUE(frames.CurrentFile().endsWith("index.htm"));
  frames.GoBack();
  ASSERT_TRUE(frames.CurrentFile().endsWith("form.htm"));
  page()->paintPanel()->grab();
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetAt(0))->text(), "Ada");
  EXPECT_EQ(qobject_cast<QComboBox*>(widgetAt(1))->currentIndex(), 0);
  EXPECT_FALSE(qobject_cast<QAbstractButton*>(widgetAt(2))->isChecked());
  EXPECT_TRUE(qobject_cast<QAbstractButton*>(widgetAt(4))->isChecked());
  EXPECT_FALSE(qobject_cast<QAbstractButton*>(widgetAt(3))->isChecked());
  EXPECT_EQ(qobject_cast<QPlainTextEdit*>(widgetAt(5))->toPlainText(), "Fine\nbook");
  qobject_cast<QPushButton*>(widgetAt(7))->click();  // "Start again"
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetAt(0))->text(), "");
  EXPECT_EQ(qobject_cast<QComboBox*>(widgetAt(1))->currentIndex(), 1);
  EXPECT_TRUE(qobject_cast<QAbstractButton*>(widgetAt(2))->isChecked());
  EXPECT_TRUE(qobject_cast<QAbstractButton*>(widgetAt(3))->isChecked());
  EXPECT_EQ(qobject_cast<QPlainTextEdit*>(widgetAt(5))->toPlainText(), "Your thoughts here");
}

TEST_F(FormControlsTest, TheViewersOwnHistoryAndAFramesHistoryKeepTheValues) {
  lumora::testing::TempDir dir;
  const auto file = [&](const std::string& name, const std::string& text) {
    lumora::testing::writeFile(dir / name, text);
    return QString::fromStdString((dir / name).string());
  };
  const QString form = file("form.htm", "<form><input name=q></form>");
  const QString other = file("other.htm", "<p>other</p>");
  // The field's widget is made when the page is first painted.
  const auto typeInto = [](TPageViewer& v, const QString& text) {
    v.paintPanel()->grab();
    type(qobject_cast<QLineEdit*>(v.formControls().widgetOf(*v.document().FormControlList.at(0))), text);
  };
  const auto shown = [](TPageViewer& v) {
    v.paintPanel()->grab();
    return qobject_cast<QLineEdit*>(v.formControls().widgetOf(*v.document().FormControlList.at(0)))->text();
  };
  // A viewer on its own.
  TPageViewer own;
  own.resize(300, 200);
  own.setHistoryMaxCount(10);
  own.LoadFromFile(form);
  typeInto(own, "kept");
  own.LoadFromFile(other);
  own.setHistoryIndex(1);
  EXPECT_EQ(shown(own), "kept");
  // The right frame of a frameset, left by a link in the left one and come back to.
  file("left.htm", "<a href=other.htm target=right>on</a>");
  TFrameViewer frames;
  frames.resize(600, 300);
  frames.setHistoryMaxCount(10);
  frames.show();
  frames.LoadFromFile(file("set.htm", "<frameset cols=\"150,*\"><frame name=left src=left.htm>"
                                      "<frame name=right src=form.htm></frameset>"));
  ASSERT_EQ(frames.currentFrameSet()->ViewerList.size(), 2u);
  TPageViewer* left = frames.currentFrameSet()->ViewerList[0];
  TPageViewer* right = frames.currentFrameSet()->ViewerList[1];
  typeInto(*right, "framed");
  left->setFocus();
  key(left, Qt::Key_Tab);
  key(left, Qt::Key_Return);
  QApplication::processEvents();
  ASSERT_TRUE(frames.currentFrameSet()->ViewerList[1]->CurrentFile().endsWith("other.htm"));
  frames.GoBack();
  QApplication::processEvents();
  right = frames.currentFrameSet()->ViewerList[1];
  ASSERT_TRUE(right->CurrentFile().endsWith("form.htm"));
  EXPECT_EQ(shown(*right), "framed");
}

TEST_F(FormControlsTest, RestoringIgnoresForeignLinesAndClearsCheckBoxes) {
  load("<form><input name=a value=1><input type=checkbox name=c checked><select name=s multiple>"
       "<option>x<option>y<option>z</select></form>");
  viewer.document().RestoreFormValues({{"A=one", "junk", "nobody=3", "s=Y", "s=z"}, {"b=extra form"}});
  EXPECT_EQ(widget<QLineEdit>(0)->text(), "one");
  EXPECT_FALSE(widget<QAbstractButton>(1)->isChecked());
  EXPECT_EQ(submit(), QStringList({"a=one", "s=y", "s=z"}));
}

}  // namespace
}  // namespace lumora::viewer
