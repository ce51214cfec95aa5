#pragma once
// The X display that the start bench and the program test look at: its
// windows by title. Kept free of Xlib's names, which clash with Qt's and the
// tool's.

#include <string>
#include <vector>

struct _XDisplay;

class XDisplay {
 public:
  XDisplay();  // the one in DISPLAY
  ~XDisplay();
  bool ok() const { return display_ != nullptr; }

  struct Shown {
    unsigned long id;
    std::string title;  // as the window manager shows it
  };
  // The windows that the window manager has taken on and that are mapped.
  std::vector<Shown> Windows();

 private:
  _XDisplay* display_;
};
