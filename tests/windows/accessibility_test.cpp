#include <QAccessible>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "tests/windows/form1_fixture.h"

namespace {

// The first interface below `node`, depth first, that `wanted` picks.
QAccessibleInterface* FindNode(QAccessibleInterface* node, const std::function<bool(QAccessibleInterface*)>& wanted) {
  if (wanted(node)) return node;
  for (int i = 0; i < node->childCount(); ++i) {
    QAccessibleInterface* child = node->child(i);
    if (QAccessibleInterface* found = child ? FindNode(child, wanted) : nullptr) return found;
  }
  return nullptr;
}

// The window as assistive technology walks it: the grid's boxes with their
// names, states and action, then its numbers; and the status line.
TEST_F(Form1Test, TheAccessibilityTreeShowsTheGridAndTheStatusLine) {
  Activate();
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.get());
  QAccessibleInterface* grid = FindNode(window, [&](QAccessibleInterface* node) { return node->object() == Grid(); });
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->childCount(), 288);
  const struct {
    int child;
    const char* name;
    bool enabled;
    QRect place;  // in the grid; a check box where enabled is set
  } cases[] = {
      {0, "Column 00, row 00", true, PatchGrid::BoxRect(0)},    {19, "Column 03, row 01", true, PatchGrid::BoxRect(19)},
      {20, "Column 04, row 01", false, PatchGrid::BoxRect(20)}, {255, "Column 15, row 15", false, PatchGrid::BoxRect(255)},
      {256, "00", true, PatchGrid::ColumnNumberRect(0)},         {271, "15", true, PatchGrid::ColumnNumberRect(15)},
      {272, "00", true, PatchGrid::RowNumberRect(0)},            {287, "15", true, PatchGrid::RowNumberRect(15)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.child);
    QAccessibleInterface* part = grid->child(c.child);
    EXPECT_EQ(part->text(QAccessible::Name), c.name);
    EXPECT_EQ(part->parent(), grid);
    EXPECT_EQ(grid->indexOfChild(part), c.child);
    const QRect place(Grid()->mapToGlobal(c.place.topLeft()), c.place.size());
    EXPECT_EQ(part->rect(), place);
    EXPECT_EQ(grid->childAt(place.center().x(), place.center().y()), part);
    const bool box = c.child < 256;
    EXPECT_EQ(part->role(), box ? QAccessible::CheckBox : QAccessible::StaticText);
    if (!box) continue;
    EXPECT_EQ(part->state().disabled, !c.enabled);
    EXPECT_TRUE(part->state().checkable && !part->state().checked);
    EXPECT_EQ(part->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()), c.enabled);
    part->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Grid()->value(c.child), c.enabled) << "press marks an enabled box only";
    EXPECT_EQ(part->state().checked, c.enabled);
  }
  EXPECT_EQ(grid->child(287)->text(QAccessible::Description), "Row");

  Grid()->setFocus();
  QTest::keyClick(Grid(), Qt::Key_Right);
  EXPECT_EQ(grid->focusChild(), grid->child(Grid()->currentBox()));
  EXPECT_TRUE(grid->focusChild()->state().focused);

  form->ShowStatus(QStringLiteral("Saved!"));
  QAccessibleInterface* status = FindNode(window, [](QAccessibleInterface* node) { return node->role() == QAccessible::StatusBar; });
  ASSERT_NE(status, nullptr);
  EXPECT_NE(FindNode(status, [](QAccessibleInterface* node) { return node->text(QAccessible::Name) == "Saved!"; }), nullptr);
}

QString ToolTipAt(QWidget* widget, QPoint point) {
  QHelpEvent event(QEvent::ToolTip, point, widget->mapToGlobal(point));
  QApplication::sendEvent(widget, &event);
  return QToolTip::isVisible() ? QToolTip::text() : widget->toolTip();
}

TEST_F(Form1Test, TooltipsTellWhatAFirstTimeUserNeeds) {
  Activate();
  QWidget* run = Find<QPushButton>("Go_Button");
  const struct {
    QWidget* widget;
    QPoint point;
    const char* tip;
  } cases[] = {
      {Grid(), PatchGrid::BoxRect(19).center(), "Column 03, row 01 (row 00 is at the bottom)"},
      {Grid(), PatchGrid::BoxRect(255).center(), "Column 15, row 15 (row 00 is at the bottom)\nOutside the grid size chosen above"},
      {Grid(), PatchGrid::RowNumberRect(0).center(), "Row 00 (row 00 is at the bottom)"},
      {run, {5, 5}, "The configuration is incomplete: set the game folder, level and mod with File, Set Paths."},
  };
  for (const auto& c : cases) EXPECT_EQ(ToolTipAt(c.widget, c.point), c.tip);
  EXPECT_TRUE(Combo1()->toolTip().contains("16x16 opens 12 x 12"));
  MakeComplete();
  form->setShadowDarkness(2.25);
  EXPECT_EQ(ToolTipAt(run, {5, 5}),
            "Runs the lighting with\nGame folder: C:\\Games\\Stormline\nLevel: Coast\nMod: Stormline\nShadow darkness: 2.25");
}

}  // namespace
