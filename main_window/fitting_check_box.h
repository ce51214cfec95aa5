#pragma once

#include <QCheckBox>
#include <QList>
#include <QPointer>

// A check box whose caption keeps inside the box: where the caption is
// wider than the room beside the indicator (a larger font resolution, or a
// wider face than the one the layout was made for), it is drawn in a
// smaller size of the font rather than run into the next control. Its
// indicator is outlined as the grid's boxes are, to show under any palette.
class FittingCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  FittingCheckBox(const QString& caption, QWidget* parent);

  // The font the caption is drawn in: the largest that lets the caption,
  // and those of the boxes it stands beside, fit.
  QFont captionFont() const;
  // Boxes side by side, whose captions take one size.
  static void StandTogether(const QList<FittingCheckBox*>& boxes);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont OwnFont() const;

  QList<QPointer<FittingCheckBox>> beside_;
};
