#include "paths_dialog/paths_dialog.h"

#include <QLineEdit>
#include <QTest>

#include "tests/core/config_store_fakes.h"
#include "tests/windows/form1_fixture.h"

namespace {

const std::string kTwoSettings =
    "[Save=Coast]\r\ngamePath=C:\\Saved Games\\Stormline\r\nlevelName=Coast\r\nmodName=Hyx\r\n"
    "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=tRuE\r\nshadowDarkness=1.50\r\n"
    "[Save=Dunes]\r\ngamePath=D:\\Stormline\r\nlevelName=Dunes\r\nmodName=Ulm\r\n"
    "terrainBoolean=False\r\nmergeBoolean=1\r\nobjectBoolean=0\r\nshadowDarkness=2\r\n";

class PathsDialogTest : public Form1Test {
 public:
  PathsDialog* Open() {
    form->menuFilePaths_Click();
    return form->pathsDialog();
  }
  PathsDialog* Dialog() const { return form->pathsDialog(); }
  template <typename T>
  T* In(const char* name) const {
    T* found = Dialog()->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QLineEdit* Line(const char* name) const { return In<QLineEdit>(name); }
  QComboBox* List() const { return In<QComboBox>("SavedSettings"); }
  QComboBox* Mod() const { return In<QComboBox>("ModName_Text"); }
  QCheckBox* DialogBox(const char* name) const { return In<QCheckBox>(name); }
  void Press(const char* name) const { In<QPushButton>(name)->click(); }
  void Pick(int index) const {
    List()->setCurrentIndex(index);
    emit List()->activated(index);
  }
  QStringList Entries() const {
    QStringList out;
    for (int i = 0; i < List()->count(); ++i) out << List()->itemText(i);
    return out;
  }
  void Fill(const char* game, const char* level, const char* mod, const char* darkness) const {
    Line("GamePath_Text")->setText(QString::fromUtf8(game));
    Line("LevelName_Text")->setText(QString::fromUtf8(level));
    Mod()->setEditText(QString::fromUtf8(mod));
    Line("shadow_Text")->setText(QString::fromUtf8(darkness));
  }
  // Unloading goes through deleteLater.
  static void Settle() { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  std::string ConfigIni() const { return folder.File("config.ini"); }
};

TEST_F(PathsDialogTest, FirstOpeningShowsTheRunConfigurationAndTheStoredNames) {
  TempFolder::Write(ConfigIni(), kTwoSettings);
  Activate();
  ASSERT_NE(Open(), nullptr);
  QApplication::processEvents();
  EXPECT_EQ(form->statusText(), "Ready.");
  EXPECT_TRUE(Dialog()->isVisible());
  EXPECT_FALSE(Dialog()->isModal());
  EXPECT_EQ(Dialog()->windowTitle(), "Set Paths...");
  EXPECT_EQ(Dialog()->size(), QSize(442, 198));
  EXPECT_TRUE(Line("GamePath_Text")->text().isEmpty());
  EXPECT_TRUE(Line("LevelName_Text")->text().isEmpty());
  EXPECT_TRUE(Mod()->currentText().isEmpty());
  EXPECT_EQ(Mod()->count(), 3);
  EXPECT_EQ(Mod()->itemText(0), "Stormline");
  EXPECT_EQ(Mod()->itemText(1), "Hyx");
  EXPECT_EQ(Mod()->itemText(2), "Ulm");
  EXPECT_EQ(Line("shadow_Text")->text(), "1.5");
  EXPECT_EQ(Line("SettingName_Text")->text(), "(Current)");
  EXPECT_EQ(Entries(), (QStringList{"(Current)", "Coast", "Dunes"})) << "no key value is taken for a name";
  EXPECT_EQ(List()->currentIndex(), 0);
  for (const char* name : {"TerrainCheck", "MergeCheck", "ObjectCheck"}) EXPECT_FALSE(DialogBox(name)->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), List()) << "the list has the focus";

  const char* order[] = {"SettingName_Text", "Save",         "GamePath_Text", "Path",       "LevelName_Text",
                         "ModName_Text",     "shadow_Text",  "OKButton",      "CancelButton", "ObjectCheck",
                         "MergeCheck",       "TerrainCheck", "Delete"};
  QWidget* at = List();
  for (const char* name : order) {
    at = at->nextInFocusChain();
    while (at->objectName().isEmpty()) at = at->nextInFocusChain();  // the mod list's own edit field
    EXPECT_EQ(at->objectName().toStdString(), name);
  }
}

TEST_F(PathsDialogTest, OkRefusesEmptyEntriesAndABadDarknessAndAppliesNothing) {
  Open();
  const struct {
    const char* game;
    const char* level;
    const char* mod;
    const char* darkness;
    const char* message;
  } cases[] = {
      {"", "", "", "1.5", "Please complete all entries."},
      {"C:\\G", "L", "", "1.5", "Please complete all entries."},
      {"", "L", "Hyx", "1.5", "Please complete all entries."},
      {"C:\\G", "L", "Hyx", "", "Please enter a number for Shadow Darkness."},
      {"C:\\G", "L", "Hyx", "dark", "Please enter a number for Shadow Darkness."},
      {"C:\\G", "L", "Hyx", "1,5", "Please enter a number for Shadow Darkness."},
      {"C:\\G", "L", "Hyx", "nan", "Please enter a number for Shadow Darkness."},
  };
  DialogBox("TerrainCheck")->click();
  for (const auto& c : cases) {
    Fill(c.game, c.level, c.mod, c.darkness);
    ui.messages.clear();
    Press("OKButton");
    ASSERT_EQ(ui.messages.size(), 1u) << c.darkness;
    EXPECT_EQ(ui.messages[0].text, c.message);
    EXPECT_EQ(ui.messages[0].icon, UiServices::Icon::None);
    EXPECT_TRUE(ui.messages[0].title.isEmpty()) << "the application's own title";
    EXPECT_TRUE(Dialog()->isVisible());
    EXPECT_TRUE(form->gamePath().isEmpty());
    EXPECT_EQ(form->shadowDarkness(), 1.5);
    EXPECT_FALSE(form->terrainBoolean());
  }
}

TEST_F(PathsDialogTest, OkHandsTheFieldsToTheMainWindowAndUnloads) {
  Open();
  Fill(R"(C:\Games\Stormline)", " ", "MyMod", " 2.25 ");
  DialogBox("TerrainCheck")->click();
  DialogBox("ObjectCheck")->click();
  DialogBox("ObjectCheck")->click();
  EXPECT_TRUE(Dialog()->terrainBoolean());
  EXPECT_FALSE(Dialog()->objectBoolean());
  Press("OKButton");
  Settle();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(form->gamePath(), R"(C:\Games\Stormline)");
  EXPECT_EQ(form->levelName(), " ");
  EXPECT_EQ(form->modName(), "MyMod");
  EXPECT_EQ(form->shadowDarkness(), 2.25);
  EXPECT_TRUE(form->terrainBoolean());
  EXPECT_TRUE(Box("TerrainCheck")->isChecked());
  EXPECT_TRUE(Action("menuRunTerrain")->isChecked());
  EXPECT_FALSE(form->objectBoolean() || form->mergeBoolean());
  EXPECT_FALSE(TempFolder::Exists(ConfigIni())) << "OK stores nothing";

  Open();  // loaded afresh with what was applied
  EXPECT_EQ(Line("GamePath_Text")->text(), R"(C:\Games\Stormline)");
  EXPECT_EQ(Mod()->currentText(), "MyMod");
  EXPECT_EQ(Line("shadow_Text")->text(), "2.25");
  EXPECT_TRUE(DialogBox("TerrainCheck")->isChecked());
  EXPECT_TRUE(Dialog()->terrainBoolean());
}

TEST_F(PathsDialogTest, CancelHidesTheDialogAsItWasAndTheNextSetPathsShowsItUnchanged) {
  PathsDialog* first = Open();
  Fill("X:\\Typed", "Typed", "Hyx", "3");
  DialogBox("MergeCheck")->click();
  Press("CancelButton");
  EXPECT_FALSE(first->isVisible());
  EXPECT_TRUE(form->gamePath().isEmpty()) << "Cancel applies nothing";
  TempFolder::Write(ConfigIni(), kTwoSettings);  // a load would now list two names

  EXPECT_EQ(Open(), first);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(Line("GamePath_Text")->text(), "X:\\Typed");
  EXPECT_EQ(Entries(), QStringList{"(Current)"}) << "shown again without a load";
  EXPECT_TRUE(DialogBox("MergeCheck")->isChecked());
  Press("OKButton");
  EXPECT_TRUE(form->mergeBoolean());
  EXPECT_EQ(form->shadowDarkness(), 3);
}

TEST_F(PathsDialogTest, OkOverridesAMainWindowBoxChangedWhileTheDialogWasOpen) {
  Open();
  Fill("C:\\G", "L", "Hyx", "1.5");
  form->setTerrainCheck(true);
  EXPECT_TRUE(form->terrainBoolean());
  Press("OKButton");
  EXPECT_FALSE(Box("TerrainCheck")->isChecked());
  EXPECT_FALSE(form->terrainBoolean());
  EXPECT_FALSE(Action("menuRunTerrain")->isChecked());
}

TEST_F(PathsDialogTest, PickingAStoredSettingFillsTheFieldsAndOkAppliesIt) {
  TempFolder::Write(ConfigIni(), kTwoSettings);
  Open();
  Pick(1);
  EXPECT_EQ(Line("SettingName_Text")->text(), "Coast");
  EXPECT_EQ(Line("GamePath_Text")->text(), "C:\\Saved Games\\Stormline");
  EXPECT_EQ(Mod()->currentText(), "Hyx");
  EXPECT_EQ(Line("shadow_Text")->text(), "1.5") << "1.50 is shown by the number rule";
  EXPECT_TRUE(DialogBox("TerrainCheck")->isChecked() && Dialog()->terrainBoolean());
  EXPECT_TRUE(DialogBox("ObjectCheck")->isChecked() && Dialog()->objectBoolean());
  Pick(2);
  EXPECT_TRUE(DialogBox("MergeCheck")->isChecked() && Dialog()->mergeBoolean());
  EXPECT_FALSE(DialogBox("TerrainCheck")->isChecked() || Dialog()->terrainBoolean());
  Pick(0);
  EXPECT_TRUE(Line("GamePath_Text")->text().isEmpty()) << "(Current) shows the main window's values again";
  EXPECT_EQ(Line("SettingName_Text")->text(), "Dunes") << "the name field keeps the picked name";
  EXPECT_FALSE(DialogBox("MergeCheck")->isChecked() || Dialog()->mergeBoolean());
  Pick(2);
  Press("OKButton");
  EXPECT_EQ(form->levelName(), "Dunes");
  EXPECT_EQ(form->shadowDarkness(), 2);
  EXPECT_TRUE(form->mergeBoolean());
  EXPECT_EQ(TempFolder::Read(ConfigIni()), kTwoSettings);
}

TEST_F(PathsDialogTest, SaveAndDeleteKeepTheListAndTheFileInStep) {
  Open();
  Fill(R"(C:\Games\Stormline)", "Coast", "Stormline", "1.50");
  DialogBox("TerrainCheck")->click();
  Line("SettingName_Text")->setText(QStringLiteral("Coast"));
  Press("Save");
  EXPECT_EQ(TempFolder::Read(ConfigIni()),
            "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
            "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=False\r\nshadowDarkness=1.50\r\n");
  EXPECT_EQ(Entries(), (QStringList{"(Current)", "Coast"}));
  EXPECT_EQ(List()->currentIndex(), 1);
  EXPECT_EQ(Line("shadow_Text")->text(), "1.5");
  EXPECT_FALSE(TempFolder::Exists(folder.File("config.tmp")));

  ui.messages.clear();
  Line("SettingName_Text")->setText(QStringLiteral("(Current)"));
  Press("Save");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Please give the Config a name.");

  Pick(0);
  ui.messages.clear();
  Press("Delete");
  ASSERT_EQ(ui.messages.size(), 1u) << "(Current) cannot be deleted";
  EXPECT_EQ(Entries(), (QStringList{"(Current)", "Coast"}));

  Pick(1);
  Line("SettingName_Text")->setText(QStringLiteral("Something else"));
  Press("Delete");
  EXPECT_EQ(Entries(), QStringList{"(Current)"});
  EXPECT_EQ(List()->currentIndex(), 0);
  EXPECT_EQ(TempFolder::Read(ConfigIni()), "");
  EXPECT_EQ(Line("SettingName_Text")->text(), "Something else");
  EXPECT_TRUE(Line("GamePath_Text")->text().isEmpty());
}

TEST_F(PathsDialogTest, BrowseTakesTheFolderThatHoldsTheChosenFile) {
  qputenv("WINEPREFIX", folder.path().c_str());  // a prefix without drives: Wine's Z: is the root
  Open();
  const struct {
    const char* chosen;
    const char* field;
  } cases[] = {
      {R"(D:\Stormline\stormline.exe)", R"(D:\Stormline)"},
      {R"(C:\stormline.exe)", "C:"},
      {R"(C:\Games\Other\launcher.exe)", R"(C:\Games\Other)"},
#ifdef _WIN32
      {"/home/me/Stormline/Stormline.exe", "/home/me/Stormline"},
      {"", "/home/me/Stormline"},  // cancelled: unchanged
#else
      {"/home/me/Stormline/Stormline.exe", R"(Z:\home\me\Stormline)"},  // as Wine's programs know it
      {"", R"(Z:\home\me\Stormline)"},                                // cancelled: unchanged
#endif
  };
  for (const auto& c : cases) {
    if (*c.chosen) ui.fileAnswers.push_back(QString::fromUtf8(c.chosen));
    ui.fileRequests.clear();
    Press("Path");
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].filter, "Stormline|stormline.exe");
    EXPECT_EQ(ui.fileRequests[0].fileName, "stormline.exe");
    EXPECT_EQ(Line("GamePath_Text")->text(), QString::fromUtf8(c.field));
  }
  EXPECT_TRUE(form->gamePath().isEmpty());
}

TEST_F(PathsDialogTest, EscapeDoesNothingEnterPressesOkAndTheCloseBoxUnloads) {
  Activate();
  Open();
  QApplication::processEvents();
  QTest::keyClick(Dialog(), Qt::Key_Escape);
  EXPECT_TRUE(Dialog() && Dialog()->isVisible());

  Fill("C:\\G", "L", "Hyx", "4");
  Line("LevelName_Text")->setFocus();
  QTest::keyClick(Line("LevelName_Text"), Qt::Key_Return);
  Settle();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(form->shadowDarkness(), 4);

  Open();
  Fill("C:\\Other", "M", "Ulm", "5");
  Dialog()->close();
  Settle();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(form->gamePath(), "C:\\G") << "the close box applies nothing";
  Open();
  EXPECT_EQ(Line("GamePath_Text")->text(), "C:\\G") << "and the next Set Paths loads afresh";
}

TEST_F(PathsDialogTest, ExitEndsAVisibleOrHiddenDialogWithoutApplyingIt) {
  for (const bool hidden : {false, true}) {
    form = std::make_unique<Form1>(Form1Services{&ui, &starter, &platform::RealFileSystem(), folder.path(), "."});
    Activate();
    QPointer<PathsDialog> dialog = Open();
    Fill("C:\\G", "L", "Hyx", "4");
    if (hidden) Press("CancelButton");
    Action("menuFileExit")->trigger();
    EXPECT_EQ(dialog, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->gamePath().isEmpty());
  }
}

// A failing or throwing file system: each handler shows a message, config.ini
// stays as it was, and the dialog goes on.
TEST_F(PathsDialogTest, NoFailureOrExceptionLeavesAHandler) {
  struct Throwing final : platform::FileSystem {
    platform::FileSystem& real = platform::RealFileSystem();
    bool Exists(const std::string& p) const override { return real.Exists(p); }
    platform::EntryKind Kind(const std::string& p) const override { return real.Kind(p); }
    bool armed = false;
    platform::Status ReadAll(const std::string& p, std::string& b, std::size_t l) const override {
      if (armed) throw std::bad_alloc();
      return real.ReadAll(p, b, l);
    }
    platform::Status CreateNew(const std::string& p, std::string_view b, const std::string& o, bool& w) override {
      return real.CreateNew(p, b, o, w);
    }
    platform::Status Replace(const std::string& s, const std::string& t) override { return real.Replace(s, t); }
    platform::Status Remove(const std::string& p) override { return real.Remove(p); }
    platform::Status Lock(const std::string& p, std::chrono::milliseconds w,
                          std::unique_ptr<platform::FileLock>& h) override {
      return real.Lock(p, w, h);
    }
  } throwing;
  FaultyFileSystem failing(platform::RealFileSystem());
  failing.failAt = 0;  // every read, from the names on
  failing.persistent = true;
  const struct {
    platform::FileSystem* fs;
    const char* atOpen;  // the message on opening, or nullptr
    const char* atSave;
  } cases[] = {
      {&failing, "config.ini", "config.ini was left as it was."},
      {&throwing, nullptr, "not enough memory"},
  };
  for (const auto& c : cases) {
    TempFolder::Write(ConfigIni(), kTwoSettings);
    ui.messages.clear();
    throwing.armed = false;
    form = std::make_unique<Form1>(Form1Services{&ui, &starter, c.fs, folder.path(), "."});
    Action("menuFilePaths")->trigger();
    ASSERT_EQ(ui.messages.size(), c.atOpen ? 1u : 0u) << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    if (c.atOpen) {
      EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String(c.atOpen)));
    }
    throwing.armed = true;
    Line("SettingName_Text")->setText(QStringLiteral("New"));
    ui.messages.clear();
    Press("Save");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String(c.atSave))) << ui.messages[0].text.toStdString();
    EXPECT_EQ(TempFolder::Read(ConfigIni()), kTwoSettings);
  }
}

// After a refused OK the typing goes on where the entry is missing.
TEST_F(PathsDialogTest, ARefusedOkPutsTheFocusOnTheFirstEntryToComplete) {
  const struct {
    const char *game, *level, *mod, *darkness, *focus;
  } cases[] = {{"", "", "", "1.5", "GamePath_Text"},           {"", "L", "Hyx", "1.5", "GamePath_Text"},
               {"C:\\G", "", "", "1.5", "LevelName_Text"},     {"C:\\G", "L", "", "1.5", "ModName_Text"},
               {"C:\\G", "L", "Hyx", "dark", "shadow_Text"}};
  Activate();
  Open();
  QApplication::setActiveWindow(Dialog());
  for (const auto& c : cases) {
    Fill(c.game, c.level, c.mod, c.darkness);
    In<QPushButton>("OKButton")->setFocus();
    Press("OKButton");
    QWidget* focus = Dialog()->focusWidget();
    EXPECT_TRUE(focus == In<QWidget>(c.focus) || In<QWidget>(c.focus)->isAncestorOf(focus)) << c.focus;
  }
}

}  // namespace
