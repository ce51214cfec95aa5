#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "main_window/frm_about.h"
#include "tests/windows/form1_fixture.h"

namespace {

const QString kIncomplete = QStringLiteral("Error: Incomplete Config. Set Paths or Load Config.");
const QString kRunning = QStringLiteral("Running batch lighting... You may exit.");

TEST_F(Form1Test, StartsReadyWithAnEmptyConfigurationAndTheSmallestGrid) {
  EXPECT_EQ(form->statusText(), "Ready.");
  EXPECT_FALSE(form->timer1().isActive());
  EXPECT_EQ(form->timer1().interval(), 7500);
  EXPECT_TRUE(form->timer1().isSingleShot());
  EXPECT_EQ(form->windowTitle(), "Quillon's Stormline Batch Lighting Tool");
  EXPECT_EQ(form->shadowDarkness(), 1.5);
  EXPECT_TRUE(form->gamePath().isEmpty() && form->levelName().isEmpty() && form->modName().isEmpty());
  for (const char* name : {"TerrainCheck", "MergeCheck", "ObjectCheck"}) EXPECT_FALSE(Box(name)->isChecked());
  for (const char* name : {"menuRunTerrain", "menuRunMerge", "menuRunObject"}) EXPECT_FALSE(Action(name)->isChecked());
  EXPECT_FALSE(form->terrainBoolean() || form->mergeBoolean() || form->objectBoolean());
  ASSERT_EQ(Combo1()->count(), 4);
  EXPECT_EQ(Combo1()->itemText(0), "4x4");
  EXPECT_EQ(Combo1()->itemText(3), "32x32");
  EXPECT_EQ(Combo1()->currentIndex(), 0);
  EXPECT_EQ(Grid()->checkedCount(), 0);

  form->Go_Button_Click();
  EXPECT_EQ(form->statusText(), kIncomplete);
  EXPECT_TRUE(form->timer1().isActive());
  EXPECT_TRUE(starter.started.empty());
  EXPECT_EQ(folder.Count(), 0u);
}

TEST_F(Form1Test, MenusStandInOrderWithTheirShortcuts) {
  const QList<QAction*> top = form->menuBar()->actions();
  ASSERT_EQ(top.size(), 3);
  EXPECT_EQ(top[0]->text(), "&File");
  EXPECT_EQ(top[1]->text(), "&Run");
  EXPECT_EQ(top[2]->text(), "&About");
  EXPECT_EQ(top[2]->menu(), nullptr);

  const auto texts = [](QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
      out << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char('\t') + a->shortcut().toString());
    }
    return out;
  };
  EXPECT_EQ(texts(top[0]->menu()), (QStringList{"&Save\tCtrl+S", "&Load\tCtrl+L", "-", "Set &Paths\tCtrl+P", "-",
                                                "E&xit\t"}));
  EXPECT_EQ(texts(top[1]->menu()),
            (QStringList{"Export &lmList.dat\tCtrl+E", "&Import lmList.dat...\tCtrl+I", "-", "&Options\t", "-",
                         "Pre&view go.bat...\tCtrl+R", "&Go!\tCtrl+G"}));
  QMenu* options = top[1]->menu()->actions()[3]->menu();
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(texts(options), (QStringList{"Generate &TerrainShadows\t", "&Merge TerrainShadows\t",
                                        "&Generate ObjectShadows\t"}));
}

// Each way of working a switch, and after each step box, member and menu
// mark agree with what the steps so far asked for.
TEST_F(Form1Test, StageSwitchesStayInStepHoweverTheyAreWorked) {
  struct Stage {
    const char* box;
    const char* item;
    bool (Form1::*member)() const;
    void (Form1::*set)(bool);
  };
  const Stage stages[] = {{"TerrainCheck", "menuRunTerrain", &Form1::terrainBoolean, &Form1::setTerrainCheck},
                          {"MergeCheck", "menuRunMerge", &Form1::mergeBoolean, &Form1::setMergeCheck},
                          {"ObjectCheck", "menuRunObject", &Form1::objectBoolean, &Form1::setObjectCheck}};
  enum Way { ClickBox, ChooseMenu, SetOn, SetOff };
  const struct {
    Way way;
    bool expected;
  } steps[] = {{ClickBox, true}, {ClickBox, false}, {ChooseMenu, true}, {ChooseMenu, false}, {SetOn, true},
               {SetOn, true},    {ChooseMenu, false}, {SetOff, false},  {SetOff, false},   {ChooseMenu, true},
               {ClickBox, false}, {SetOn, true},    {SetOff, false}};
  for (const Stage& stage : stages) {
    for (const auto& step : steps) {
      switch (step.way) {
        case ClickBox:
          Box(stage.box)->click();
          break;
        case ChooseMenu:
          Action(stage.item)->trigger();  // through Qt's own flip of the mark
          break;
        case SetOn:
          (form.get()->*stage.set)(true);
          break;
        case SetOff:
          (form.get()->*stage.set)(false);
          break;
      }
      SCOPED_TRACE(std::string(stage.box) + " step " + std::to_string(&step - steps));
      EXPECT_EQ(Box(stage.box)->isChecked(), step.expected);
      EXPECT_EQ(Action(stage.item)->isChecked(), step.expected);
      EXPECT_EQ((form.get()->*stage.member)(), step.expected);
    }
  }
}

TEST_F(Form1Test, ATransientTextReturnsToReadyWhenTheTimerFires) {
  form->ShowTransientStatus(QStringLiteral("Saved!"));
  EXPECT_EQ(form->statusText(), "Saved!");
  EXPECT_TRUE(form->timer1().isActive());
  QTest::qWait(250);
  form->ShowTransientStatus(QStringLiteral("Save Cancled."));
  EXPECT_GT(form->timer1().remainingTime(), 7400) << "a second transient text starts the countdown again";
  form->Timer1_Timer();
  EXPECT_EQ(form->statusText(), "Ready.");
  EXPECT_FALSE(form->timer1().isActive());

  form->ShowStatus(QStringLiteral("Preparing to Save..."));
  EXPECT_FALSE(form->timer1().isActive()) << "a plain text starts no timer";
}

// The client area is given: the window can be neither resized nor maximised.
TEST_F(Form1Test, TheMainWindowKeepsItsSize) {
  form->show();
  QApplication::processEvents();
  const QSize given = form->size();
  EXPECT_EQ(form->centralWidget()->size(), QSize(330, 471));
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(form->minimumSize(), given);
  EXPECT_EQ(form->maximumSize(), given);
  form->resize(given + QSize(120, 80));
  EXPECT_EQ(form->size(), given);
}

TEST_F(Form1Test, SetPathsEndsOnReady) {
  form->menuFilePaths_Click();
  EXPECT_EQ(form->statusText(), "Ready.");
  EXPECT_FALSE(form->timer1().isActive());
}

TEST_F(Form1Test, SaveAndLoadShortcutsShowTheNoticeAndChangeNothing) {
  Activate();
  for (const int key : {Qt::Key_S, Qt::Key_L}) {
    ui.messages.clear();
    QTest::keyClick(form.get(), static_cast<Qt::Key>(key), Qt::ControlModifier);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Please Use the Paths Dialog to manage saved configurations");
    EXPECT_EQ(ui.messages[0].title, "Depreciated");
    EXPECT_EQ(ui.messages[0].icon, UiServices::Icon::Information);
    EXPECT_EQ(ui.messages[0].buttons, UiServices::Buttons::Ok);
  }
  EXPECT_EQ(form->statusText(), "Ready.");
  EXPECT_EQ(folder.Count(), 0u);
  EXPECT_TRUE(form->gamePath().isEmpty());
}

TEST_F(Form1Test, RunShortcutAndMenuRunTheSameHandler) {
  Activate();
  QTest::keyClick(form.get(), Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(form->statusText(), kIncomplete);
  MakeComplete();
  Action("menuRunGo")->trigger();
  EXPECT_EQ(form->statusText(), kRunning);
  EXPECT_EQ(starter.started.size(), 1u);
}

TEST_F(Form1Test, AboutShowsOneBoxThatEnterAndEscapeClose) {
  for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
    Action("menuAbout")->trigger();
    QPointer<FrmAbout> first = form->aboutBox();
    Action("menuAbout")->trigger();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(form->aboutBox(), first.data());
    EXPECT_EQ(form->findChildren<FrmAbout*>().size(), 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->windowTitle(), "About...");
    EXPECT_EQ(first->findChild<QLabel*>("lblVersion")->text(), "Version 1.0  Released 10/11/2004");
    QTest::keyClick(first.data(), key);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(first, nullptr) << "the box is closed and discarded";
  }
}

TEST_F(Form1Test, ExitClosesEveryWindowAndAppliesNothing) {
  Activate();
  Action("menuAbout")->trigger();
  QPointer<FrmAbout> about = form->aboutBox();
  ASSERT_TRUE(about);
  Action("menuFileExit")->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(about, nullptr);
  EXPECT_EQ(folder.Count(), 0u);
}

TEST_F(Form1Test, AnAcceptedRunWritesTheScriptStartsItAndSaysSo) {
  MakeComplete();
  form->setMergeCheck(true);
  const std::string script = folder.File("go.bat");
  TempFolder::Write(script, "@echo an old script with more lines\r\n@echo than the new one\r\n@echo has\r\n");
  form->Go_Button_Click();
  EXPECT_EQ(TempFolder::Read(script),
            "@cd C:\\Games\\Stormline\r\n@C:\r\n"
            R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
            R"(+mergeTerrainShadows "stormline\levels\Coast\ 1.5 0.4")"
            "\r\n");
  ASSERT_EQ(starter.started, std::vector<std::string>{script});
  EXPECT_EQ(form->statusText(), kRunning);
  EXPECT_TRUE(form->timer1().isActive());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Form1Test, RefusedOrFailedRunsSayWhyAndNeverClaimTheRunStarted) {
  const std::string script = folder.File("go.bat");
  const struct {
    const char* name;
    void (*arrange)(Form1Test&);
    const char* messagePart;
    bool scriptWritten;
    bool startAttempted;
  } cases[] = {
      {"hidden command in the mod name",
       [](Form1Test& t) { t.form->setModName(QStringLiteral("Stormline & del file")); }, "Mod Name", false, false},
      {"pipe in the game folder", [](Form1Test& t) { t.form->setGamePath(QStringLiteral(R"(C:\a|b)")); },
       "Game Path", false, false},
      {"percent in the level name", [](Form1Test& t) { t.form->setLevelName(QStringLiteral("%x%")); },
       "Level Name", false, false},
      {"character outside the code page",
       [](Form1Test& t) { t.form->setLevelName(QString::fromUtf8("\xE6\xB8\xB8")); }, "Level Name", false, false},
      {"read-only old script", [](Form1Test& t) { TempFolder::MakeReadOnly(t.folder.File("go.bat")); }, "go.bat",
       false, false},
      {"no command interpreter", [](Form1Test& t) { t.starter.failure = "No command interpreter was found."; },
       "No command interpreter", true, true},
      {"no drive letter", [](Form1Test& t) { t.form->setGamePath(QStringLiteral("Games")); }, "drive letter", false,
       false},
      {"no game in the folder, not started after all",
       [](Form1Test& t) {
         gameThere = false;
         t.ui.answers = {UiServices::Answer::No};
       },
       "Stormline.exe was not found in \"C:\\Games\\Stormline\".\nStart the batch lighting anyway?", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder::Write(script, "@echo old\r\n");
    TempFolder::MakeReadOnly(script);
    std::filesystem::permissions(TempFolder::FromUtf8(script), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    MakeComplete();
    starter = RecordingStarter();
    ui.messages.clear();
    gameThere = true;
    form->ShowStatus(QStringLiteral("Ready."));
    c.arrange(*this);
    form->Go_Button_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String(c.messagePart))) << ui.messages[0].text.toStdString();
    EXPECT_NE(form->statusText(), kRunning);
    EXPECT_EQ(starter.started.size(), c.startAttempted ? 1u : 0u);
    EXPECT_EQ(TempFolder::Read(script) == "@echo old\r\n", !c.scriptWritten);
    EXPECT_EQ(folder.Count(), 1u) << "no temporary file is left";
  }
  // The question's safe answer is No; Yes runs as if the game were there.
  EXPECT_TRUE(ui.messages[0].noIsDefault && ui.messages[0].buttons == UiServices::Buttons::YesNo);
  ui.answers = {UiServices::Answer::Yes};
  form->Go_Button_Click();
  EXPECT_EQ(starter.started.size(), 1u);
  EXPECT_EQ(form->statusText(), kRunning);
}

TEST_F(Form1Test, TheRunUsesTheUsersDecimalSeparator) {
  Form1 german({&ui, &starter, &platform::RealFileSystem(), folder.path(), ","});
  german.setGamePath(QStringLiteral("E:"));
  german.setLevelName(QStringLiteral("L"));
  german.setModName(QStringLiteral("Ulm"));
  german.setShadowDarkness(1.5);
  german.setMergeCheck(true);
  german.Go_Button_Click();
  EXPECT_EQ(TempFolder::Read(folder.File("go.bat")),
            "@cd E:\r\n@E:\r\n"
            R"("E:\Stormline.exe" +game Ulm +workingFolder "E:\ShadowWork\" +mergeTerrainShadows "stormline\levels\L\ 1,5 0.4")"
            "\r\n");
}

}  // namespace
