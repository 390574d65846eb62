#include "skin/skin_style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "image/image_types.h"
#include "skin/controls.h"

namespace lumora::skin {

namespace {

// Dynamic properties the style leaves on widgets: the definition's own window colour, and whether this
// style replaced a widget's palette or font (so that taking the skin off puts back exactly that).
constexpr const char* kFormColorProperty = "lumoraFormColor";
constexpr const char* kSkinPaletteProperty = "lumoraSkinPalette";
constexpr const char* kSkinFontProperty = "lumoraSkinFont";

// Hints appear after half a second; moving to a neighbour while one shows is quicker.
constexpr int kHintPause = 500;
constexpr int kHintShortPause = 200;

QPixmap toPixmap(const image::TBitmap& bitmap) {
  QImage image(reinterpret_cast<const uchar*>(bitmap.Pixels.data()), bitmap.Width, bitmap.Height, bitmap.Width * 4,
               bitmap.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  return QPixmap::fromImage(image.copy());
}

bool isSunken(const QStyleOption* o) { return (o->state & (QStyle::State_Sunken | QStyle::State_On)) != 0; }
bool isHot(const QStyleOption* o) {
  return (o->state & QStyle::State_MouseOver) != 0 && (o->state & QStyle::State_Enabled) != 0;
}
bool isEnabled(const QStyleOption* o) { return (o->state & QStyle::State_Enabled) != 0; }

}  // namespace

QColor skinColor(SkinColor color) { return QColor::fromRgb(color); }

TSkinStyle::TSkinStyle(const QString& platformStyle, std::shared_ptr<const SkinReadResult> skin)
    : QProxyStyle(QStyleFactory::create(platformStyle)), platformStyle_(platformStyle), skin_(std::move(skin)) {
  if (skin_) {
    for (int i = 0; i < kSkinSectionCount; ++i) {
      if (skin_->Images[i]) images_[i] = toPixmap(*skin_->Images[i]);
    }
  }
}

std::optional<SkinSection> TSkinStyle::sectionOf(const QWidget* w) {
  if (w == nullptr) return std::nullopt;
  if (w->inherits("QTipLabel")) return SkinSection::Hint;
  if (qobject_cast<const QMenu*>(w)) return SkinSection::IcoLine;
  if (w->isWindow()) return SkinSection::Form;
  if (qobject_cast<const TsToolBar*>(w) || qobject_cast<const QToolBar*>(w)) return SkinSection::ToolBar;
  if (qobject_cast<const QStatusBar*>(w)) return SkinSection::StatusBar;
  if (qobject_cast<const QProgressBar*>(w)) return SkinSection::Gauge;
  if (qobject_cast<const QSlider*>(w)) return SkinSection::TrackBar;
  if (qobject_cast<const QPushButton*>(w)) return SkinSection::Button;
  if (qobject_cast<const QToolButton*>(w)) return SkinSection::SpeedButton;
  if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) return SkinSection::CheckBox;
  if (qobject_cast<const QComboBox*>(w)) return SkinSection::ComboBox;
  if (qobject_cast<const QLineEdit*>(w)) {
    // The edit of an editable combo box belongs to the combo box.
    if (qobject_cast<const QComboBox*>(w->parentWidget())) return SkinSection::ComboBox;
    return SkinSection::Edit;
  }
  if (qobject_cast<const QTabWidget*>(w) || qobject_cast<const QTabBar*>(w)) return SkinSection::PageControl;
  if (qobject_cast<const TsTabSheet*>(w)) return SkinSection::TabSheet;
  if (qobject_cast<const QGroupBox*>(w)) return SkinSection::GroupBox;
  return std::nullopt;
}

QPalette TSkinStyle::sectionPalette(SkinSection section) const {
  const SectionLook& s = look(section);
  const SectionLook& form = look(SkinSection::Form);
  const SectionLook& edit = look(section == SkinSection::ComboBox ? SkinSection::ComboBox : SkinSection::Edit);
  const SectionLook& button = look(SkinSection::Button);
  const SectionLook& hint = look(SkinSection::Hint);
  const QColor window = skinColor(s.Color);
  QPalette pal;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const bool disabled = group == QPalette::Disabled;
    const auto text = [&](const SectionLook& l) { return skinColor(disabled ? l.DisabledFontColor : l.FontColor); };
    pal.setColor(group, QPalette::Window, window);
    pal.setColor(group, QPalette::WindowText, text(s));
    pal.setColor(group, QPalette::Base, skinColor(disabled ? edit.DisabledColor : edit.Color));
    pal.setColor(group, QPalette::AlternateBase, skinColor(form.HotColor));
    pal.setColor(group, QPalette::Text, text(edit));
    pal.setColor(group, QPalette::PlaceholderText, skinColor(edit.DisabledFontColor));
    pal.setColor(group, QPalette::Button, skinColor(section == SkinSection::Button || section == SkinSection::SpeedButton
                                                        ? s.Color
                                                        : button.Color));
    pal.setColor(group, QPalette::ButtonText, text(s));
    pal.setColor(group, QPalette::BrightText, skinColor(form.SelectionFontColor));
    pal.setColor(group, QPalette::Highlight, skinColor(disabled ? form.DisabledColor : s.SelectionColor));
    pal.setColor(group, QPalette::HighlightedText, skinColor(s.SelectionFontColor));
    pal.setColor(group, QPalette::Light, window.lighter(150));
    pal.setColor(group, QPalette::Midlight, window.lighter(115));
    pal.setColor(group, QPalette::Mid, skinColor(s.BorderColor));
    pal.setColor(group, QPalette::Dark, skinColor(s.BorderColor).darker(130));
    pal.setColor(group, QPalette::Shadow, skinColor(s.BorderColor).darker(200));
    pal.setColor(group, QPalette::ToolTipBase, skinColor(hint.Color));
    pal.setColor(group, QPalette::ToolTipText, skinColor(hint.FontColor));
    pal.setColor(group, QPalette::Link, skinColor(form.SelectionColor));
    pal.setColor(group, QPalette::LinkVisited, skinColor(form.SelectionColor).darker(130));
  }
  if (!images_[static_cast<size_t>(section)].isNull() &&
      (section == SkinSection::Form || section == SkinSection::TabSheet || section == SkinSection::Panel)) {
    pal.setBrush(QPalette::Window, QBrush(images_[static_cast<size_t>(section)]));
  }
  return pal;
}

QPalette TSkinStyle::standardPalette() const {
  return skin_ ? sectionPalette(SkinSection::Form) : QProxyStyle::standardPalette();
}

void TSkinStyle::polish(QWidget* widget) {
  QProxyStyle::polish(widget);
  if (!skin_) return;
  const auto section = sectionOf(widget);
  if (!section) return;
  if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QTabBar*>(widget) || qobject_cast<QSlider*>(widget) ||
      qobject_cast<QComboBox*>(widget) || qobject_cast<QLineEdit*>(widget)) {
    widget->setAttribute(Qt::WA_Hover);
  }
  // A widget with a palette of its own that is not a form colour (a black picture box) keeps it.
  const bool ownPalette = widget->testAttribute(Qt::WA_SetPalette) && !widget->property(kFormColorProperty).isValid();
  if (!ownPalette && !widget->property(kSkinPaletteProperty).toBool()) {
    widget->setPalette(sectionPalette(*section));
    widget->setProperty(kSkinPaletteProperty, true);
  }
  const SectionLook& s = look(*section);
  if ((!s.FontName.empty() || s.FontSize > 0 || s.FontBold) && !widget->testAttribute(Qt::WA_SetFont)) {
    QFont font;
    if (!s.FontName.empty()) font.setFamily(QString::fromStdString(s.FontName));
    if (s.FontSize > 0) font.setPointSize(s.FontSize);
    if (s.FontBold) font.setBold(true);
    widget->setFont(font);
    widget->setProperty(kSkinFontProperty, true);
  }
}

void TSkinStyle::unpolish(QWidget* widget) {
  if (widget->property(kSkinPaletteProperty).toBool()) {
    widget->setProperty(kSkinPaletteProperty, QVariant());
    QPalette own;
    if (const QVariant color = widget->property(kFormColorProperty); color.isValid()) {
      own.setColor(QPalette::Window, color.value<QColor>());
    }
    widget->setPalette(own);
  }
  if (widget->property(kSkinFontProperty).toBool()) {
    widget->setProperty(kSkinFontProperty, QVariant());
    widget->setFont(QFont());
  }
  QProxyStyle::unpolish(widget);
}

int TSkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const {
  if (hint == SH_ToolTip_WakeUpDelay) return kHintPause;
  if (hint == SH_ToolTip_FallAsleepDelay) return kHintShortPause;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

int TSkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
  return QProxyStyle::pixelMetric(metric, option, widget);
}

void TSkinStyle::drawFace(QPainter* p, const QRectF& rect, SkinSection section, const QColor& face, bool border) const {
  const SectionLook& s = look(section);
  p->save();
  p->setRenderHint(QPainter::Antialiasing, s.Radius > 0);
  const qreal inset = border && s.BorderWidth > 0 ? s.BorderWidth / 2.0 : 0.0;
  const QRectF r = rect.adjusted(inset, inset, -inset, -inset);
  QBrush brush(face);
  if (!images_[static_cast<size_t>(section)].isNull()) {
    brush = QBrush(images_[static_cast<size_t>(section)]);
  } else if (s.GradientColor && face == skinColor(s.Color)) {
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, face);
    gradient.setColorAt(1, skinColor(*s.GradientColor));
    brush = QBrush(gradient);
  }
  p->setBrush(brush);
  if (border && s.BorderWidth > 0) {
    p->setPen(QPen(skinColor(s.BorderColor), s.BorderWidth));
  } else {
    p->setPen(Qt::NoPen);
  }
  if (s.Radius > 0) {
    p->drawRoundedRect(r, s.Radius, s.Radius);
  } else {
    p->drawRect(r);
  }
  p->restore();
}

void TSkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  if (!skin_) return QProxyStyle::drawPrimitive(element, option, painter, widget);
  const QRectF rect = QRectF(option->rect).adjusted(0, 0, -1, -1);
  switch (element) {
    case PE_PanelButtonCommand:
    case PE_PanelButtonBevel: {
      const SectionLook& s = look(SkinSection::Button);
      const QColor face = !isEnabled(option) ? skinColor(s.DisabledColor)
                          : isSunken(option) ? skinColor(s.PressedColor)
                          : isHot(option)    ? skinColor(s.HotColor)
                                             : skinColor(s.Color);
      drawFace(painter, rect, SkinSection::Button, face, true);
      return;
    }
    case PE_PanelButtonTool: {
      const SectionLook& s = look(SkinSection::SpeedButton);
      const QColor face = isSunken(option) ? skinColor(s.PressedColor)
                          : isHot(option)  ? skinColor(s.HotColor)
                                           : skinColor(s.Color);
      drawFace(painter, rect, SkinSection::SpeedButton, face, true);
      return;
    }
    case PE_FrameLineEdit:
    case PE_PanelLineEdit: {
      const bool inCombo = widget && qobject_cast<const QComboBox*>(widget->parentWidget());
      const SkinSection section = inCombo ? SkinSection::ComboBox : SkinSection::Edit;
      const SectionLook& s = look(section);
      const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
      const bool border = element == PE_FrameLineEdit || (frame && frame->lineWidth > 0);
      const QColor face = isEnabled(option) ? skinColor(s.Color) : skinColor(s.DisabledColor);
      if (inCombo) {
        painter->fillRect(option->rect, face);  // the combo box draws the frame around it
        return;
      }
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing, s.Radius > 0);
      painter->setBrush(element == PE_PanelLineEdit ? QBrush(face) : QBrush(Qt::NoBrush));
      const bool focused = (option->state & State_HasFocus) != 0;
      painter->setPen(border && s.BorderWidth > 0
                          ? QPen(skinColor(focused ? s.SelectionColor : s.BorderColor), s.BorderWidth)
                          : QPen(Qt::NoPen));
      painter->drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), s.Radius, s.Radius);
      painter->restore();
      return;
    }
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton: {
      const SectionLook& s = look(SkinSection::CheckBox);
      const QColor face = !isEnabled(option) ? skinColor(s.DisabledColor)
                          : isHot(option)    ? skinColor(s.HotColor)
                                             : skinColor(s.Color);
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setBrush(face);
      painter->setPen(QPen(skinColor(s.BorderColor), std::max(1, s.BorderWidth)));
      const QRectF box = rect.adjusted(0.5, 0.5, -0.5, -0.5);
      if (element == PE_IndicatorRadioButton) {
        painter->drawEllipse(box);
      } else {
        painter->drawRoundedRect(box, s.Radius, s.Radius);
      }
      const QColor mark = skinColor(isEnabled(option) ? s.SelectionColor : s.DisabledFontColor);
      if (option->state & State_On) {
        if (element == PE_IndicatorRadioButton) {
          painter->setPen(Qt::NoPen);
          painter->setBrush(mark);
          painter->drawEllipse(box.adjusted(box.width() * 0.28, box.height() * 0.28, -box.width() * 0.28,
                                            -box.height() * 0.28));
        } else {
          QPen pen(mark, std::max(1.5, box.width() / 7.0));
          pen.setCapStyle(Qt::RoundCap);
          pen.setJoinStyle(Qt::RoundJoin);
          painter->setPen(pen);
          painter->setBrush(Qt::NoBrush);
          const QPointF a(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
          const QPointF b(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
          const QPointF c(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
          painter->drawPolyline(QPolygonF({a, b, c}));
        }
      } else if (option->state & State_NoChange) {
        painter->fillRect(box.adjusted(3, box.height() / 2 - 1, -3, -box.height() / 2 + 1), mark);
      }
      painter->restore();
      return;
    }
    case PE_FrameGroupBox: {
      const SectionLook& s = look(SkinSection::GroupBox);
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing, s.Radius > 0);
      painter->setBrush(Qt::NoBrush);
      painter->setPen(QPen(skinColor(s.BorderColor), std::max(1, s.BorderWidth)));
      painter->drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), s.Radius, s.Radius);
      painter->restore();
      return;
    }
    case PE_FrameTabWidget: {
      drawFace(painter, rect, SkinSection::TabSheet, skinColor(look(SkinSection::TabSheet).Color), true);
      return;
    }
    case PE_PanelStatusBar: {
      drawFace(painter, option->rect, SkinSection::StatusBar, skinColor(look(SkinSection::StatusBar).Color), false);
      painter->setPen(skinColor(look(SkinSection::StatusBar).BorderColor));
      painter->drawLine(option->rect.topLeft(), option->rect.topRight());
      return;
    }
    case PE_PanelToolBar: {
      const SectionLook& s = look(SkinSection::ToolBar);
      drawFace(painter, option->rect, SkinSection::ToolBar, skinColor(s.Color), false);
      if (s.BorderWidth > 0) {
        painter->setPen(skinColor(s.BorderColor));
        painter->drawLine(option->rect.bottomLeft(), option->rect.bottomRight());
      }
      return;
    }
    case PE_PanelMenu:
    case PE_FrameMenu: {
      const SectionLook& form = look(SkinSection::Form);
      if (element == PE_PanelMenu) painter->fillRect(option->rect, skinColor(form.HotColor));
      painter->setPen(skinColor(form.BorderColor));
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      return;
    }
    case PE_PanelTipLabel: {
      const SectionLook& s = look(SkinSection::Hint);
      painter->fillRect(option->rect, skinColor(s.Color));
      painter->setPen(skinColor(s.BorderColor));
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      return;
    }
    case PE_FrameFocusRect: {
      QPen pen(skinColor(look(SkinSection::Form).SelectionColor), 1, Qt::DotLine);
      painter->save();
      painter->setPen(pen);
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      painter->restore();
      return;
    }
    default: break;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TSkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  if (!skin_) return QProxyStyle::drawControl(element, option, painter, widget);
  switch (element) {
    case CE_TabBarTabShape: {
      const SectionLook& s = look(SkinSection::PageControl);
      const bool selected = (option->state & State_Selected) != 0;
      QRectF r = QRectF(option->rect).adjusted(0.5, selected ? 0.5 : 2.5, -0.5, selected ? 1 : -0.5);
      const QColor face = selected ? skinColor(look(SkinSection::TabSheet).Color)
                          : isHot(option) ? skinColor(s.HotColor)
                                          : skinColor(s.Color);
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      QPainterPath path;
      const qreal radius = s.Radius;
      path.moveTo(r.bottomLeft());
      path.lineTo(r.left(), r.top() + radius);
      path.quadTo(r.topLeft(), QPointF(r.left() + radius, r.top()));
      path.lineTo(r.right() - radius, r.top());
      path.quadTo(r.topRight(), QPointF(r.right(), r.top() + radius));
      path.lineTo(r.bottomRight());
      painter->setBrush(face);
      painter->setPen(QPen(skinColor(s.BorderColor), std::max(1, s.BorderWidth)));
      painter->drawPath(path);
      painter->restore();
      return;
    }
    case CE_TabBarTabLabel: {
      QStyleOptionTab tab;
      if (const auto* t = qstyleoption_cast<const QStyleOptionTab*>(option)) tab = *t;
      tab.palette.setColor(QPalette::WindowText, skinColor(isHot(option) ? look(SkinSection::PageControl).HotFontColor
                                                                          : look(SkinSection::PageControl).FontColor));
      return QProxyStyle::drawControl(element, &tab, painter, widget);
    }
    case CE_ProgressBarGroove: {
      drawFace(painter, QRectF(option->rect).adjusted(0, 0, -1, -1), SkinSection::Gauge,
               skinColor(look(SkinSection::Gauge).Color), true);
      return;
    }
    case CE_ProgressBarContents: {
      const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(option);
      if (bar == nullptr || bar->maximum <= bar->minimum) return;
      const SectionLook& s = look(SkinSection::Gauge);
      const double part = double(bar->progress - bar->minimum) / double(bar->maximum - bar->minimum);
      QRectF r = QRectF(option->rect).adjusted(2, 2, -2, -2);
      r.setWidth(r.width() * std::clamp(part, 0.0, 1.0));
      if (r.width() <= 0) return;
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing, s.Radius > 0);
      painter->setPen(Qt::NoPen);
      painter->setBrush(skinColor(s.SelectionColor));
      painter->drawRoundedRect(r, std::max(0, s.Radius - 1), std::max(0, s.Radius - 1));
      painter->restore();
      return;
    }
    case CE_ToolBar: drawPrimitive(PE_PanelToolBar, option, painter, widget); return;
    case CE_MenuItem: drawMenuItem(option, painter); return;
    case CE_MenuEmptyArea:
    case CE_MenuBarEmptyArea: painter->fillRect(option->rect, skinColor(look(SkinSection::Form).HotColor)); return;
    default: break;
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void TSkinStyle::drawMenuItem(const QStyleOption* option, QPainter* p) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (item == nullptr) return;
  const SectionLook& form = look(SkinSection::Form);
  const SectionLook& icons = look(SkinSection::IcoLine);
  const QRect r = option->rect;
  const int column = std::max(24, item->maxIconWidth + 6);
  p->save();
  p->fillRect(r, skinColor(form.HotColor));
  p->fillRect(QRect(r.left(), r.top(), column, r.height()), skinColor(icons.Color));
  if (item->menuItemType == QStyleOptionMenuItem::Separator) {
    p->setPen(skinColor(form.BorderColor));
    p->drawLine(r.left() + column + 4, r.center().y(), r.right() - 4, r.center().y());
    p->restore();
    return;
  }
  const bool enabled = isEnabled(option);
  const bool selected = (option->state & State_Selected) != 0 && enabled;
  if (selected) {
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(skinColor(form.SelectionColor));
    p->drawRoundedRect(QRectF(r).adjusted(2, 1, -2, -1), 3, 3);
  }
  const QRect iconRect(r.left(), r.top(), column, r.height());
  if (!item->icon.isNull()) {
    const int size = pixelMetric(PM_SmallIconSize, option, nullptr);
    const QPixmap pixmap = item->icon.pixmap(size, enabled ? QIcon::Normal : QIcon::Disabled);
    const QRect target = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, pixmap.size() / pixmap.devicePixelRatio(), iconRect);
    if (item->checked) {
      p->setPen(skinColor(form.SelectionColor));
      p->setBrush(skinColor(form.PressedColor));
      p->drawRect(target.adjusted(-2, -2, 1, 1));
    }
    p->drawPixmap(target, pixmap);
  } else if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
    QStyleOption check = *option;
    check.rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, QSize(13, 13), iconRect);
    check.state = State_On | (enabled ? State_Enabled : State_None);
    drawPrimitive(PE_IndicatorCheckBox, &check, p, nullptr);
  }
  const QColor text = skinColor(!enabled ? form.DisabledFontColor : selected ? form.SelectionFontColor : form.FontColor);
  p->setPen(text);
  p->setFont(item->font);
  QString label = item->text;
  QString shortcut;
  if (const int tab = label.indexOf('\t'); tab >= 0) {
    shortcut = label.mid(tab + 1);
    label = label.left(tab);
  }
  const QRect textRect = r.adjusted(column + 6, 0, -18, 0);
  p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, label);
  if (!shortcut.isEmpty()) p->drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, shortcut);
  if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
    QStyleOption arrow = *option;
    arrow.rect = QRect(r.right() - 14, r.top(), 10, r.height());
    arrow.palette.setColor(QPalette::ButtonText, text);
    arrow.palette.setColor(QPalette::WindowText, text);
    QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, p, nullptr);
  }
  p->restore();
}

void TSkinStyle::drawSlider(const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const {
  const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
  if (slider == nullptr) return QProxyStyle::drawComplexControl(CC_Slider, option, p, widget);
  const SectionLook& s = look(SkinSection::TrackBar);
  const QRect groove = subControlRect(CC_Slider, option, SC_SliderGroove, widget);
  const QRect handle = subControlRect(CC_Slider, option, SC_SliderHandle, widget);
  const bool horizontal = slider->orientation == Qt::Horizontal;
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  QRectF track = horizontal ? QRectF(groove.left(), groove.center().y() - 2, groove.width(), 4)
                            : QRectF(groove.center().x() - 2, groove.top(), 4, groove.height());
  p->setPen(QPen(skinColor(s.BorderColor), 1));
  p->setBrush(skinColor(s.PressedColor));
  p->drawRoundedRect(track, 2, 2);
  QRectF filled = track;
  if (horizontal) {
    filled.setRight(handle.center().x());
  } else {
    filled.setTop(handle.center().y());
  }
  p->setPen(Qt::NoPen);
  p->setBrush(skinColor(isEnabled(option) ? s.SelectionColor : s.DisabledColor));
  p->drawRoundedRect(filled, 2, 2);
  p->restore();
  const bool pressed = (slider->activeSubControls & SC_SliderHandle) && (option->state & State_Sunken);
  const bool hot = (slider->activeSubControls & SC_SliderHandle) && isHot(option);
  const QColor face = !isEnabled(option) ? skinColor(s.DisabledColor)
                      : pressed          ? skinColor(s.PressedColor)
                      : hot              ? skinColor(s.HotColor)
                                         : skinColor(s.Color);
  drawFace(p, QRectF(handle).adjusted(1, 1, -1, -1), SkinSection::TrackBar, face, true);
}

void TSkinStyle::drawComboBox(const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const {
  const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
  if (combo == nullptr) return QProxyStyle::drawComplexControl(CC_ComboBox, option, p, widget);
  const SectionLook& s = look(SkinSection::ComboBox);
  const QColor face = !isEnabled(option) ? skinColor(s.DisabledColor)
                      : isHot(option)    ? skinColor(s.HotColor)
                                         : skinColor(s.Color);
  p->save();
  p->setRenderHint(QPainter::Antialiasing, s.Radius > 0);
  const bool focused = (option->state & State_HasFocus) != 0;
  p->setPen(s.BorderWidth > 0 ? QPen(skinColor(focused ? s.SelectionColor : s.BorderColor), s.BorderWidth)
                              : QPen(Qt::NoPen));
  p->setBrush(face);
  p->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), s.Radius, s.Radius);
  const QRect arrowRect = subControlRect(CC_ComboBox, option, SC_ComboBoxArrow, widget);
  const QPointF c = QRectF(arrowRect).center();
  p->setPen(Qt::NoPen);
  p->setBrush(skinColor(isEnabled(option) ? s.FontColor : s.DisabledFontColor));
  p->drawPolygon(QPolygonF({QPointF(c.x() - 4, c.y() - 2), QPointF(c.x() + 4, c.y() - 2), QPointF(c.x(), c.y() + 3)}));
  p->restore();
}

void TSkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                    const QWidget* widget) const {
  if (!skin_) return QProxyStyle::drawComplexControl(control, option, painter, widget);
  switch (control) {
    case CC_Slider: drawSlider(option, painter, widget); return;
    case CC_ComboBox: drawComboBox(option, painter, widget); return;
    case CC_ToolButton: {
      const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
      if (tool == nullptr) break;
      const bool autoRaise = (option->state & State_AutoRaise) != 0;
      const bool down = isSunken(option);
      if (isEnabled(option) && (down || isHot(option) || !autoRaise)) {
        QStyleOption panel = *option;
        panel.rect = subControlRect(control, option, SC_ToolButton, widget);
        if (tool->subControls & SC_ToolButtonMenu) panel.rect = option->rect;
        drawPrimitive(PE_PanelButtonTool, &panel, painter, widget);
      }
      // The platform style draws the icon, the caption and the menu arrow; the panel is ours.
      QStyleOptionToolButton label = *tool;
      label.state &= ~(State_Raised | State_Sunken | State_On | State_MouseOver);
      label.state |= State_AutoRaise;
      label.activeSubControls = SC_None;
      return QProxyStyle::drawComplexControl(control, &label, painter, widget);
    }
    default: break;
  }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

namespace {

std::shared_ptr<const SkinReadResult>& appliedSkin() {
  static std::shared_ptr<const SkinReadResult> skin;
  return skin;
}

}  // namespace

void putSkinOnApplication(std::shared_ptr<const SkinReadResult> skin) {
  // The platform's style and palette, as they were before the first skin, come back without one.
  static QString platform;
  static QPalette platformPalette;
  if (qobject_cast<const TSkinStyle*>(QApplication::style()) == nullptr) {
    platform = QApplication::style()->name();
    platformPalette = QApplication::palette();
  }
  appliedSkin() = skin;
  auto* style = new TSkinStyle(platform, skin);
  QApplication::setStyle(style);
  QApplication::setPalette(skin ? style->standardPalette() : platformPalette);
  // Widgets learn of the new palette from posted events; they have it when the switch returns.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
}

const SkinReadResult* applicationSkin() { return appliedSkin().get(); }

void setFormColor(QWidget* window, const QColor& color) {
  window->setProperty(kFormColorProperty, color);
  QPalette pal;
  pal.setColor(QPalette::Window, color);
  if (!window->property(kSkinPaletteProperty).toBool()) window->setPalette(pal);
  window->setAutoFillBackground(true);
}

}  // namespace lumora::skin
