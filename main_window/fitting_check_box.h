#pragma once

#include <QCheckBox>

// A check box whose caption keeps inside the box: where the caption is
// wider than the room beside the indicator (a larger font resolution, or a
// wider face than the one the layout was made for), it is drawn in a
// smaller size of the font rather than run into the next control.
class FittingCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  FittingCheckBox(const QString& caption, QWidget* parent);

  // The font the caption is drawn in.
  QFont captionFont() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
