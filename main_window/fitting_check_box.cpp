#include "main_window/fitting_check_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include "main_window/box_outline.h"

namespace {

constexpr double kSmallestPoints = 6;
constexpr double kStep = 0.25;

}  // namespace

FittingCheckBox::FittingCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

void FittingCheckBox::StandTogether(const QList<FittingCheckBox*>& boxes) {
  for (FittingCheckBox* box : boxes) {
    box->beside_.clear();
    for (FittingCheckBox* other : boxes) box->beside_.append(other);
  }
}

QFont FittingCheckBox::captionFont() const {
  QFont font = OwnFont();
  for (const FittingCheckBox* other : beside_) {
    if (other && other != this) {
      if (const QFont theirs = other->OwnFont(); theirs.pointSizeF() < font.pointSizeF()) font.setPointSizeF(theirs.pointSizeF());
    }
  }
  return font;
}

QFont FittingCheckBox::OwnFont() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  const int room = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this).width();
  QFont font = this->font();
  if (font.pointSizeF() <= 0) return font;  // sized in pixels: left as it is
  while (QFontMetrics(font, this).size(Qt::TextShowMnemonic, text()).width() > room &&
         font.pointSizeF() - kStep >= kSmallestPoints) {
    font.setPointSizeF(font.pointSizeF() - kStep);
  }
  return font;
}

void FittingCheckBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QFont font = captionFont();
  painter.setFont(font);
  option.fontMetrics = QFontMetrics(font, this);
  painter.drawControl(QStyle::CE_CheckBox, option);
  if (isEnabled()) {
    painter.setPen(BoxOutline(palette()));
    painter.setBrush(Qt::NoBrush);
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
  }
}
