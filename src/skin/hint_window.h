#pragma once
// The hint manager TsHintManager (the main window's sHintManager1) and its balloon window. Every hint of
// the program is a widget's tool tip; the manager takes each one the platform's hint mechanism raises and
// shows it as a comic balloon: hint markup, a pointer toward the mouse, a soft shadow, 10 % transparency
// and a fade-in. Where the windowing system cannot show per-pixel transparency, the balloon is composed
// onto a copy of the screen under it.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "skin/hint_geometry.h"
#include "skin/hint_markup.h"

namespace lumora::skin {

enum class THintPredefinition {
  shSimply,
  shGradient,
  shTransparent,
  shEllipse,
  shBalloon,
  shComicsGradient,
  shComicsTransparent,
  shStandard,
  shNone,
  shCustom
};

// Measures hint text with Qt's font metrics.
class TQtHintMetrics : public HintMetrics {
 public:
  int textWidth(const HintFont& font, std::string_view text) const override;
  int lineHeight(const HintFont& font) const override;
};
QFont toQFont(const HintFont& font);
QColor fromBgr(unsigned bgr);

// One balloon on screen.
class TsHintWindow : public QWidget {
  Q_OBJECT
 public:
  // `htmlMode` false: the text is plain, word-wrapped to MaxWidth and centred.
  TsHintWindow(const THintKind& kind, const HintFont& font, bool perPixelAlpha, bool htmlMode = true);
  // Lays out `text`, places the balloon beside `anchor` (global pixels) and shows it.
  void activateHint(const QString& text, QPoint anchor);
  // The composed picture (alpha outside the shape: the shadow's).
  const QImage& picture() const { return picture_; }
  int pointerCorner() const { return corner_; }
  const HintLayout& textLayout() const { return layout_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void compose(const QImage& background);
  void fadeStep();

  THintKind kind_;
  HintFont font_;
  bool perPixelAlpha_;
  bool htmlMode_;
  QString plainText_;
  QSize plainSize_;
  HintLayout layout_;
  QImage picture_;
  int corner_ = 0;
  QTimer fade_;
  int fadeIndex_ = 0;
};

class TsHintManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool HTMLMode READ HTMLMode WRITE setHTMLMode)
  Q_PROPERTY(QString SkinSection READ SkinSection WRITE setSkinSection)
  Q_PROPERTY(bool UseSkinData READ UseSkinData WRITE setUseSkinData)
  Q_PROPERTY(int PauseHide READ PauseHide WRITE setPauseHide)
 public:
  explicit TsHintManager(QObject* parent = nullptr);
  ~TsHintManager() override;

  bool HTMLMode() const { return htmlMode_; }
  void setHTMLMode(bool on) { htmlMode_ = on; }
  QString SkinSection() const { return skinSection_.isEmpty() ? QStringLiteral("HINT") : skinSection_; }
  void setSkinSection(const QString& section) { skinSection_ = section; }
  bool UseSkinData() const { return useSkinData_; }
  void setUseSkinData(bool on) { useSkinData_ = on; }
  int PauseHide() const { return pauseHide_; }
  void setPauseHide(int ms) { pauseHide_ = ms; }
  TMousePos DefaultMousePos() const { return mousePos_; }
  void setDefaultMousePos(TMousePos pos) { mousePos_ = pos; }
  THintKind& HintKind() { return kind_; }
  const HintFont& hintFont() const { return font_; }
  // Applies a preset to HintKind.
  void setPredefinitions(THintPredefinition preset);

  // Shows `text` as a balloon for `owner` with the mouse at `anchor`; hides it when the mouse leaves
  // `owner`, on a click or key, or after PauseHide milliseconds.
  void showHint(QWidget* owner, const QString& text, QPoint anchor);
  void hideHint();
  // The balloon on screen, or nullptr.
  TsHintWindow* shownHint() const { return window_; }

  // Whether windows here may have transparent pixels (otherwise the balloon copies the screen under it).
  static bool perPixelAlphaAvailable();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool mouseOnOwner() const;

  bool htmlMode_ = true;
  QString skinSection_ = QStringLiteral("HINT");
  bool useSkinData_ = false;
  int pauseHide_ = 5000;
  TMousePos mousePos_ = TMousePos::mpLeftTop;
  THintKind kind_;
  HintFont font_;
  QPointer<QWidget> owner_;
  QPointer<TsHintWindow> window_;
  QTimer hideTimer_;
};

}  // namespace lumora::skin
