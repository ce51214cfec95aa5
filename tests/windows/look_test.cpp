#include <QGroupBox>
#include <QPointer>
#include <QStyleFactory>

#include "main_window/frm_about.h"
#include "main_window/window_font.h"
#include "paths_dialog/paths_dialog.h"
#include "tests/support/dark_palette.h"
#include "tests/windows/form1_fixture.h"

namespace {

// What a widget paints itself, without its children or a background.
QImage OwnPixels(QWidget* widget) {
  QImage image(widget->size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  widget->render(&image, {}, {}, QWidget::RenderFlags());
  return image;
}

// Runs `check` under each of Qt's styles, set on `windows` and all their
// controls (a style change may replace a control's parts, hence QPointer).
void UnderEveryStyle(std::initializer_list<QWidget*> windows, const std::function<void(const QString&)>& check) {
  const auto setStyle = [&](QStyle* style) {
    for (QWidget* window : windows) {
      QList<QPointer<QWidget>> widgets{window};
      for (QWidget* child : window->findChildren<QWidget*>()) widgets << child;
      for (const QPointer<QWidget>& widget : widgets) {
        if (widget) widget->setStyle(style);
      }
    }
  };
  for (const QString& name : QStyleFactory::keys()) {
    const std::unique_ptr<QStyle> style(QStyleFactory::create(name));
    setStyle(style.get());
    check(name);
    setStyle(nullptr);
  }
}

class LookTest : public Form1Test {
 public:
  LookTest() { form->menuFilePaths_Click(); }
  PathsDialog* Dialog() { return form->pathsDialog(); }
};

// A frame's border runs level with the middle of its caption, and never
// through the controls inside.
TEST_F(LookTest, FrameBordersKeepOffTheControlsInside) {
  UnderEveryStyle({form.get(), Dialog()}, [&](const QString& style) {
    for (QGroupBox* frame : {Find<QGroupBox>("Frame1"), Find<QGroupBox>("Frame2"),
                             Dialog()->findChild<QGroupBox*>(QStringLiteral("Frame1"))}) {
      const QImage own = OwnPixels(frame);
      for (QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect place = control->geometry();
        for (int y = place.top(); y <= place.bottom(); ++y) {
          for (int x = place.left(); x <= place.right(); ++x) {
            ASSERT_EQ(qAlpha(own.pixel(x, y)), 0) << style.toStdString() << " " << control->objectName().toStdString();
          }
        }
      }
      EXPECT_GT(qAlpha(own.pixel(frame->width() - 20, frame->fontMetrics().height() / 2)), 0) << style.toStdString();
    }
  });
}

// The stage captions of the paths dialog keep 4 px apart, with larger fonts
// too, and none is cut short.
TEST_F(LookTest, StageCaptionsKeepApart) {
  UnderEveryStyle({Dialog()}, [&](const QString& style) {
    for (const double points : {8.0, 9.75, 12.0}) {
      Dialog()->setFont(WindowFont(points));
      int inkEnd = -100;
      for (const char* name : {"TerrainCheck", "MergeCheck", "ObjectCheck"}) {
        QWidget* box = Dialog()->findChild<QWidget*>(QLatin1String(name));
        const QImage own = OwnPixels(box);
        int first = own.width(), last = -1;
        for (int y = 0; y < own.height(); ++y) {
          for (int x = 0; x < own.width(); ++x) {
            if (qAlpha(own.pixel(x, y))) first = std::min(first, x), last = std::max(last, x);
          }
        }
        const std::string where = style.toStdString() + " " + std::to_string(points) + " " + name;
        EXPECT_LT(last, box->width() - 1) << where << " is cut short";
        EXPECT_GE(box->x() + first - inkEnd - 1, 4) << where;
        inkEnd = box->x() + last;
      }
    }
  });
}

// Every control, grid box and number lies inside its window's client area.
TEST_F(LookTest, NothingOverhangsTheClientArea) {
  form->menuAbout_Click();
  for (QWidget* client : {form->centralWidget(), static_cast<QWidget*>(Dialog()), static_cast<QWidget*>(form->aboutBox())}) {
    for (QWidget* control : client->findChildren<QWidget*>()) {
      const QRect place(control->mapTo(client, QPoint(0, 0)), control->size());
      EXPECT_TRUE(control->window() != client->window() || client->rect().contains(place))
          << control->objectName().toStdString();
    }
  }
  for (int n = 0; n < 16; ++n) {
    EXPECT_TRUE(Grid()->rect().contains(PatchGrid::ColumnNumberRect(n))) << n;
    EXPECT_TRUE(Grid()->rect().contains(PatchGrid::RowNumberRect(n))) << n;
  }
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(Grid()->rect().contains(PatchGrid::BoxRect(i))) << i;
}

// Light and dark: an enabled box differs from a disabled one at 3:1
// somewhere, and the keyboard focus is a ring at 3:1 against the window.
TEST_F(LookTest, TheActiveAreaAndTheFocusStandOutUnderEveryPalette) {
  Activate();
  const QRect enabled = PatchGrid::BoxRect(0);
  const QRect disabled = PatchGrid::BoxRect(5 * 16 + 5);
  for (const QPalette& palette : {QApplication::palette(), DarkPalette()}) {
    Grid()->setPalette(palette);
    UnderEveryStyle({Grid()}, [&](const QString& style) {
      form->setFocus();
      const QImage plain = Grid()->grab().toImage();
      double apart = 1;
      for (int y = 0; y < enabled.height(); ++y) {
        for (int x = 0; x < enabled.width(); ++x) {
          apart = std::max(apart, PatchGrid::Contrast(plain.pixelColor(enabled.topLeft() + QPoint(x, y)),
                                                       plain.pixelColor(disabled.topLeft() + QPoint(x, y))));
        }
      }
      const std::string where = style.toStdString() + " " + palette.color(QPalette::Window).name().toStdString();
      EXPECT_GE(apart, 3) << where;

      Grid()->setFocus();
      const QImage focused = Grid()->grab().toImage();
      int ring = 0;
      const QRect around = enabled.adjusted(-3, -3, 3, 3);
      for (int y = around.top(); y <= around.bottom(); ++y) {
        for (int x = around.left(); x <= around.right(); ++x) {
          ring += focused.pixel(x, y) != plain.pixel(x, y) &&
                  PatchGrid::Contrast(focused.pixelColor(x, y), palette.color(QPalette::Window)) >= 3;
        }
      }
      EXPECT_GE(ring, 100) << where << ": pixels of the focus mark";
    });
  }
}

}  // namespace
