#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>

#include "tests/windows/form1_fixture.h"

namespace {

// The enabled pattern as a picture, top row first: '#' enabled, '.' not.
std::string EnabledPicture(const PatchGrid& grid) {
  std::string picture;
  for (int row = 15; row >= 0; --row) {
    for (int column = 0; column < 16; ++column) picture += grid.isBoxEnabled(row * 16 + column) ? '#' : '.';
    picture += '\n';
  }
  return picture;
}

std::string Square(int side) {
  std::string picture;
  for (int row = 15; row >= 0; --row) {
    for (int column = 0; column < 16; ++column) picture += (row < side && column < side) ? '#' : '.';
    picture += '\n';
  }
  return picture;
}

TEST_F(Form1Test, EachGridSizeOpensItsSquareInTheBottomLeftCorner) {
  EXPECT_EQ(EnabledPicture(*Grid()), Square(4)) << "start-up opens 4 x 4";
  const struct {
    int index;
    int side;
    int boxes;
  } cases[] = {{1, 8, 64}, {2, 12, 144}, {3, 16, 256}, {0, 4, 16}, {2, 12, 144}};
  for (const auto& c : cases) {
    ChooseSize(c.index);
    EXPECT_EQ(EnabledPicture(*Grid()), Square(c.side)) << Combo1()->currentText().toStdString();
    int enabled = 0;
    for (int i = 0; i < 256; ++i) enabled += Grid()->isBoxEnabled(i);
    EXPECT_EQ(enabled, c.boxes);

    form->CheckAll_Click();
    EXPECT_EQ(Grid()->checkedCount(), c.boxes);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(Grid()->value(i), Grid()->isBoxEnabled(i)) << i;
    form->ClearAll_Click();
    EXPECT_EQ(Grid()->checkedCount(), 0);
    EXPECT_EQ(EnabledPicture(*Grid()), Square(c.side)) << "clearing leaves the size alone";
  }
}

TEST_F(Form1Test, MarksInsideANewSizeSurviveAndTheOthersDrop) {
  ChooseSize(1);  // 8x8
  for (const int i : {0, 3, 51, 4, 64, 119}) Grid()->clickBox(i);  // 51 = (3,3), 119 = (7,7)
  ChooseSize(0);  // 4x4
  std::vector<int> checked;
  for (int i = 0; i < 256; ++i) {
    if (Grid()->value(i)) checked.push_back(i);
  }
  EXPECT_EQ(checked, (std::vector<int>{0, 3, 51}));
  ChooseSize(1);
  EXPECT_TRUE(Grid()->isBoxEnabled(119));
  EXPECT_FALSE(Grid()->value(119)) << "re-opened boxes start unchecked";
  ChooseSize(3);
  EXPECT_EQ(Grid()->checkedCount(), 3) << "a larger size keeps every mark";
  ChooseSize(3);
  EXPECT_EQ(Grid()->checkedCount(), 3) << "choosing the same entry again changes nothing";
}

TEST_F(Form1Test, ADisabledBoxCannotBeMarkedByMouseOrKeyboard) {
  Activate();
  const QRect disabled = PatchGrid::BoxRect(4 * 16 + 4);  // (4,4), outside 4x4
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, disabled.center());
  EXPECT_FALSE(Grid()->value(4 * 16 + 4));

  const QRect corner = PatchGrid::BoxRect(0);
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, corner.center());
  EXPECT_TRUE(Grid()->value(0)) << "an enabled box toggles";

  Grid()->setFocus();
  for (int step = 0; step < 6; ++step) QTest::keyClick(Grid(), Qt::Key_Right);
  EXPECT_EQ(Grid()->currentBox(), 3) << "the focus stops at the active area's edge";
  QTest::keyClick(Grid(), Qt::Key_Up);
  QTest::keyClick(Grid(), Qt::Key_Space);
  EXPECT_TRUE(Grid()->value(19)) << "Up moves towards the top row";
}

TEST_F(Form1Test, BoxesStandWhereTheLayoutPutsThem) {
  const QPoint origin = Grid()->mapTo(form->centralWidget(), QPoint(0, 0));
  const struct {
    int index;
    QRect window;  // in window pixels
  } cases[] = {{0, QRect(15, 374, 16, 16)},  {15, QRect(315, 374, 15, 16)}, {240, QRect(15, 74, 16, 16)},
               {255, QRect(315, 74, 15, 16)}, {17, QRect(35, 354, 16, 16)}};  // column 15 ends at the edge
  for (const auto& c : cases) {
    EXPECT_EQ(PatchGrid::BoxRect(c.index).translated(origin), c.window) << c.index;
  }
}

// Animates a check box from the state it last drew for the same object, as
// the Windows style does: the first frame after a change shows the old look.
class AnimatingStyle : public QProxyStyle {
 public:
  AnimatingStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const auto* box = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element == PE_IndicatorCheckBox && box && option->styleObject) {
      QObject* object = option->styleObject;
      const QVariant last = object->property("lastCheckState");
      object->setProperty("lastCheckState", static_cast<int>(option->state));
      if (last.isValid() && (last.toInt() & State_On) != (option->state & State_On)) {
        QStyleOptionButton first(*box);
        first.state = State(last.toInt());
        return QProxyStyle::drawPrimitive(element, &first, painter, widget);
      }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

// The grid draws its boxes from cached looks; a mark must reach the pixels
// under every style at hand, whatever the style does with the widget.
TEST_F(Form1Test, MarksReachTheGridsPixelsUnderEveryStyle) {
  std::vector<std::pair<QString, std::unique_ptr<QStyle>>> styles;
  for (const QString& key : QStyleFactory::keys()) styles.emplace_back(key, QStyleFactory::create(key));
  styles.emplace_back(QStringLiteral("animating"), std::make_unique<AnimatingStyle>());
  form->show();
  for (auto& [name, style] : styles) {
    SCOPED_TRACE(name.toStdString());
    Grid()->setStyle(style.get());
    form->ClearAll_Click();
    const QImage clear = Grid()->grab().toImage();
    form->CheckAll_Click();
    const QImage all = Grid()->grab().toImage();
    form->ClearAll_Click();
    Grid()->clickBox(17);
    const QImage one = Grid()->grab().toImage();
    for (int i = 0; i < 256; ++i) {
      const QRect box = PatchGrid::BoxRect(i);
      const bool inside = Grid()->isBoxEnabled(i);
      EXPECT_EQ(all.copy(box) != clear.copy(box), inside) << "Select All, box " << i;
      EXPECT_EQ(one.copy(box) == all.copy(box), i == 17 || !inside) << "a click on box 17, box " << i;
    }
  }
  Grid()->setStyle(nullptr);
}

}  // namespace
