#include <QDialog>
#include <QLineEdit>
#include <QTest>

#include "tests/windows/form1_fixture.h"

namespace {

// A mnemonic clicks its button the way a user's click looks: pressed, then
// released a moment later.
void Press(QWidget* window, Qt::Key key) {
  QTest::keyClick(window, key, Qt::AltModifier);
  QTest::qWait(250);
}

// The main window's access keys, as a keyboard user presses them.
TEST_F(Form1Test, AccessKeysReachTheirControls) {
  Activate();
  Press(form.get(), Qt::Key_T);
  EXPECT_TRUE(form->terrainBoolean());
  Press(form.get(), Qt::Key_M);
  EXPECT_TRUE(form->mergeBoolean());
  Press(form.get(), Qt::Key_O);
  EXPECT_TRUE(form->objectBoolean());
  EXPECT_TRUE(Action("menuRunObject")->isChecked());

  Grid()->clickBox(0);
  Press(form.get(), Qt::Key_C);
  EXPECT_EQ(Grid()->checkedCount(), 0) << "Alt+C clears the selection";

  Press(form.get(), Qt::Key_L);
  EXPECT_EQ(form->statusText(), "Error: Incomplete Config. Set Paths or Load Config.") << "Alt+L runs";

  Press(form.get(), Qt::Key_E);
  EXPECT_EQ(ui.fileRequests.size(), 1u) << "Alt+E exports";
  EXPECT_EQ(form->statusText(), "Save Cancled.");
}

// "Select &All" and "&About" share their letter: Alt+A goes to the button
// first, which Space then presses; nothing happens unasked.
TEST_F(Form1Test, AltAIsSharedBySelectAllAndTheAboutMenu) {
  Activate();
  Press(form.get(), Qt::Key_A);
  EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>("CheckAll"));
  EXPECT_EQ(Grid()->checkedCount(), 0);
  EXPECT_EQ(form->aboutBox(), nullptr);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(Grid()->checkedCount(), 16);
}

TEST_F(Form1Test, ThePathsDialogsAccessKeysStayInTheDialog) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
  QWidget* dialog = form->findChild<QDialog*>(QStringLiteral("PathsDialog"));
  ASSERT_NE(dialog, nullptr);
  QApplication::setActiveWindow(dialog);
  QApplication::processEvents();
  Press(dialog, Qt::Key_T);
  EXPECT_TRUE(dialog->findChild<QCheckBox*>(QStringLiteral("TerrainCheck"))->isChecked());
  EXPECT_FALSE(form->terrainBoolean()) << "nothing reaches the main window before OK";
  Press(dialog, Qt::Key_C);
  EXPECT_FALSE(dialog->isVisible()) << "Alt+C cancels";
}

TEST_F(Form1Test, ArrowKeysInTheListsPickAsAClickDoes) {
  TempFolder::Write(folder.File("config.ini"),
                    "[Save=Coast]\r\ngamePath=C:\\G\r\nlevelName=Coast\r\nmodName=Hyx\r\nterrainBoolean=True\r\n"
                    "mergeBoolean=False\r\nobjectBoolean=False\r\nshadowDarkness=2\r\n");
  Activate();
  form->menuFilePaths_Click();
  QWidget* dialog = form->findChild<QDialog*>(QStringLiteral("PathsDialog"));
  auto* list = dialog->findChild<QComboBox*>(QStringLiteral("SavedSettings"));
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("LevelName_Text"))->text(), "Coast");

  Combo1()->setFocus();
  QTest::keyClick(Combo1(), Qt::Key_Down);
  EXPECT_TRUE(Grid()->isBoxEnabled(7)) << "8x8 chosen by keyboard opens its square";
}

}  // namespace
