// The main window and the paths dialog, on a temporary tool folder with
// scripted dialogs and a starter that only records.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QToolTip>

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

namespace {

const QString kRunning = QStringLiteral("Running batch lighting... You may exit.");
const std::string kStored =
    "[Save=Dunes]\r\ngamePath=D:\\Stormline\r\nlevelName=Dunes\r\nmodName=Ulm\r\n"
    "terrainBoolean=False\r\nmergeBoolean=1\r\nobjectBoolean=tRuE\r\nshadowDarkness=2.50\r\n";

class WindowTest : public testing::Test {
 public:
  WindowTest() {
    form = std::make_unique<Form1>(Form1Services{&ui, &starter, &platform::RealFileSystem(), folder.path(), ".", &gameLookup});
  }
  template <typename T = QWidget>
  T* Find(const char* name, QObject* in = nullptr) const {
    // A renamed control fails the test that looks for it, not the suite.
    T* found = (in ? in : form.get())->findChild<T*>(QLatin1String(name));
    if (!found) throw std::runtime_error(std::string("no control named ") + name);
    return found;
  }
  template <typename T = QLineEdit>
  T* In(const char* name) const { return Find<T>(name, form->pathsDialog()); }  // in the paths dialog
  PatchGrid* Grid() const { return form->patchGrid(); }
  std::vector<int> Marked() const {
    std::vector<int> marked;
    for (int i = 0; i < 256; ++i) if (Grid()->value(i)) marked.push_back(i);
    return marked;
  }
  QStringList Items(const char* list) const {
    QStringList items;
    for (int i = 0; i < In<QComboBox>(list)->count(); ++i) items << In<QComboBox>(list)->itemText(i);
    return items;
  }
  // A choice in a list as the user makes it.
  static void Choose(QComboBox* list, int index) { list->setCurrentIndex(index); emit list->activated(index); }
  // Changes the main window's run configuration as the paths dialog's OK does.
  void Take(const std::function<void(RunConfiguration&)>& change) {
    RunConfiguration config = form->runConfiguration();
    change(config);
    form->TakeRunConfiguration(config);
  }
  void MakeComplete() {
    Take([](RunConfiguration& c) { c.gamePath = R"(C:\Games\Stormline)", c.levelName = "Coast", c.modName = "Stormline"; });
  }
  const RunConfiguration& Config() const { return form->runConfiguration(); }
  PathsDialog* Open() { return form->menuFilePaths_Click(), form->pathsDialog(); }
  void Fill(const char* game, const char* level, const char* mod, const char* darkness) const {
    In("GamePath_Text")->setText(QString::fromUtf8(game));
    In("LevelName_Text")->setText(QString::fromUtf8(level));
    In<QComboBox>("ModName_Text")->setEditText(QString::fromUtf8(mod));
    In("shadow_Text")->setText(QString::fromUtf8(darkness));
  }
  void Press(const char* name) const { In<QPushButton>(name)->click(); }
  // Shows the window and makes it the active one, so that keys reach it.
  static void Activate(QWidget* window) {
    window->show();
    QApplication::processEvents();  // activations asked for earlier come first
    QApplication::setActiveWindow(window);
  }

  struct : game::GameLookup {
    bool Found(const std::string&) const override { return there; }
    bool there = true;
  } gameLookup;  // what the game folder check finds
  TempFolder folder;
  ScriptedUi ui;
  RecordingStarter starter;
  std::unique_ptr<Form1> form;
  const std::string script = folder.File("go.bat"), patches = folder.File("lmList.dat"), ini = folder.File("config.ini");
};

// However a switch is worked, its box, menu mark and member agree afterwards.
TEST_F(WindowTest, StageSwitchesStayInStepHoweverTheyAreWorked) {
  const struct { const char *box, *item; bool RunConfiguration::*member; } stages[] = {
      {"TerrainCheck", "menuRunTerrain", &RunConfiguration::terrainBoolean},
      {"MergeCheck", "menuRunMerge", &RunConfiguration::mergeBoolean},
      {"ObjectCheck", "menuRunObject", &RunConfiguration::objectBoolean}};
  const std::string steps = "b1b0m1m0s1s1m0s0s0m1b0s1s0";  // click the box, choose the item or set; then the state
  for (const auto& stage : stages) {
    for (size_t i = 0; i < steps.size(); i += 2) {
      const bool on = steps[i + 1] == '1';
      if (steps[i] == 'b') Find<QCheckBox>(stage.box)->click();
      if (steps[i] == 'm') Find<QAction>(stage.item)->trigger();  // through Qt's own flip of the mark
      if (steps[i] == 's') Take([&](RunConfiguration& c) { c.*stage.member = on; });  // the paths dialog's OK
      EXPECT_TRUE(Find<QCheckBox>(stage.box)->isChecked() == on) << stage.box << " step " << i / 2;
      EXPECT_TRUE(Find<QAction>(stage.item)->isChecked() == on) << stage.box << " step " << i / 2;
      EXPECT_TRUE(Config().*stage.member == on) << stage.box << " step " << i / 2;
    }
  }
}

// Run Lighting writes go.bat and starts it, or says why not; the preview shows what it would write or say.
TEST_F(WindowTest, RunLightingStartsGoBatOrSaysWhyNot) {
  FrmPreview* preview = (form->menuRunPreview_Click(), form->previewWindow());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(preview)->role(), QAccessible::Window) << "screen readers see a pane";
  form->Go_Button_Click();  // nothing set yet
  EXPECT_EQ(form->statusText(), "Error: Incomplete Config. Set Paths or Load Config.");
  EXPECT_TRUE(preview->scriptText() == form->statusText());
  EXPECT_TRUE(form->timer1().isActive());
  EXPECT_TRUE(starter.started.empty());
  const struct { void (*arrange)(WindowTest&); const char* message; bool written, started, previewed; } cases[] = {
      {[](WindowTest& t) { t.Take([](RunConfiguration& c) { c.modName = "Stormline & del file"; }); }, "Mod Name", false, false, true},
      {[](WindowTest& t) { t.starter.failure = "No interpreter."; }, "No interpreter.", true, true, false},
      {[](WindowTest& t) { t.gameLookup.there = false, t.ui.answers = {UiServices::Answer::No}; },
       "Stormline.exe was not found in \"C:\\Games\\Stormline\".\nStart the batch lighting anyway?", false, false, false}};
  for (const auto& c : cases) {
    TempFolder::Write(script, std::string(300, '@'));  // longer than the new one
    MakeComplete();
    starter = RecordingStarter();
    ui.messages.clear();
    c.arrange(*this);
    form->Go_Button_Click();
    ASSERT_EQ(ui.messages.size(), 1u) << c.message;
    EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String(c.message))) << c.message;
    EXPECT_TRUE(form->statusText() != kRunning) << c.message;
    EXPECT_TRUE(starter.started.size() == c.started) << c.message;
    EXPECT_TRUE((TempFolder::Read(script).size() != 300) == c.written) << c.message;
    EXPECT_TRUE((preview->scriptText() == ui.messages[0].text) == c.previewed) << c.message;
  }
  // The question's safe answer is No; Yes runs as if the game were there.
  EXPECT_TRUE(ui.messages[0].noIsDefault);
  EXPECT_TRUE(ui.messages[0].buttons == UiServices::Buttons::YesNo);
  ui.answers = {UiServices::Answer::Yes};
  Take([](RunConfiguration& c) { c.mergeBoolean = true; });
  form->Go_Button_Click();
  EXPECT_EQ(TempFolder::Read(script),
            "@cd C:\\Games\\Stormline\r\n@C:\r\n"
            R"("C:\Games\Stormline\Stormline.exe" +game Stormline +workingFolder "C:\Games\Stormline\ShadowWork\" )"
            R"(+mergeTerrainShadows "stormline\levels\Coast\ 1.5 0.4")" "\r\n");
  EXPECT_EQ(preview->scriptText() + "\n", QString::fromLatin1(TempFolder::Read(script)).replace("\r\n", "\n"));
  EXPECT_EQ(preview->folderText(), QStringLiteral("Folder: ") + QString::fromStdString(folder.path()));
  preview->show();
  EXPECT_GT(preview->findChild<QWidget*>(QStringLiteral("Script_Text"))->height(), preview->height() / 2) << "the script fills the window";
  ASSERT_EQ(starter.started.size(), 1u);
  EXPECT_EQ(TempFolder::Read(starter.started[0]), TempFolder::Read(script) + "@del \"%~f0\" & exit /b\r\n");
  EXPECT_TRUE(form->statusText() == kRunning);
  EXPECT_TRUE(form->timer1().isActive());
  form->Timer1_Timer();
  EXPECT_TRUE(form->statusText() == "Ready.");
  EXPECT_TRUE(!form->timer1().isActive());
}

// The marked boxes are written where the user says, an existing file only after a Yes; a list read back opens
// the smallest grid size that holds it, and a refused one is named and leaves the grid.
TEST_F(WindowTest, ExportAndImportTheMarkedBoxes) {
  TempFolder::Write(patches, "old");
  MakeComplete();
  Choose(Find<QComboBox>("Combo1"), 1);
  for (const int i : {17, 0, 1}) Grid()->clickBox(i);
  form->lmList_Button_Click();  // nothing scripted: cancelled
  EXPECT_TRUE(ui.fileRequests.size() == 1);
  EXPECT_TRUE(ui.fileRequests[0].filter == "lmList.dat|lmList.dat|All Files (*.*)|*.*");
  EXPECT_TRUE(ui.fileRequests[0].initialFolder == R"(C:\Games\Stormline\ShadowWork\stormline\levels\Coast\textures)");
  EXPECT_TRUE(ui.fileRequests[0].fileName == "lmList.dat");
  EXPECT_TRUE(form->statusText() == "Save Cancled.");
  ui.fileAnswers = {QString::fromStdString(patches), QString::fromStdString(patches)};
  ui.answers = {UiServices::Answer::No, UiServices::Answer::Yes};
  form->lmList_Button_Click();
  EXPECT_TRUE(ui.messages.size() == 1) << "No shows nothing more";
  EXPECT_TRUE(ui.messages[0].text == "File Exists, Do you want to overwrite?") << "No shows nothing more";
  EXPECT_TRUE(TempFolder::Read(patches) == "old") << "No shows nothing more";
  EXPECT_TRUE(form->statusText() == "Preparing to Save...") << "No shows nothing more";
  form->lmList_Button_Click();
  EXPECT_TRUE(TempFolder::Read(patches) == std::string("\x00\x00\x01\x00\x01\x01", 6));
  EXPECT_TRUE(form->statusText() == "Saved!");
  ui.fileAnswers = {QString::fromStdString(platform::JoinPath(folder.File("no such folder"), "lmList.dat"))};
  form->lmList_Button_Click();
  EXPECT_TRUE(ui.messages.size() == 3) << "no question for a new file, but the failure";
  EXPECT_TRUE(ui.messages[2].text.contains(QLatin1String("no such folder"))) << "no question for a new file, but the failure";
  EXPECT_TRUE(form->statusText() == "Ready.") << "no question for a new file, but the failure";

  const struct { std::string bytes; int size; std::vector<int> marks; } cases[] = {
      {std::string("\x03\x03\x00\x00", 4), 0, {0, 51}}, {std::string("\x0F\x0F\x0B\x00", 4), 3, {11, 255}},
      {std::string("\x01\x02\x03", 3), 3, {11, 255}}};
  for (const auto& c : cases) {
    TempFolder::Write(patches, c.bytes);
    ui.fileAnswers = {QString::fromStdString(patches)};
    form->menuRunImport_Click();
    EXPECT_TRUE(Find<QComboBox>("Combo1")->currentIndex() == c.size);
    EXPECT_TRUE(Marked() == c.marks);
    EXPECT_TRUE(form->statusText() == "Loaded!");
  }
  EXPECT_TRUE(ui.messages.size() == 4);
  EXPECT_TRUE(ui.messages[3].text.contains(QString::fromStdString(patches)));
  form->menuRunImport_Click();  // cancelled
  EXPECT_TRUE(form->statusText() == "Load Cancelled.");
  EXPECT_TRUE(Marked() == (std::vector<int>{11, 255}));
}

// Each grid size opens its square in the bottom-left corner, keeping the marks inside; mouse, keys and drags
// mark enabled boxes only.
TEST_F(WindowTest, TheGridMarksEnabledBoxesOnly) {
  for (const auto& [index, side] : {std::pair{-1, 4}, {1, 8}, {2, 12}, {3, 16}, {0, 4}}) {
    if (index >= 0) Choose(Find<QComboBox>("Combo1"), index);  // the first as started
    form->CheckAll_Click();
    for (int i = 0; i < 256; ++i) {
      const bool inside = i % 16 < side && i / 16 < side;
      ASSERT_TRUE(Grid()->isBoxEnabled(i) == inside && Grid()->value(i) == inside) << side << " box " << i;
    }
    form->ClearAll_Click();
    EXPECT_TRUE(Marked().empty());
  }
  Choose(Find<QComboBox>("Combo1"), 1);
  for (const int i : {0, 3, 51, 4, 64, 119}) Grid()->clickBox(i);  // 51 = (3,3), 119 = (7,7)
  Choose(Find<QComboBox>("Combo1"), 0);
  EXPECT_EQ(Marked(), (std::vector<int>{0, 3, 51})) << "the marks outside a smaller size drop";
  form->ClearAll_Click();

  const auto at = [](int i) { return PatchGrid::BoxRect(i).center(); };
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, at(4 * 16 + 4));  // outside 4x4
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, at(0));
  for (int step = 0; step < 6; ++step) QTest::keyClick(Grid(), Qt::Key_Right);  // stops at the active area's edge
  for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Space, Qt::Key_Down, Qt::Key_Space})
    QTest::keyClick(Grid(), key);
  EXPECT_EQ(Marked(), std::vector<int>{16}) << "the focus stopped at box 3, and Up moves towards the top row";
  const auto drag = [&](int from, std::vector<int> over) {
    QTest::mousePress(Grid(), Qt::LeftButton, {}, at(from));
    for (const int i : over) {
      QMouseEvent move(QEvent::MouseMove, at(i), Grid()->mapToGlobal(at(i)), Qt::NoButton, Qt::LeftButton, {});
      QApplication::sendEvent(Grid(), &move);
    }
    QTest::mouseRelease(Grid(), Qt::LeftButton, {}, at(over.back()));
  };
  drag(0, {1, 2, 3, 4, 5});
  EXPECT_EQ(Marked(), (std::vector<int>{0, 1, 2, 3, 16})) << "a drag gives the boxes passed the first box's new state";
  form->ClearAll_Click();
  // A release that went to a dialog opened meanwhile: the next press, on a
  // disabled box, starts nothing.
  QTest::mousePress(Grid(), Qt::LeftButton, {}, at(0));
  drag(4 * 16 + 4, {20, 19, 18, 17, 16});
  EXPECT_EQ(Marked(), std::vector<int>{}) << "a lost release went on marking";
  const QPoint origin = Grid()->mapTo(form->centralWidget(), QPoint(0, 0));
  EXPECT_EQ(PatchGrid::BoxRect(0).translated(origin), QRect(15, 374, 16, 16));
  EXPECT_EQ(PatchGrid::BoxRect(255).translated(origin), QRect(315, 74, 15, 16)) << "column 15 ends at the edge";
}

// The first and last columns a widget inks itself within `area`, without its children or background.
std::pair<int, int> Ink(QWidget* widget, QRect area = {}) {
  QImage own(widget->size(), QImage::Format_ARGB32);
  own.fill(Qt::transparent);
  widget->render(&own, {}, {}, QWidget::RenderFlags());
  int first = own.width(), last = -1;
  if (area.isNull()) area = own.rect();
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (qAlpha(own.pixel(x, y))) first = std::min(first, x), last = std::max(last, x);
    }
  }
  return {first, last};
}

// Under each style and a light and a dark palette: a frame's border runs level with the middle of its caption,
// never through the controls inside; the dialog's stage captions keep 4 px apart at larger fonts too, none cut
// short; a mark reaches the grid's pixels (drawn from cached looks), an enabled box differs from a disabled one
// at 3:1 somewhere, and the keyboard focus is a ring at 3:1 against the window.
TEST_F(WindowTest, FramesCaptionsMarksAndTheFocusShow) {
  Activate(form.get());
  QWidget* dialog = Open();
  const QRect on = PatchGrid::BoxRect(17), off = PatchGrid::BoxRect(5 * 16 + 5);
  const QString given = QApplication::style()->name();
  for (const QString& name : QStyleFactory::keys()) {
    QApplication::setStyle(name);
    const std::string where = name.toStdString();
    for (QWidget* frame : {Find("Frame1", form->centralWidget()), Find("Frame2"), Find("Frame1", dialog)}) {
      for (QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_EQ(Ink(frame, control->geometry()).second, -1) << where << " " << control->objectName().toStdString();
      EXPECT_NE(Ink(frame, QRect(frame->width() - 20, frame->fontMetrics().height() / 2, 1, 1)).second, -1) << where;
    }
    FittingCheckBox roomy(QStringLiteral("Go"), nullptr);
    roomy.setFont(WindowFont(8));
    roomy.resize(200, 20);
    EXPECT_EQ(roomy.captionFont().pointSizeF(), 8) << where << ": shrunk though it fits";
    dialog->setFont(WindowFont(10));  // larger than laid out for
    int inkEnd = -100;
    for (QWidget* box : {In<QWidget>("TerrainCheck"), In<QWidget>("MergeCheck"), In<QWidget>("ObjectCheck")}) {
      const auto [first, last] = Ink(box);
      EXPECT_TRUE(last < box->width() - 1)
          << where << " " << box->objectName().toStdString() << " is cut short or too near the one before";
      EXPECT_TRUE(box->x() + first - inkEnd - 1 >= 4)
          << where << " " << box->objectName().toStdString() << " is cut short or too near the one before";
      inkEnd = box->x() + last;
    }
    const QFont caption = In<FittingCheckBox>("TerrainCheck")->captionFont();
    EXPECT_TRUE(In<FittingCheckBox>("MergeCheck")->captionFont() == caption) << where << ": captions in two sizes";
    EXPECT_TRUE(In<FittingCheckBox>("ObjectCheck")->captionFont() == caption) << where << ": captions in two sizes";
    for (const QPalette& palette : {QApplication::palette(), DarkPalette()}) {
      // An unchecked stage box shows against the window, as the grid's boxes do.
      QWidget* stage = Find("TerrainCheck", form->centralWidget());
      stage->setPalette(palette);
      const QImage box = stage->grab().toImage();
      double outline = 1;
      for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < 16 && x < box.width(); ++x) outline = std::max(outline, PatchGrid::Contrast(box.pixelColor(x, y), palette.window().color()));
      EXPECT_GE(outline, 3) << where << " " << palette.window().color().name().toStdString();
      Grid()->setPalette(palette);
      form->setFocus();
      form->ClearAll_Click();
      const QImage clear = Grid()->grab().toImage();
      Grid()->clickBox(17);
      const QImage one = Grid()->grab().toImage();
      for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(one.copy(PatchGrid::BoxRect(i)) != clear.copy(PatchGrid::BoxRect(i)), i == 17) << where << " box " << i;
      }
      Grid()->setFocus();
      const QImage focused = Grid()->grab().toImage();
      double apart = 1;
      int ring = 0;
      for (int y = on.top() - 3; y <= on.bottom() + 3; ++y) {
        for (int x = on.left() - 3; x <= on.right() + 3; ++x) {
          const QPoint p(x, y), same = p - on.topLeft() + off.topLeft();
          if (on.contains(p)) apart = std::max(apart, PatchGrid::Contrast(clear.pixelColor(p), clear.pixelColor(same)));
          ring += focused.pixel(p) != one.pixel(p) && PatchGrid::Contrast(focused.pixelColor(p), palette.window().color()) >= 3;
        }
      }
      EXPECT_TRUE(apart >= 3) << where << " " << palette.window().color().name().toStdString();
      EXPECT_TRUE(ring >= 100) << where << " " << palette.window().color().name().toStdString();
    }
  }
  QApplication::setStyle(given);
  for (QWidget* control : form->centralWidget()->findChildren<QWidget*>()) {
    EXPECT_TRUE(form->centralWidget()->rect().contains(QRect(control->mapTo(form->centralWidget(), QPoint()), control->size())))
        << control->objectName().toStdString() << " overhangs";
  }
}

// The grid's boxes with their names, places, states and action, then its numbers; and tooltips.
TEST_F(WindowTest, AssistiveTechnologyAndTooltipsTellTheGrid) {
  Activate(form.get());
  QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(Grid());
  ASSERT_EQ(grid->childCount(), 288);
  Grid()->setFocus();
  EXPECT_TRUE(grid->focusChild() == grid->child(0)) << "the first box has the focus";
  EXPECT_TRUE(grid->child(0)->state().focused) << "the first box has the focus";
  const struct { int child; const char* name; QRect place; } cases[] = {
      {19, "Column 03, row 01", PatchGrid::BoxRect(19)}, {20, "Column 04, row 01", PatchGrid::BoxRect(20)},
      {272, "00", PatchGrid::RowNumberRect(0)}};
  for (const auto& c : cases) {
    QAccessibleInterface* part = grid->child(c.child);
    const QRect place(Grid()->mapToGlobal(c.place.topLeft()), c.place.size());
    EXPECT_TRUE(part->text(QAccessible::Name) == c.name) << c.child;
    EXPECT_TRUE(part->parent() == grid) << c.child;
    EXPECT_TRUE(grid->indexOfChild(part) == c.child) << c.child;
    EXPECT_TRUE(part->rect() == place) << c.child;
    EXPECT_TRUE(grid->childAt(place.center().x(), place.center().y()) == part) << c.child;
    if (c.child >= 256) continue;
    part->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(part->state().disabled == (c.child == 20))
        << c.child << ": press marks an enabled box only";
    EXPECT_TRUE(part->state().checked == (c.child == 19))
        << c.child << ": press marks an enabled box only";
  }
  QTest::keyClick(Grid(), Qt::Key_Left);
  EXPECT_EQ(grid->focusChild(), grid->child(18)) << "the focus follows the press and the arrow key";

  const auto tip = [](QWidget* widget, QPoint point) {
    QHelpEvent event(QEvent::ToolTip, point, widget->mapToGlobal(point));
    QApplication::sendEvent(widget, &event);
    return QToolTip::isVisible() ? QToolTip::text() : widget->toolTip();
  };
  EXPECT_EQ(tip(Grid(), PatchGrid::BoxRect(255).center()),
            "Column 15, row 15 (row 00 is at the bottom)\nOutside the grid size chosen above");
  EXPECT_EQ(tip(Find("Go_Button"), {5, 5}),
            "The configuration is incomplete: set the game folder, level and mod with File, Set Paths.");
  MakeComplete();
  EXPECT_EQ(tip(Find("Go_Button"), {5, 5}),
            "Runs the lighting with\nGame folder: C:\\Games\\Stormline\nLevel: Coast\nMod: Stormline\nShadow darkness: 1.5");
}

// ---- the paths dialog ----

// A refused OK applies nothing and puts the focus where the typing is to go on; an accepted one hands the
// fields to the main window and unloads the dialog.
TEST_F(WindowTest, OkRefusesMissingEntriesOrAppliesTheFields) {
  const struct { const char *game, *level, *mod, *darkness, *focus; } cases[] = {
      {"", "L", "Hyx", "1.5", "GamePath_Text"}, {"C:\\G", "", "", "1.5", "LevelName_Text"},
      {"C:\\G", "L", "", "1.5", "ModName_Text"}, {"C:\\G", "L", "Hyx", "dark", "shadow_Text"}};
  Activate(form.get());
  Activate(Open());
  In<QCheckBox>("TerrainCheck")->click();
  for (const auto& c : cases) {
    Fill(c.game, c.level, c.mod, c.darkness);
    Press("OKButton");
    EXPECT_EQ(ui.messages.back().text, *c.darkness == 'd' ? "Please enter a number for Shadow Darkness."
                                                           : "Please complete all entries.");
    QWidget* focus = form->pathsDialog()->focusWidget();
    EXPECT_TRUE(focus == In<QWidget>(c.focus) || In<QWidget>(c.focus)->isAncestorOf(focus)) << c.focus;
    EXPECT_TRUE(form->pathsDialog()->isVisible());
    EXPECT_TRUE(Config().gamePath.empty());
    EXPECT_TRUE(!Config().terrainBoolean);
  }
  EXPECT_EQ(Items("ModName_Text"), (QStringList{"Stormline", "Hyx", "Ulm"}));
  Fill(R"(C:\Games\Stormline)", " ", "MyMod", " 2.25 ");
  In<QCheckBox>("ObjectCheck")->click();
  Take([](RunConfiguration& c) { c.mergeBoolean = true; });  // in the main window meanwhile: OK takes it back
  Press("OKButton");
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // unloaded
  EXPECT_TRUE(!form->pathsDialog());
  EXPECT_TRUE(Config().gamePath == R"(C:\Games\Stormline)");
  EXPECT_TRUE(Config().levelName == " ");
  EXPECT_TRUE(Config().modName == "MyMod");
  EXPECT_TRUE(Config().shadowDarkness == 2.25);
  EXPECT_TRUE(Config().terrainBoolean);
  EXPECT_TRUE(Config().objectBoolean);
  EXPECT_TRUE(!Config().mergeBoolean);
  EXPECT_FALSE(TempFolder::Exists(ini)) << "OK stores nothing";
  Open();  // loaded afresh with what was applied
  EXPECT_TRUE(In("GamePath_Text")->text() == R"(C:\Games\Stormline)");
  EXPECT_TRUE(In("shadow_Text")->text() == "2.25");
  EXPECT_TRUE(In<QCheckBox>("TerrainCheck")->isChecked());
  EXPECT_TRUE(In<QCheckBox>("ObjectCheck")->isChecked());
}

// Cancel hides the dialog as it is, to be shown again unchanged; the close box and Exit unload it.
TEST_F(WindowTest, CancelTheCloseBoxAndExitApplyNothing) {
  PathsDialog* first = Open();
  Fill("X:\\Typed", "Typed", "Hyx", "3");
  In<QCheckBox>("MergeCheck")->click();
  Press("CancelButton");
  EXPECT_FALSE(first->isVisible());
  TempFolder::Write(ini, kStored);  // a load would now list it
  EXPECT_EQ(Open(), first);
  EXPECT_TRUE(In("GamePath_Text")->text() == "X:\\Typed") << "shown again without a load";
  EXPECT_TRUE(In<QCheckBox>("MergeCheck")->isChecked()) << "shown again without a load";
  EXPECT_TRUE(Items("SavedSettings") == QStringList{"(Current)"}) << "shown again without a load";
  first->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(form->pathsDialog(), nullptr);
  QPointer<PathsDialog> hidden = Open();
  Press("CancelButton");
  form->menuAbout_Click();
  QPointer<FrmAbout> about = form->aboutBox();
  form->menuFileExit_Click();
  EXPECT_TRUE(!hidden);
  EXPECT_TRUE(!about);
  EXPECT_TRUE(!form->isVisible());
  EXPECT_TRUE(Config().gamePath.empty());
  EXPECT_TRUE(!Config().mergeBoolean);
}

TEST_F(WindowTest, StoredSettingsArePickedSavedAndDeletedInStepWithTheFile) {
  TempFolder::Write(ini, kStored);
  Open();
  Choose(In<QComboBox>("SavedSettings"), 1);
  EXPECT_TRUE(In("SettingName_Text")->text() == "Dunes");
  EXPECT_TRUE(In("GamePath_Text")->text() == "D:\\Stormline");
  EXPECT_TRUE(In<QComboBox>("ModName_Text")->currentText() == "Ulm");
  EXPECT_TRUE(In("shadow_Text")->text() == "2.5");
  Press("OKButton");
  EXPECT_TRUE(Config().levelName == "Dunes");
  EXPECT_TRUE(Config().shadowDarkness == 2.5);
  EXPECT_TRUE(Config().mergeBoolean);
  EXPECT_TRUE(Config().objectBoolean);
  Open();  // afresh, on what was applied
  for (const char* name : {"(Current)", "Ridge"}) {
    In("SettingName_Text")->setText(QLatin1String(name));
    Press("Save");
  }
  EXPECT_TRUE(ui.messages.size() == 1);
  EXPECT_TRUE(ui.messages[0].text == "Please give the Config a name.");
  EXPECT_EQ(TempFolder::Read(ini), kStored + "[Save=Ridge]\r\ngamePath=D:\\Stormline\r\nlevelName=Dunes\r\nmodName=Ulm\r\n"
            "terrainBoolean=False\r\nmergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=2.5\r\n");
  EXPECT_EQ(Items("SavedSettings"), (QStringList{"(Current)", "Dunes", "Ridge"}));
  In("SettingName_Text")->setText(QStringLiteral("Something else"));
  Press("Delete");  // Ridge, chosen in the list
  EXPECT_TRUE(Items("SavedSettings").size() == 2);
  EXPECT_TRUE(TempFolder::Read(ini) == kStored);
  EXPECT_TRUE(In("SettingName_Text")->text() == "Something else");
}

// Browse takes the folder that holds the chosen file; a failing file system or a handler that throws is told,
// leaves config.ini as it was, and the dialog goes on.
TEST_F(WindowTest, BrowseAndFailuresInThePathsDialog) {
  MemoryFileSystem failing;
  failing.files[ini] = kStored;
  failing.failAt = 0;  // every read, from the names on
  failing.persistent = true;
  form = std::make_unique<Form1>(Form1Services{&ui, &starter, &failing, folder.path(), "."});
  Open();
  for (const auto& [chosen, field] : {std::pair{R"(D:\Stormline\stormline.exe)", R"(D:\Stormline)"},
                                      {"", R"(D:\Stormline)"}, {R"(C:\stormline.exe)", "C:"}}) {
    if (*chosen) ui.fileAnswers = {QString::fromUtf8(chosen)};  // else cancelled
    Press("Path");
    EXPECT_EQ(In("GamePath_Text")->text(), field);
  }
  EXPECT_TRUE(ui.fileRequests[0].filter == "Stormline|stormline.exe");
  EXPECT_TRUE(ui.fileRequests[0].fileName == "stormline.exe");
  In("SettingName_Text")->setText(QStringLiteral("New"));
  Press("Save");
  ui.failFileDialogs = true;
  Press("Path");
  EXPECT_TRUE(ui.messages.size() == 3);
  EXPECT_TRUE(ui.messages[0].text.contains(QLatin1String("config.ini")));
  EXPECT_TRUE(ui.messages[1].text.contains(QLatin1String("config.ini was left as it was.")));
  EXPECT_TRUE(ui.messages[2].text.contains(QLatin1String("not enough memory")));
  EXPECT_TRUE(failing.files.at(ini) == kStored);
  EXPECT_TRUE(failing.files.size() == 1);
  EXPECT_TRUE(form->pathsDialog()->isVisible());
}

// Enter presses the focused button, or else the default one (OK in the paths dialog); Escape does nothing
// there; an arrow key picks a stored setting as a click does.
TEST_F(WindowTest, KeysReachTheirControls) {
  const auto shown = [&] { return form->pathsDialog() && form->pathsDialog()->isVisible(); };
  const auto applied = [&] { return Config().gamePath == "C:\\G"; };
  const struct { std::vector<const char*> focus; Qt::Key key; std::function<bool()> done; } cases[] = {
      {{"CheckAll"}, Qt::Key_Return, [&] { return Marked().size() == 16; }},
      {{"LevelName_Text"}, Qt::Key_Escape, [&] { return shown() && !applied(); }},
      {{"LevelName_Text"}, Qt::Key_Return, [&] { return !shown() && applied(); }},
      {{"CancelButton"}, Qt::Key_Return, [&] { return !shown() && !applied(); }},
      {{"Save"}, Qt::Key_Return, [&] { return shown() && ui.messages.size() == 1; }},  // the name is "(Current)"
      {{"Save", "TerrainCheck"}, Qt::Key_Return, [&] { return applied(); }},
      {{"SavedSettings"}, Qt::Key_Down, [&] { return In("LevelName_Text")->text() == "Dunes"; }}};
  for (const auto& c : cases) {
    delete form->pathsDialog();
    Take([](RunConfiguration& config) { config.gamePath.clear(); });
    TempFolder::Write(ini, kStored);
    Open();
    Fill("C:\\G", "L", "Hyx", "4");
    for (const char* name : c.focus) {
      QWidget* target = form->pathsDialog()->findChild<QWidget*>(QLatin1String(name));
      if (!target) target = Find(name);  // in the main window
      Activate(target->window());
      target->setFocus();
    }
    QTest::keyClick(QApplication::focusWidget(), c.key);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(c.done()) << c.focus.back() << " " << c.key;
  }
}

// The real message box: a question offers Yes and No, with the given default
// taken by Enter; an error offers OK; each is titled with the program's name.
TEST_F(WindowTest, TheRealMessageBoxesOfferTheirButtons) {
  QtUiServices real;
  QApplication::setApplicationName(QStringLiteral("StormlineLighting"));
  const struct { UiServices::Buttons buttons; bool noIsDefault; QMessageBox::StandardButtons offered; UiServices::Answer enter; } cases[] = {
      {UiServices::Buttons::YesNo, true, QMessageBox::Yes | QMessageBox::No, UiServices::Answer::No},
      {UiServices::Buttons::YesNo, false, QMessageBox::Yes | QMessageBox::No, UiServices::Answer::Yes},
      {UiServices::Buttons::Ok, false, QMessageBox::Ok, UiServices::Answer::Ok}};
  for (const auto& c : cases) {
    QMessageBox::StandardButtons offered;
    QString title;
    std::function<void()> answer = [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return QTimer::singleShot(10, answer);  // not shown yet
      offered = box->standardButtons(), title = box->windowTitle();
      QTest::keyClick(box, Qt::Key_Return);
    };
    QTimer::singleShot(0, answer);
    UiServices::Message message{QStringLiteral("Text"), QString(), UiServices::Icon::Warning, c.buttons};
    message.noIsDefault = c.noIsDefault;
    EXPECT_EQ(real.ShowMessage(form.get(), message), c.enter);
    EXPECT_EQ(offered, c.offered);
    EXPECT_EQ(title, "StormlineLighting");
  }
}

// The focus ring stays on its box while a smaller grid still holds it and
// goes to box 0 where it does not.
TEST_F(WindowTest, TheGridKeepsItsFocusWhereItCan) {
  Activate(form.get());
  Grid()->setFocus();
  Choose(Find<QComboBox>("Combo1"), 1);  // 8 x 8
  for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Right}) QTest::keyClick(Grid(), key);
  Choose(Find<QComboBox>("Combo1"), 0);  // 4 x 4 still holds box 17
  EXPECT_EQ(Grid()->currentBox(), 17);
  Choose(Find<QComboBox>("Combo1"), 3);
  for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}) QTest::keyClick(Grid(), key);
  Choose(Find<QComboBox>("Combo1"), 0);  // box 81 is out of the 4 x 4
  EXPECT_EQ(Grid()->currentBox(), 0);
}

}  // namespace
