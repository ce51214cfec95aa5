#include "tests/support/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

struct XDisplay::State {
  Display* display = nullptr;
  Atom netName = 0;
  Atom utf8 = 0;
  Atom wmState = 0;
};

XDisplay::XDisplay() : state_(std::make_unique<State>()) {
  state_->display = XOpenDisplay(nullptr);
  if (!state_->display) return;
  state_->netName = XInternAtom(state_->display, "_NET_WM_NAME", False);
  state_->utf8 = XInternAtom(state_->display, "UTF8_STRING", False);
  state_->wmState = XInternAtom(state_->display, "WM_STATE", False);
}

XDisplay::~XDisplay() {
  if (state_->display) XCloseDisplay(state_->display);
}

bool XDisplay::ok() const { return state_->display != nullptr; }

namespace {

bool HasProperty(Display* display, Window window, Atom property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format,
                                        &count, &after, &data) == Success &&
                     type != None;
  if (data) XFree(data);
  return found;
}

std::string Title(Display* display, Window window, Atom netName, Atom utf8) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 4096, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data && type == utf8) {
    title.assign(reinterpret_cast<const char*>(data), count);
  } else {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
      title = name;
      XFree(name);
    }
  }
  if (data) XFree(data);
  return title;
}

// Client windows carry WM_STATE once the window manager has taken them on;
// they sit below its frames, so the tree is walked.
void Collect(Display* display, Window window, Atom wmState, std::vector<Window>& out) {
  if (HasProperty(display, window, wmState)) {
    out.push_back(window);
    return;
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) Collect(display, children[i], wmState, out);
  if (children) XFree(children);
}

}  // namespace

std::vector<XDisplay::Shown> XDisplay::Windows() {
  std::vector<Shown> shown;
  if (!ok()) return shown;
  Display* display = state_->display;
  // Windows may go away while they are looked at.
  const auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  std::vector<Window> clients;
  Collect(display, DefaultRootWindow(display), state_->wmState, clients);
  for (const Window window : clients) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) continue;
    shown.push_back({window, Title(display, window, state_->netName, state_->utf8)});
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  return shown;
}

QImage XDisplay::Grab() {
  if (!ok()) return {};
  Display* display = state_->display;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return {};
  QImage out(attributes.width, attributes.height, QImage::Format_RGB32);
  for (int y = 0; y < attributes.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < attributes.width; ++x) row[x] = 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFFu);
  }
  XDestroyImage(image);
  return out;
}
