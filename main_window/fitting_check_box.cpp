#include "main_window/fitting_check_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

constexpr double kSmallestPoints = 6;
constexpr double kStep = 0.25;

}  // namespace

FittingCheckBox::FittingCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

QFont FittingCheckBox::captionFont() const {
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
}
