#pragma once
// The X display that the program tests and the start bench look at: its
// windows by title, and its pixels. Kept free of Xlib's names, which clash
// with Qt's and the tool's.

#include <QImage>
#include <memory>
#include <string>
#include <vector>

class XDisplay {
 public:
  XDisplay();  // the one in DISPLAY
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  bool ok() const;

  struct Shown {
    unsigned long id;
    std::string title;  // UTF-8, as the window manager shows it
    bool operator==(const Shown&) const = default;
  };
  // The application windows that are mapped, with their titles.
  std::vector<Shown> Windows();
  // The whole screen.
  QImage Grab();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
