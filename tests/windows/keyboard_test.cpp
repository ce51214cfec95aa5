#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <string>
#include <vector>

#include "paths_dialog/paths_dialog.h"
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

// Enter presses the button that has the focus; with the focus elsewhere it
// presses the default button, OK in the paths dialog.
TEST_F(Form1Test, EnterPressesTheFocusedButtonAndElseTheDefaultOne) {
  const struct {
    std::vector<const char*> focus;  // in this order, then Enter
    bool open, applied, saved;
    size_t messages, fileRequests;
  } cases[] = {
      {{"CancelButton"}, false, false, false, 0, 0},  {{"Save"}, true, false, true, 0, 0},
      {{"Delete"}, true, false, false, 1, 0},         {{"Path"}, true, false, false, 0, 1},
      {{"OKButton"}, false, true, false, 0, 0},       {{"LevelName_Text"}, false, true, false, 0, 0},
      {{"CancelButton", "shadow_Text"}, false, true, false, 0, 0},
      {{"Save", "TerrainCheck"}, false, true, false, 0, 0},
  };
  Activate();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.focus.front());
    form->menuFilePaths_Click();
    QDialog* dialog = form->findChild<QDialog*>(QStringLiteral("PathsDialog"));
    QApplication::setActiveWindow(dialog);
    for (const auto& [name, text] : {std::pair{"GamePath_Text", "C:\\G"}, {"LevelName_Text", "L"}, {"SettingName_Text", "Coast"}})
      dialog->findChild<QLineEdit*>(QLatin1String(name))->setText(QLatin1String(text));
    dialog->findChild<QComboBox*>(QStringLiteral("ModName_Text"))->setEditText(QStringLiteral("Hyx"));
    for (const char* name : c.focus) dialog->findChild<QWidget*>(QLatin1String(name))->setFocus();
    ASSERT_EQ(QApplication::focusWidget()->objectName(), c.focus.back());
    ui.messages.clear();
    ui.fileRequests.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form->pathsDialog() && form->pathsDialog()->isVisible(), c.open);
    EXPECT_EQ(form->gamePath() == "C:\\G", c.applied);
    EXPECT_EQ(TempFolder::Exists(folder.File("config.ini")), c.saved);
    EXPECT_EQ(ui.messages.size(), c.messages);
    EXPECT_EQ(ui.fileRequests.size(), c.fileRequests);
    delete form->pathsDialog();
    form->setGamePath({});
    std::remove(folder.File("config.ini").c_str());
  }

  const struct {
    const char* button;
    int checked;
    size_t fileRequests;
    const char* status;
  } mainCases[] = {{"CheckAll", 16, 0, "Ready."},
                   {"ClearAll", 0, 0, "Ready."},
                   {"lmList_Button", 0, 1, "Save Cancled."},
                   {"Go_Button", 0, 1, "Error: Incomplete Config. Set Paths or Load Config."}};
  Activate();
  for (const auto& c : mainCases) {
    Find<QPushButton>(c.button)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Grid()->checkedCount(), c.checked) << c.button;
    EXPECT_EQ(ui.fileRequests.size(), c.fileRequests) << c.button;
    EXPECT_EQ(form->statusText(), c.status) << c.button;
  }
}

}  // namespace
