#pragma once

#include <QGroupBox>

// A frame with a caption whose border runs through the middle of the
// caption, as on Windows, under every style: the controls inside are laid
// out for that place, and a style that draws the border below the caption
// (Fusion) would cut through them. The border is etched in the palette's
// own shades.
class Frame : public QGroupBox {
  Q_OBJECT

 public:
  Frame(const QString& caption, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Where the caption is drawn; the border leaves it out.
  QRect CaptionRect() const;
};
