#include "main_window/frame.h"

#include <QPainter>
#include <QStyleOptionGroupBox>
#include <qdrawutil.h>

namespace {

constexpr int kCaptionLeft = 8;  // where the Windows style begins a frame's caption

}  // namespace

Frame::Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

QRect Frame::CaptionRect() const {
  const QFontMetrics metrics = fontMetrics();
  // A blank's width around the text keeps the border off its first and last letter.
  const int blank = metrics.horizontalAdvance(QLatin1Char(' '));
  const int width = metrics.size(Qt::TextShowMnemonic, title()).width() + blank;
  return QRect(kCaptionLeft - blank / 2, 0, width, metrics.height());
}

void Frame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect caption = CaptionRect();
  painter.save();
  painter.setClipRegion(QRegion(rect()) - caption);
  const QRect border = rect().adjusted(0, caption.height() / 2, 0, 0);
  qDrawShadeRect(&painter, border, palette(), true, 1, 0);
  painter.restore();

  QStyleOptionGroupBox option;
  initStyleOption(&option);
  int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
  if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)) flags |= Qt::TextHideMnemonic;
  style()->drawItemText(&painter, caption, flags, palette(), isEnabled(), title(), QPalette::WindowText);
}
