#pragma once

#include <QColor>
#include <QPushButton>

// A push button with a face of its own colour on every style. Drawn by
// hand: a style sheet would do the same at a real cost to the window's start.
class ColourButton : public QPushButton {
  Q_OBJECT

 public:
  ColourButton(const QString& caption, QColor face, QWidget* parent);

  QColor face() const { return face_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor face_;
};
