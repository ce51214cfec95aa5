#include <QComboBox>
#include <QTest>

#include "main_window/frm_preview.h"
#include "tests/windows/form1_fixture.h"

// What the tool does beyond the original: the patch list read back, marking
// by dragging, and the preview of go.bat.
namespace {

class BeyondTest : public Form1Test {
 protected:
  std::string List() const { return folder.File("lmList.dat"); }
  std::vector<int> Marked() const {
    std::vector<int> marked;
    for (int i = 0; i < 256; ++i) {
      if (Grid()->value(i)) marked.push_back(i);
    }
    return marked;
  }
};

TEST_F(BeyondTest, ImportTakesTheSmallestGridThatHoldsTheListAndExportGivesItBack) {
  const struct {
    std::string bytes;       // as imported
    int size;                // the grid-size entry it opens
    std::vector<int> marks;  // patch indices
    std::string exported;    // records in patch order, repeats once
  } cases[] = {
      {"", 0, {}, ""},
      {std::string("\x03\x03\x00\x00\x03\x03", 6), 0, {0, 51}, std::string("\x00\x00\x03\x03", 4)},
      {std::string("\x04\x00", 2), 1, {4}, std::string("\x04\x00", 2)},
      {std::string("\x00\x0B\x0B\x00", 4), 2, {11, 176}, std::string("\x0B\x00\x00\x0B", 4)},
      {std::string("\x0C\x00", 2), 3, {12}, std::string("\x0C\x00", 2)},
      {std::string("\x0F\x0F", 2), 3, {255}, std::string("\x0F\x0F", 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    ChooseSize(3);
    form->CheckAll_Click();  // every earlier mark goes
    TempFolder::Write(List(), c.bytes);
    ui.fileAnswers = {QString::fromStdString(List())};
    form->menuRunImport_Click();
    EXPECT_EQ(Combo1()->currentIndex(), c.size);
    EXPECT_EQ(Marked(), c.marks);
    EXPECT_EQ(form->statusText(), "Loaded!");
    ui.fileAnswers = {QString::fromStdString(List())};
    form->lmList_Button_Click();
    EXPECT_EQ(TempFolder::Read(List()), c.exported);
  }
  EXPECT_EQ(ui.fileRequests[0].filter, "lmList.dat|lmList.dat|All Files (*.*)|*.*");
  EXPECT_EQ(ui.fileRequests[0].fileName, "lmList.dat");
}

TEST_F(BeyondTest, ARefusedImportNamesTheFileAndLeavesTheGrid) {
  const struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {std::string("\x01\x02\x03", 3), "odd"},
      {std::string("\x01\x10", 2), "row 16"},
      {std::string("\x10\x01", 2), "column 16"},
      {std::string(514, '\0'), "512 bytes"},
  };
  ChooseSize(1);
  Grid()->clickBox(17);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    TempFolder::Write(List(), c.bytes);
    ui.fileAnswers = {QString::fromStdString(List())};
    ui.messages.clear();
    form->menuRunImport_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QString::fromStdString(List())));
    EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String(c.reason))) << ui.messages[0].text.toStdString();
    EXPECT_EQ(Combo1()->currentIndex(), 1);
    EXPECT_EQ(Marked(), std::vector<int>{17});
  }
  form->menuRunImport_Click();  // cancelled
  EXPECT_EQ(form->statusText(), "Load Cancelled.");
  EXPECT_EQ(Marked(), std::vector<int>{17});
}

TEST_F(BeyondTest, DraggingGivesEveryEnabledBoxPassedTheFirstBoxsNewState) {
  ChooseSize(0);  // 4 x 4: columns 4 on are disabled
  Grid()->clickBox(2);
  const auto at = [&](int i) { return PatchGrid::BoxRect(i).center(); };
  QTest::mousePress(Grid(), Qt::LeftButton, {}, at(0));
  for (const int i : {1, 2, 3, 4, 5}) {
    QMouseEvent move(QEvent::MouseMove, at(i), Grid()->mapToGlobal(at(i)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(Grid(), &move);
  }
  QTest::mouseRelease(Grid(), Qt::LeftButton, {}, at(5));
  EXPECT_EQ(Marked(), (std::vector<int>{0, 1, 2, 3}));
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, at(1));  // a click as before
  EXPECT_EQ(Marked(), (std::vector<int>{0, 2, 3}));
}

TEST_F(BeyondTest, ThePreviewShowsWhatRunLightingWouldWriteOrSay) {
  form->menuRunPreview_Click();
  FrmPreview* preview = form->previewWindow();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->windowTitle(), "go.bat");
  EXPECT_EQ(preview->scriptText(), "Error: Incomplete Config. Set Paths or Load Config.");
  MakeComplete();
  form->setMergeCheck(true);
  const QString shown = preview->scriptText();
  EXPECT_EQ(preview->folderText(), "Folder: " + QString::fromStdString(folder.path()));
  form->Go_Button_Click();
  EXPECT_EQ(shown + "\n", QString::fromLatin1(TempFolder::Read(folder.File("go.bat"))).replace("\r\n", "\n"));
  form->setModName(QStringLiteral("My Mod"));
  ui.messages.clear();
  form->Go_Button_Click();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(preview->scriptText(), ui.messages[0].text);
  EXPECT_EQ(starter.started.size(), 1u) << "the preview starts nothing";
}

}  // namespace
