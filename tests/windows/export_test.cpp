#include <QFileDialog>
#include <QTest>

#include "main_window/qt_ui_services.h"
#include "tests/windows/form1_fixture.h"

namespace {

const QString kPreparing = QStringLiteral("Preparing to Save...");

class ExportTest : public Form1Test {
 protected:
  std::string Target() const { return folder.File("lmList.dat"); }
  void Answer(const std::string& path) { ui.fileAnswers.push_back(QString::fromStdString(path)); }
  void Mark(std::initializer_list<int> patches) {
    for (const int i : patches) Grid()->clickBox(i);
  }
};

TEST_F(ExportTest, WritesOneRecordPerMarkedPatchInIndexOrder) {
  const struct {
    const char* name;
    int size;
    std::vector<int> marks;
    std::string bytes;
  } cases[] = {
      {"nothing marked", 0, {}, ""},
      {"patches 17, 0 and 1", 1, {17, 0, 1}, std::string("\x00\x00\x01\x00\x01\x01", 6)},
      {"the top-left corner", 3, {240}, std::string("\x00\x0F", 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ChooseSize(c.size);
    form->ClearAll_Click();
    for (const int i : c.marks) Grid()->clickBox(i);
    Answer(Target());
    ui.messages.clear();
    form->lmList_Button_Click();
    EXPECT_EQ(TempFolder::Read(Target()), c.bytes);
    EXPECT_EQ(form->statusText(), "Saved!");
    EXPECT_TRUE(form->timer1().isActive());
    EXPECT_EQ(folder.Count(), 1u) << "no temporary file is left";
  }
}

TEST_F(ExportTest, AllMarkedUnderTheWholeGridGives512BytesInIndexOrder) {
  ChooseSize(3);
  form->CheckAll_Click();
  Answer(Target());
  form->lmList_Button_Click();
  std::string expected;
  for (int row = 0; row <= 15; ++row) {
    for (int column = 0; column <= 15; ++column) expected += {static_cast<char>(column), static_cast<char>(row)};
  }
  EXPECT_EQ(TempFolder::Read(Target()), expected);
}

TEST_F(ExportTest, MarksDroppedByASmallerSizeAreNotWritten) {
  ChooseSize(1);
  Mark({0, 5, 3 * 16 + 3, 7 * 16 + 7, 4 * 16});
  ChooseSize(0);
  Answer(Target());
  form->lmList_Button_Click();
  EXPECT_EQ(TempFolder::Read(Target()), std::string("\x00\x00\x03\x03", 4));
}

TEST_F(ExportTest, TheDialogIsAskedForLmListDatInTheLevelsTexturesFolder) {
  const struct {
    const char* gamePath;
    const char* levelName;
    const char* folder;
  } cases[] = {
      {R"(C:\Game)", "Level1", R"(C:\Game\ShadowWork\stormline\levels\Level1\textures)"},
      {"", "", R"(\ShadowWork\stormline\levels\\textures)"},
      {R"(C:\Game\)", "Level1", R"(C:\Game\\ShadowWork\stormline\levels\Level1\textures)"},
  };
  for (const auto& c : cases) {
    form->setGamePath(QString::fromUtf8(c.gamePath));
    form->setLevelName(QString::fromUtf8(c.levelName));
    ui.fileRequests.clear();
    form->lmList_Button_Click();
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].filter, "lmList.dat|lmList.dat|All Files (*.*)|*.*");
    EXPECT_EQ(ui.fileRequests[0].fileName, "lmList.dat");
    EXPECT_EQ(ui.fileRequests[0].initialFolder.toStdString(), c.folder);
  }
}

// The choices read as given, without Qt's pattern list behind them.
TEST_F(ExportTest, TheSaveDialogShowsTheFilterDescriptionsAsGiven) {
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  QtUiServices::Prepare(dialog, {QStringLiteral("lmList.dat|lmList.dat|All Files (*.*)|*.*"),
                                 QStringLiteral("lmList.dat"), QString::fromStdString(folder.path())},
                        QFileDialog::AcceptSave);
  dialog.show();
  auto* choices = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(choices, nullptr);
  QStringList shown;
  for (int i = 0; i < choices->count(); ++i) shown << choices->itemText(i);
  EXPECT_EQ(shown, (QStringList{"lmList.dat", "All Files (*.*)"}));
}

TEST_F(ExportTest, CancellingTouchesNoFile) {
  TempFolder::Write(Target(), "old");
  form->lmList_Button_Click();  // no answer scripted: cancelled
  EXPECT_EQ(form->statusText(), "Save Cancled.");
  EXPECT_TRUE(form->timer1().isActive());
  EXPECT_EQ(TempFolder::Read(Target()), "old");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ExportTest, AnExistingFileIsOverwrittenOnlyAfterYes) {
  const std::string old(300, '\x7F');
  TempFolder::Write(Target(), old);
  Mark({0, 1});

  Answer(Target());
  ui.answers.push_back(UiServices::Answer::No);
  form->lmList_Button_Click();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "File Exists, Do you want to overwrite?");
  EXPECT_EQ(ui.messages[0].title, "File Exists...");
  EXPECT_EQ(ui.messages[0].icon, UiServices::Icon::None);
  EXPECT_EQ(ui.messages[0].buttons, UiServices::Buttons::YesNo);
  EXPECT_EQ(form->statusText(), kPreparing) << "declining shows nothing more";
  EXPECT_FALSE(form->timer1().isActive());
  EXPECT_EQ(TempFolder::Read(Target()), old);

  Answer(Target());
  ui.answers.push_back(UiServices::Answer::Yes);
  form->lmList_Button_Click();
  EXPECT_EQ(TempFolder::Read(Target()), std::string("\x00\x00\x01\x00", 4)) << "nothing of the old file remains";
  EXPECT_EQ(form->statusText(), "Saved!");

  ui.messages.clear();
  const std::string fresh = folder.File("other name.bin");
  Answer(fresh);
  form->lmList_Button_Click();
  EXPECT_TRUE(ui.messages.empty()) << "a new file is written without a question";
  EXPECT_EQ(TempFolder::Read(fresh).size(), 4u);
}

TEST_F(ExportTest, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  TempFolder::Write(Target(), "old");
  TempFolder::MakeReadOnly(Target());
  Mark({0});
  const std::string unusable = platform::JoinPath(folder.File("no such folder"), "lmList.dat");
  for (const std::string& path : {Target(), unusable}) {
    SCOPED_TRACE(path);
    Answer(path);
    ui.messages.clear();
    form->lmList_Button_Click();
    ASSERT_FALSE(ui.messages.empty());
    const UiServices::Message& shown = ui.messages.back();
    EXPECT_EQ(shown.buttons, UiServices::Buttons::Ok);
    EXPECT_TRUE(shown.text.contains(QString::fromStdString(path))) << shown.text.toStdString();
    EXPECT_NE(form->statusText(), "Saved!");
    EXPECT_FALSE(form->timer1().isActive());
  }
  EXPECT_EQ(TempFolder::Read(Target()), "old");
  EXPECT_EQ(folder.Count(), 1u);
}

TEST_F(ExportTest, CtrlEAndTheMenuRunTheExport) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(ui.fileRequests.size(), 1u);
  Action("menuRunlmList")->trigger();
  EXPECT_EQ(ui.fileRequests.size(), 2u);
  EXPECT_EQ(form->statusText(), "Save Cancled.");
}

}  // namespace
