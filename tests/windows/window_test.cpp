// The main window and the paths dialog, on a temporary tool folder with
// scripted dialogs and a starter that only records.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <ranges>
#include <stdexcept>

#include "main_window/fitting_check_box.h"
#include "main_window/form1.h"
#include "main_window/frm_about.h"
#include "main_window/frm_preview.h"
#include "main_window/patch_grid.h"
#include "main_window/qt_ui_services.h"
#include "main_window/window_font.h"
#include "paths_dialog/paths_dialog.h"
#include "tests/core/config_store_fakes.h"
#include "tests/support/dark_palette.h"
#include "tests/support/recording_starter.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

// A failed comparison shows texts as text.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

const std::string kStored =
    "[Save=Dunes]\r\ngamePath=D:\\Stormline\r\nlevelName=Dunes\r\nmodName=Ulm\r\n"
    "terrainBoolean=False\r\nmergeBoolean=1\r\nobjectBoolean=tRuE\r\nshadowDarkness=2.50\r\n";

// Yes-or-no parts as one text, "101", so that a failure shows which part differs.
QString Flags(std::initializer_list<bool> flags) {
  QString text;
  for (const bool flag : flags) text += flag ? u'1' : u'0';
  return text;
}

class WindowTest : public testing::Test {
 public:
  template <typename T = QWidget>
  T* Find(const char* name, QObject* in = nullptr) const {  // a renamed control fails its test, not the suite
    if (T* found = (in ? in : form.get())->findChild<T*>(QLatin1String(name))) return found;
    throw std::runtime_error(std::string("no control named ") + name);
  }
  template <typename T = QLineEdit>
  T* In(const char* name) const { return Find<T>(name, form->pathsDialog()); }  // in the paths dialog
  PatchGrid* Grid() const { return form->patchGrid(); }
  void Size(int index) const { Choose(Find<QComboBox>("Combo1"), index); }
  std::vector<int> Marked() const {
    auto marked = std::views::iota(0, 256) | std::views::filter([this](int i) { return Grid()->value(i); });
    return {marked.begin(), marked.end()};
  }
  QString Applied() const {  // the run configuration, part by part
    const RunConfiguration& c = Config();
    return QString::fromStdString("game " + c.gamePath + ", level " + c.levelName + ", mod " + c.modName) + ", darkness " +
           QString::number(c.shadowDarkness) + ", stages " + Flags({c.terrainBoolean, c.mergeBoolean, c.objectBoolean});
  }
  // A choice in a list as the user makes it.
  static void Choose(QComboBox* list, int index) { list->setCurrentIndex(index), emit list->activated(index); }
  // Changes the run configuration through the holder interface the paths dialog uses.
  template <typename Change>
  void Take(Change change) { RunConfiguration config = Config(); change(config), form->TakeRunConfiguration(config); }
  void MakeComplete() {
    Take([](RunConfiguration& c) { c.gamePath = R"(C:\Games\Stormline)", c.levelName = "Coast", c.modName = "Stormline"; });
  }
  const RunConfiguration& Config() const { return form->runConfiguration(); }
  PathsDialog* Open() { return form->menuFilePaths_Click(), form->pathsDialog(); }
  void Fill(const char* game, const char* level, const char* mod, const char* darkness) const {
    In("GamePath_Text")->setText(game), In("LevelName_Text")->setText(level), In("shadow_Text")->setText(darkness);
    In<QComboBox>("ModName_Text")->setEditText(mod);
  }
  void Press(const char* name) const { In<QPushButton>(name)->click(); }
  // Shows the window and makes it the active one, so that keys reach it; activations asked for earlier come first.
  static void Activate(QWidget* w) { w->show(), QApplication::processEvents(), QApplication::setActiveWindow(w); }

  struct : game::GameLookup {
    bool Found(const std::string&) const override { return there; }
    bool there = true;
  } gameLookup;  // what the game folder check finds
  TempFolder folder;
  ScriptedUi ui;  // an unscripted question is answered Yes
  RecordingStarter starter;
  std::unique_ptr<Form1> form =
      std::make_unique<Form1>(Form1Services{&ui, &starter, &platform::RealFileSystem(), folder.path(), ".", &gameLookup});
  const std::string script = folder.File("go.bat"), patches = folder.File("lmList.dat"), ini = folder.File("config.ini");
};

// However a switch is worked, its box, menu mark and member agree afterwards.
TEST_F(WindowTest, StageSwitchesStayInStepHoweverTheyAreWorked) {
  const std::string steps = "b1b0m1m0s1s1m0s0s0m1b0s1s0";  // click the box, choose the item or set; then the state
  for (const auto& [box, item, member] : {std::tuple{"TerrainCheck", "menuRunTerrain", &RunConfiguration::terrainBoolean},
                                          {"MergeCheck", "menuRunMerge", &RunConfiguration::mergeBoolean},
                                          {"ObjectCheck", "menuRunObject", &RunConfiguration::objectBoolean}}) {
    for (size_t i = 0; i < steps.size(); i += 2) {
      if (steps[i] == 'b') Find<QCheckBox>(box)->click();
      if (steps[i] == 'm') Find<QAction>(item)->trigger();  // through Qt's own flip of the mark
      if (steps[i] == 's') Take([&, m = member](RunConfiguration& c) { c.*m = steps[i + 1] == '1'; });  // the dialog's OK
      EXPECT_EQ(Flags({Find<QCheckBox>(box)->isChecked(), Find<QAction>(item)->isChecked(), Config().*member}),
                QString(3, QLatin1Char(steps[i + 1]))) << box << " step " << i / 2 << ": box, menu mark, member";
    }
  }
}

// Run Lighting writes go.bat and starts it, or says why not; the preview shows what it would write or say.
TEST_F(WindowTest, RunLightingStartsGoBatOrSaysWhyNot) {
  FrmPreview* preview = (form->menuRunPreview_Click(), form->previewWindow());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(preview)->role(), QAccessible::Window) << "announced as a window";
  form->Go_Button_Click();  // nothing set yet
  EXPECT_EQ(form->statusText(), "Error: Incomplete Config. Set Paths or Load Config.");
  const struct { void (*arrange)(WindowTest&); const char *message, *outcome; } cases[] = {
      {[](WindowTest& t) { t.Take([](RunConfiguration& c) { c.modName = "Stormline & del file"; }); }, "Mod Name", "10001"},
      {[](WindowTest& t) { t.starter.failure = "No interpreter."; }, "No interpreter.", "11100"},
      {[](WindowTest& t) { t.gameLookup.there = false, t.ui.answers = {UiServices::Answer::No}; },
       "Stormline.exe was not found in \"C:\\Games\\Stormline\".\nStart the batch lighting anyway?", "10000"}};
  for (const auto& c : cases) {
    TempFolder::Write(script, std::string(300, '@'));  // longer than the new one
    MakeComplete();
    starter = RecordingStarter(), ui.messages.clear();
    c.arrange(*this);
    form->Go_Button_Click();
    ASSERT_EQ(ui.messages.size(), 1u) << c.message;
    const QString told = ui.messages[0].text;
    EXPECT_EQ(Flags({told.contains(QLatin1String(c.message)), TempFolder::Read(script).size() != 300, !starter.started.empty(),
                     form->statusText().startsWith("Running"), preview->scriptText() == told}), c.outcome)
        << c.message << ": told, written, started, running, previewed; told " << told.toStdString();
  }
  EXPECT_EQ(Flags({ui.messages[0].buttons == UiServices::Buttons::YesNo, ui.messages[0].noIsDefault}), "11")
      << "the question offers Yes and No, No the default";
  Take([](RunConfiguration& c) { c.mergeBoolean = true; });
  form->Go_Button_Click();  // the question unscripted, so Yes: it runs as if the game were there
  const std::string written = "@cd C:\\Games\\Stormline\r\n@C:\r\n"
      R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
      R"(+mergeTerrainShadows "stormline\levels\Coast\ 1.5 0.4")" "\r\n";  // go.bat, as its copy started
  EXPECT_EQ(TempFolder::Read(starter.started.at(0)), written + "@del \"%~f0\" & exit /b\r\n");
  EXPECT_EQ(preview->scriptText() + "\n", QString::fromLatin1(written).replace("\r\n", "\n"));
  EXPECT_EQ(preview->folderText(), "Folder: " + QString::fromStdString(folder.path()));
  EXPECT_GT(Find("Script_Text", preview)->height(), preview->height() / 2) << "the script fills the window";
  EXPECT_EQ(form->statusText(), "Running batch lighting... You may exit.");
  form->Timer1_Timer();
  EXPECT_EQ(Flags({form->statusText() == "Ready.", form->timer1().isActive()}), "10") << "Ready, the timer running";
}

// The marked boxes are written where the user says, an existing file only after a Yes; a list read back opens
// the smallest grid size that holds it, and a refused one leaves the grid.
TEST_F(WindowTest, ExportAndImportTheMarkedBoxes) {
  TempFolder::Write(patches, "old");
  MakeComplete();
  Size(1);
  for (const int i : {17, 0, 1}) Grid()->clickBox(i);
  form->lmList_Button_Click();  // nothing scripted: cancelled
  EXPECT_EQ(ui.fileRequests.at(0).filter, "lmList.dat|lmList.dat|All Files (*.*)|*.*");
  EXPECT_EQ(ui.fileRequests.at(0).initialFolder, R"(C:\Games\Stormline\ShadowWork\stormline\levels\Coast\textures)");
  ui.fileAnswers = {QString::fromStdString(patches), QString::fromStdString(patches)};
  ui.answers = {UiServices::Answer::No};
  form->lmList_Button_Click();
  EXPECT_EQ(TempFolder::Read(patches), "old") << "after No";
  form->lmList_Button_Click();
  EXPECT_EQ(TempFolder::Read(patches), std::string("\x00\x00\x01\x00\x01\x01", 6)) << "after Yes";
  const struct { std::string bytes; int size; std::vector<int> marks; } cases[] = {
      {std::string("\x03\x03\x00\x00", 4), 0, {0, 51}}, {std::string("\x0F\x0F\x0B\x00", 4), 3, {11, 255}},
      {std::string("\x01\x02\x03", 3), 3, {11, 255}}};  // refused
  for (const auto& c : cases) {
    TempFolder::Write(patches, c.bytes);
    ui.fileAnswers = {QString::fromStdString(patches)};
    form->menuRunImport_Click();
    EXPECT_EQ(std::pair(Find<QComboBox>("Combo1")->currentIndex(), Marked()), std::pair(c.size, c.marks)) << c.bytes.size();
  }
}

// Each grid size opens its square in the bottom-left corner, dropping the marks outside; the focus stays on its
// box while a smaller grid still holds it; mouse, keys and drags mark enabled boxes only.
TEST_F(WindowTest, TheGridMarksEnabledBoxesOnly) {
  for (const auto& [index, side] : {std::pair{-1, 4}, {1, 8}, {2, 12}, {3, 16}, {0, 4}}) {
    if (index >= 0) Size(index);  // the first as started
    if (index != 0) form->CheckAll_Click();  // the last keeps the marks of the 16 x 16 inside it
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(Flags({Grid()->isBoxEnabled(i), Grid()->value(i)}), i % 16 < side && i / 16 < side ? "11" : "00")
          << side << " box " << i << ": enabled, marked";
  }
  const auto type = [&](std::string_view keys) {  // l, u, r and d: the arrow keys; else Space
    for (const char key : keys)
      QTest::keyClick(Grid(), key == ' ' ? Qt::Key_Space : Qt::Key(Qt::Key_Left + std::string_view("lurd").find(key)));
  };
  for (const auto& [index, keys, current] : {std::tuple{1, "ur", 17}, {3, "uuuu", 0}}) {
    Size(index), type(keys);
    Size(0);
    EXPECT_EQ(Grid()->currentBox(), current) << (current ? "box 17 is in" : "box 81 is out of") << " the 4 x 4";
  }
  form->ClearAll_Click();

  const auto at = [](int i) { return PatchGrid::BoxRect(i).center(); };
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, at(0));
  type("rrrrrr" "ulll d ");  // Right stops at the active area's edge
  EXPECT_EQ(Marked(), std::vector<int>{16}) << "the focus stopped at box 3, and Up moves towards the top row";
  const auto drag = [&](int from, std::vector<int> over) {
    QTest::mousePress(Grid(), Qt::LeftButton, {}, at(from));
    for (const int i : over) QTest::mouseMove(Grid(), at(i));
    QTest::mouseRelease(Grid(), Qt::LeftButton, {}, at(over.back()));
  };
  drag(0, {1, 2, 3, 4, 5});
  EXPECT_EQ(Marked(), (std::vector<int>{0, 1, 2, 3, 16})) << "a drag gives the boxes passed the first box's new state";
  form->ClearAll_Click();
  QTest::mousePress(Grid(), Qt::LeftButton, {}, at(0));  // its release goes to a dialog opened meanwhile
  drag(4 * 16 + 4, {20, 19, 18, 17, 16});  // pressed on a disabled box
  EXPECT_EQ(Marked(), std::vector<int>{}) << "a lost release went on marking";
}

// How many pixels of `image` within `area` pass `test`.
int Count(const QImage& image, QRect area, const std::function<bool(QColor)>& test) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += test(image.pixelColor(x, y));
  return count;
}

// Under each style and a light and a dark palette: the dialog's stage captions stand in one size at larger
// fonts too, none cut short, and a caption that fits is not shrunk; an unchecked stage box shows at 3:1 against
// the window; a mark reaches the grid's pixels (drawn from cached looks).
TEST_F(WindowTest, CaptionsOutlinesAndMarksShow) {
  QWidget* dialog = Open();
  const QString given = QApplication::style()->name();
  for (const QString& name : QStyleFactory::keys()) {
    QApplication::setStyle(name);
    const std::string where = name.toStdString();
    FittingCheckBox roomy(QStringLiteral("Go"), nullptr);
    roomy.setFont(WindowFont(8)), roomy.resize(200, 20);
    EXPECT_EQ(roomy.captionFont().pointSizeF(), 8) << where << ": shrunk though it fits";
    dialog->setFont(WindowFont(10));  // larger than laid out for
    for (const char* stage : {"TerrainCheck", "MergeCheck", "ObjectCheck"}) {
      auto* box = Find<FittingCheckBox>(stage, Find("Frame1", dialog));
      QImage own(box->size(), QImage::Format_ARGB32);  // what the box paints itself, without its background
      own.fill(Qt::transparent);
      box->render(&own, {}, {}, QWidget::RenderFlags());
      // Paint in its last column: the caption is cut short.
      const int cut = Count(own, QRect(own.width() - 1, 0, 1, own.height()), [](QColor c) { return c.alpha() > 0; });
      EXPECT_EQ(Flags({cut == 0, box->captionFont() == In<FittingCheckBox>("TerrainCheck")->captionFont()}), "11")
          << where << " " << stage << ": whole, in the one caption size";
    }
    for (const QPalette& palette : {QApplication::palette(), DarkPalette()}) {
      const std::string scheme = where + " " + palette.window().color().name().toStdString();
      const auto shows = [&](QColor c) { return PatchGrid::Contrast(c, palette.window().color()) >= 3; };
      form->setPalette(palette);  // reaches the stage box and the grid
      const QImage box = Find("TerrainCheck", form->centralWidget())->grab().toImage();
      EXPECT_GT(Count(box, QRect(0, 0, 16, box.height()), shows), 0) << scheme << ": the box does not show";
      EXPECT_GT(Count(Find("Frame1")->grab().toImage(), QRect(12, 0, 30, 10), shows), 0) << scheme << ": no frame caption";
      form->ClearAll_Click();
      const QImage clear = Grid()->grab().toImage();
      EXPECT_GT(Count(clear, PatchGrid::ColumnNumberRect(0), shows), 0) << scheme << ": column 00 is not numbered";
      Grid()->clickBox(17);
      const QImage one = Grid()->grab().toImage();
      for (int i = 0; i < 256; ++i)  // only box 17 changed
        EXPECT_EQ(one.copy(PatchGrid::BoxRect(i)) != clear.copy(PatchGrid::BoxRect(i)), i == 17) << scheme << " box " << i;
    }
  }
  QApplication::setStyle(given);
  EXPECT_EQ(Find("Go_Button")->grab().toImage().pixelColor(8, 8), QColor(0, 255, 0)) << "Run Lighting is green";
}

// The grid's boxes with their names, places, states and action, then its numbers; and its tooltips.
TEST_F(WindowTest, AssistiveTechnologyAndTooltipsTellTheGrid) {
  Activate(form.get());
  QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(Grid());
  ASSERT_EQ(grid->childCount(), 288);
  Grid()->setFocus();
  EXPECT_EQ(grid->focusChild(), grid->child(0)) << "the first box has the focus";
  const struct { int child; const char* name; QRect place; } cases[] = {
      {19, "Column 03, row 01", PatchGrid::BoxRect(19)}, {20, "Column 04, row 01", PatchGrid::BoxRect(20)},
      {272, "00", PatchGrid::RowNumberRect(0)}};
  for (const auto& c : cases) {
    QAccessibleInterface* part = grid->child(c.child);
    EXPECT_EQ(std::pair(part->text(QAccessible::Name), part->rect()),
              std::pair(QString(c.name), QRect(Grid()->mapToGlobal(c.place.topLeft()), c.place.size()))) << c.child;
    if (c.child >= 256) continue;
    part->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Flags({part->state().disabled != 0, part->state().checked != 0}), c.child == 20 ? "10" : "01")
        << c.child << ": disabled, checked; press marks an enabled box only";
  }
  for (const auto& [at, tip] : {std::pair{PatchGrid::BoxRect(255).center(),
                                          "Column 15, row 15 (row 00 is at the bottom)\nOutside the grid size chosen above"},
                                {PatchGrid::ColumnNumberRect(0).center(), "Column 00"}}) {
    QHelpEvent help(QEvent::ToolTip, at, Grid()->mapToGlobal(at));
    QApplication::sendEvent(Grid(), &help);
    EXPECT_EQ(QToolTip::text(), tip);
  }
}

// ---- the paths dialog ----

// A refused OK applies nothing and puts the focus where the typing is to go on; an accepted one (Enter, not
// Escape) hands the fields to the main window and unloads the dialog.
TEST_F(WindowTest, OkRefusesMissingEntriesOrAppliesTheFields) {
  Activate(Open());
  In<QCheckBox>("TerrainCheck")->click();
  for (const auto& [game, level, mod, darkness, focus] :
       {std::tuple{"", "L", "Hyx", "1.5", "GamePath_Text"}, {"C:\\G", "", "", "1.5", "LevelName_Text"},
        {"C:\\G", "L", "", "1.5", "ModName_Text"}, {"C:\\G", "L", "Hyx", "dark", "shadow_Text"}}) {
    Fill(game, level, mod, darkness);
    Press("OKButton");
    EXPECT_TRUE(In<QWidget>(focus)->isAncestorOf(form->pathsDialog()->focusWidget())) << focus;  // itself included
  }
  EXPECT_EQ(ui.messages.size(), 4u) << "each refusal is told";
  EXPECT_EQ(Applied(), "game , level , mod , darkness 1.5, stages 000");
  EXPECT_EQ(In<QComboBox>("ModName_Text")->itemText(2), "Ulm") << "the mods offered";
  Fill(R"(C:\Games\Stormline)", " ", "MyMod", " 2.25 ");
  In<QCheckBox>("ObjectCheck")->click();
  Take([](RunConfiguration& c) { c.mergeBoolean = true; });  // in the main window meanwhile: OK takes it back
  QTest::keyClick(In("LevelName_Text"), Qt::Key_Escape);
  EXPECT_TRUE(form->pathsDialog()->isVisible()) << "Escape answers nothing here";
  QTest::keyClick(In("LevelName_Text"), Qt::Key_Return);  // the default button, OK
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // unloaded
  EXPECT_EQ(form->pathsDialog(), nullptr);
  EXPECT_EQ(Applied(), "game C:\\Games\\Stormline, level  , mod MyMod, darkness 2.25, stages 101");
}

// Enter presses the button that has the focus, and OK only while no other button has it.
TEST_F(WindowTest, EnterPressesTheFocusedButton) {
  for (const auto& [focus, done] : {std::pair{std::vector{"CheckAll"}, "marked 16, shown 1, told 0, applied 0"},
                                    {{"CancelButton"}, "marked 0, shown 0, told 0, applied 0"},
                                    {{"Save"}, "marked 0, shown 1, told 1, applied 0"},  // the name is "(Current)"
                                    {{"Save", "TerrainCheck"}, "marked 0, shown 0, told 0, applied 1"}}) {
    delete form->pathsDialog(), form->ClearAll_Click(), ui.messages.clear();
    Fill((Open(), "C:\\G"), "L", "Hyx", "4");
    for (const char* name : focus) {
      QWidget* target = form->pathsDialog()->findChild<QWidget*>(QLatin1String(name));
      Activate((target = target ? target : Find(name))->window()), target->setFocus();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QStringLiteral("marked %1, shown %2, told %3, applied %4").arg(Marked().size())
                  .arg(form->pathsDialog() && form->pathsDialog()->isVisible()).arg(ui.messages.size())
                  .arg(Config().gamePath == "C:\\G"), done) << focus.back();
  }
}

// Cancel hides the dialog as it is, to be shown again unchanged; Exit unloads it and the about box.
TEST_F(WindowTest, CancelAndExitApplyNothing) {
  PathsDialog* first = Open();
  In<QCheckBox>("MergeCheck")->click();
  Press("CancelButton");
  TempFolder::Write(ini, kStored);  // a load would now list it
  EXPECT_EQ(Open(), first);
  EXPECT_EQ(Flags({In<QCheckBox>("MergeCheck")->isChecked(), In<QComboBox>("SavedSettings")->count() == 1}), "11")
      << "shown again as left, without a load";
  const QPointer<PathsDialog> hidden = (Press("CancelButton"), first);
  const QPointer<FrmAbout> about = (form->menuAbout_Click(), form->aboutBox());
  form->menuFileExit_Click();
  EXPECT_EQ(Flags({hidden.isNull(), about.isNull()}), "11") << "the hidden paths dialog and the about box go with Exit";
  EXPECT_EQ(Applied(), "game , level , mod , darkness 1.5, stages 000");
}

TEST_F(WindowTest, StoredSettingsArePickedSavedAndDeletedInStepWithTheFile) {
  TempFolder::Write(ini, kStored);
  Choose(Find<QComboBox>("SavedSettings", Open()), 1);
  EXPECT_EQ(In("shadow_Text")->text(), "2.5");
  Press("OKButton");
  EXPECT_EQ(Applied(), "game D:\\Stormline, level Dunes, mod Ulm, darkness 2.5, stages 011");
  Open();  // afresh, on what was applied
  for (const char* name : {"(Current)", "Ridge"}) In("SettingName_Text")->setText(name), Press("Save");  // the first refused
  EXPECT_EQ(TempFolder::Read(ini), kStored + "[Save=Ridge]\r\ngamePath=D:\\Stormline\r\nlevelName=Dunes\r\nmodName=Ulm\r\n"
            "terrainBoolean=False\r\nmergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=2.5\r\n");
  EXPECT_EQ(In<QComboBox>("SavedSettings")->itemText(2), "Ridge") << "listed once, after Dunes";
  In("LevelName_Text")->setText("Edited");
  Press("Delete");  // Ridge, chosen in the list
  EXPECT_EQ(std::pair(In<QComboBox>("SavedSettings")->count(), In("LevelName_Text")->text()), std::pair(2, QString("Dunes")))
      << "Ridge gone; (Current) chosen again, with the main window's fields";
  EXPECT_EQ(TempFolder::Read(ini), kStored);
}

// Browse takes the folder that holds the chosen file; a failing file system or a handler that throws is told,
// leaves config.ini as it was, and the dialog goes on.
TEST_F(WindowTest, BrowseAndFailuresInThePathsDialog) {
  MemoryFileSystem failing;
  failing.files[ini] = kStored;
  failing.failAt = 0, failing.persistent = true;  // every read, from the names on
  form = std::make_unique<Form1>(Form1Services{&ui, &starter, &failing, folder.path(), "."});
  ui.fileAnswers = {QStringLiteral(R"(D:\Stormline\Stormline.EXE)")};
  Find<QPushButton>("Path", Open())->click();
  EXPECT_EQ(In("GamePath_Text")->text(), R"(D:\Stormline)");
  In("SettingName_Text")->setText(QStringLiteral("New")), Press("Save");
  ui.failFileDialogs = true, Press("Path");
  for (const auto& [i, told] : {std::pair{0, "config.ini"}, {1, "config.ini was left as it was."}, {2, "not enough memory"}})
    EXPECT_TRUE(ui.messages.at(i).text.contains(QLatin1String(told))) << told;
  EXPECT_EQ(failing.files, (std::map<std::string, std::string>{{ini, kStored}}));
}

// Works the modal window of type T with `act` once it shows, from inside its event loop: looks now and again
// every 10 ms until it is there.
template <typename T>
void WhenShown(const std::function<void(T*)>& act) {
  const QPointer<T> shown = qobject_cast<T*>(QApplication::activeModalWidget());
  QTimer::singleShot(10, [=] { shown ? act(shown) : WhenShown(act); });
}

// The real message box: a question offers Yes and No, with the given default
// taken by Enter; an error offers OK; each is titled with the program's name.
TEST_F(WindowTest, TheRealMessageBoxesOfferTheirButtons) {
  QApplication::setApplicationName(QStringLiteral("StormlineLighting"));
  for (const auto& [buttons, noIsDefault, offered, enter] :
       {std::tuple{UiServices::Buttons::YesNo, true, QMessageBox::Yes | QMessageBox::No, UiServices::Answer::No},
        {UiServices::Buttons::YesNo, false, QMessageBox::Yes | QMessageBox::No, UiServices::Answer::Yes},
        {UiServices::Buttons::Ok, false, QMessageBox::StandardButtons(QMessageBox::Ok), UiServices::Answer::Ok}}) {
    std::pair<QMessageBox::StandardButtons, QString> shown;  // the buttons and the title
    WhenShown<QMessageBox>([&](QMessageBox* box) {
      shown = {box->standardButtons(), box->windowTitle()}, QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(QtUiServices().ShowMessage(form.get(), {"Text", {}, UiServices::Icon::Warning, buttons, noIsDefault}), enter);
    EXPECT_EQ(shown, std::pair(offered, QStringLiteral("StormlineLighting")));
  }
}

// The real file dialog opens in the folder asked for, leaves the overwrite question to the tool, and gives
// nothing when cancelled.
TEST_F(WindowTest, TheRealFileDialogOpensWhereAskedAndGivesNothingOnCancel) {
  QFileDialog dialog;
  QtUiServices::Prepare(dialog, {"lmList.dat|lmList.dat", "lmList.dat", QString::fromStdString(folder.path())},
                        QFileDialog::AcceptSave);
  EXPECT_EQ(dialog.directory().absolutePath(), QDir(QString::fromStdString(folder.path())).absolutePath());
  EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite)) << "the tool asks its own question";
  WhenShown<QWidget>([](QWidget* shown) { shown->close(); });
  EXPECT_EQ(QtUiServices().SaveFileName(form.get(), {"lmList.dat|lmList.dat", "lmList.dat", QString()}), QString());
}

}  // namespace
