#include "bench/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

XDisplay::XDisplay() : display_(XOpenDisplay(nullptr)) {}

XDisplay::~XDisplay() {
  if (display_) XCloseDisplay(display_);
}

std::vector<XDisplay::Shown> XDisplay::Windows() {
  std::vector<Shown> shown;
  if (!ok()) return shown;
  // Windows may go away while they are looked at.
  const auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* clients = nullptr;
  XGetWindowProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, "_NET_CLIENT_LIST", False), 0,
                     4096, False, XA_WINDOW, &type, &format, &count, &after, &clients);
  for (unsigned long i = 0; clients && i < count; ++i) {
    const Window window = reinterpret_cast<const Window*>(clients)[i];
    XWindowAttributes attributes{};
    XTextProperty name{};
    if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable) continue;
    const bool named = XGetWMName(display_, window, &name) && name.value;
    shown.push_back({window, named ? std::string(reinterpret_cast<const char*>(name.value), name.nitems) : ""});
    if (name.value) XFree(name.value);
  }
  if (clients) XFree(clients);
  XSync(display_, False);
  XSetErrorHandler(previous);
  return shown;
}
