#pragma once
// The application's style: the platform's own style, through which a loaded skin draws the program's
// controls (toolbars, buttons, track bars, gauges, combo boxes, edits, check boxes, page controls, group
// boxes, status bars, the forms, the icon column of menus, plain hints). Without a skin it draws exactly
// as the platform style does. Putting a skin on restyles every window that is open.

#include <QColor>
#include <QPixmap>
#include <QProxyStyle>

#include <array>
#include <memory>

#include "skin/skin_format.h"

class QPainter;
class QWidget;

namespace lumora::skin {

class TSkinStyle : public QProxyStyle {
  Q_OBJECT
 public:
  // `skin` nullptr: the platform look.
  TSkinStyle(const QString& platformStyle, std::shared_ptr<const SkinReadResult> skin);

  const SkinReadResult* skin() const { return skin_.get(); }
  const QString& platformStyle() const { return platformStyle_; }
  // The palette of a section's controls.
  QPalette sectionPalette(SkinSection section) const;
  // The section a widget is drawn from, if any.
  static std::optional<SkinSection> sectionOf(const QWidget* widget);

  QPalette standardPalette() const override;
  void polish(QWidget* widget) override;
  void unpolish(QWidget* widget) override;
  using QProxyStyle::polish;
  using QProxyStyle::unpolish;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override;

 private:
  const SectionLook& look(SkinSection s) const { return skin_->Data.look(s); }
  // A face: gradient or colour, or the section's picture, inside a rounded border.
  void drawFace(QPainter* p, const QRectF& rect, SkinSection section, const QColor& face, bool border) const;
  void drawMenuItem(const QStyleOption* option, QPainter* p) const;
  void drawSlider(const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const;
  void drawComboBox(const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const;

  QString platformStyle_;
  std::shared_ptr<const SkinReadResult> skin_;
  std::array<QPixmap, kSkinSectionCount> images_;
};

QColor skinColor(SkinColor color);

// Puts `skin` (nullptr: the platform look) on the application and every open window.
void putSkinOnApplication(std::shared_ptr<const SkinReadResult> skin);
// The skin the application wears, or nullptr.
const SkinReadResult* applicationSkin();

// Gives a window the background colour of its definition, which it keeps without a skin (a skin's FORM
// section replaces it while the skin is on).
void setFormColor(QWidget* window, const QColor& color);

}  // namespace lumora::skin
