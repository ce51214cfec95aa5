#include "main_window/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <functional>

#include "game/game_interface.h"
#include "main_window/app_icon.h"
#include "main_window/colour_button.h"
#include "main_window/controls.h"
#include "main_window/frame.h"
#include "main_window/frm_about.h"
#include "main_window/frm_preview.h"
#include "main_window/go_batch.h"
#include "main_window/guarded.h"
#include "main_window/lighting_run.h"
#include "main_window/patch_grid.h"
#include "main_window/twips.h"
#include "main_window/window_font.h"
#include "paths_dialog/paths_dialog.h"
#include "platform/number_text.h"
#include "platform/wine_folder.h"

namespace {

const QString kReady = QStringLiteral("Ready.");

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// Makes a widget's tooltip afresh whenever it is about to be shown or the
// widget takes the focus (where a screen reader reads it).
class LiveToolTip : public QObject {
 public:
  LiveToolTip(QWidget* widget, std::function<QString()> text) : QObject(widget), text_(std::move(text)) {
    widget->installEventFilter(this);
    widget->setToolTip(text_());
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip || event->type() == QEvent::FocusIn) {
      static_cast<QWidget*>(watched)->setToolTip(text_());
    }
    return false;
  }

 private:
  std::function<QString()> text_;
};

// What Run Lighting would use, or why it would refuse.
QString RunToolTip(const RunConfiguration& config, const std::string& separator) {
  if (!go_batch::IsComplete(config)) {
    return QStringLiteral("The configuration is incomplete: set the game folder, level and mod with File, Set Paths.");
  }
  return QStringLiteral("Runs the lighting with\nGame folder: %1\nLevel: %2\nMod: %3\nShadow darkness: %4")
      .arg(FromUtf8(config.gamePath), FromUtf8(config.levelName), FromUtf8(config.modName),
           FromUtf8(platform::NumberToText(config.shadowDarkness, separator)));
}

}  // namespace

Form1::Form1(Form1Services services, QWidget* parent) : QMainWindow(parent), services_(std::move(services)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quillon's Stormline Batch Lighting Tool"));
  setWindowIcon(AppIcon());
  setFont(WindowFont(8));
  Timer1.setObjectName(QStringLiteral("Timer1"));
  Timer1.setSingleShot(true);
  Timer1.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5% early
  Timer1.setInterval(7500);
  connect(&Timer1, &QTimer::timeout, this, Guarded(this, *services_.ui, &Form1::Timer1_Timer));
  BuildControls();
  BuildMenus();
  // The client area is given: the window is neither resized nor maximised.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  Form_Load();
}

Form1::~Form1() = default;

FrmAbout* Form1::aboutBox() const { return about_; }
PathsDialog* Form1::pathsDialog() const { return paths_; }
FrmPreview* Form1::previewWindow() const { return preview_; }

void Form1::BuildControls() {
  central_ = new QWidget(this);
  central_->setFixedSize(Twips(4950), Twips(7065));
  setCentralWidget(central_);

  TitleLabel = Placed(new QLabel(QStringLiteral("Quillon's Stormline Batch Lighting Tool and lmList.dat Generator"), central_),
                      "TitleLabel", TwipsRect(15, 0, 4905, 465));
  TitleLabel->setAlignment(Qt::AlignCenter);
  TitleLabel->setWordWrap(true);
  TitleLabel->setFont(WindowFont(9.75, true));

  Combo1 = Placed(new QComboBox(central_), "Combo1", TwipsRect(30, 510, 1035, 315));
  // activated: every choice by the user, also of the entry already chosen.
  connect(Combo1, &QComboBox::activated, this, Guarded(this, *services_.ui, &Form1::Combo1_Click));
  Combo1->setToolTip(QStringLiteral("The boxes that can be marked, from the bottom-left corner:\n"
                                    "4x4 opens 4 x 4, 8x8 opens 8 x 8, 16x16 opens 12 x 12,\n"
                                    "32x32 the whole grid of 16 x 16"));
  CheckAll = MakeButton(central_, "CheckAll", QStringLiteral("Select &All"), TwipsRect(1155, 510, 1755, 315));
  connect(CheckAll, &QPushButton::clicked, this, Guarded(this, *services_.ui, &Form1::CheckAll_Click));
  ClearAll = MakeButton(central_, "ClearAll", QStringLiteral("&Clear Selection"), TwipsRect(3000, 510, 1965, 315));
  connect(ClearAll, &QPushButton::clicked, this, Guarded(this, *services_.ui, &Form1::ClearAll_Click));

  CheckBoxArray = new PatchGrid(central_);

  Frame1 = Placed(new Frame(QStringLiteral("Options"), central_), "Frame1", TwipsRect(0, 5880, 2535, 1170));
  TerrainCheck = MakeBox(Frame1, "TerrainCheck", QStringLiteral("Generate &TerrainShadows"), TwipsRect(105, 210, 2220, 225));
  MergeCheck = MakeBox(Frame1, "MergeCheck", QStringLiteral("&Merge TerrainShadows"), TwipsRect(105, 525, 2220, 225));
  ObjectCheck = MakeBox(Frame1, "ObjectCheck", QStringLiteral("Generate &ObjectShadows"), TwipsRect(105, 840, 2220, 225));
  // toggled fires only on a real change, as the handlers require.
  connect(TerrainCheck, &QCheckBox::toggled, this, Guarded(this, *services_.ui, &Form1::TerrainCheck_Click));
  connect(MergeCheck, &QCheckBox::toggled, this, Guarded(this, *services_.ui, &Form1::MergeCheck_Click));
  connect(ObjectCheck, &QCheckBox::toggled, this, Guarded(this, *services_.ui, &Form1::ObjectCheck_Click));

  Frame2 = Placed(new Frame(QStringLiteral("Execute"), central_), "Frame2", TwipsRect(2625, 5880, 2325, 1170));
  lmList_Button = MakeButton(Frame2, "lmList_Button", QStringLiteral("&Export lmList.dat"), TwipsRect(210, 210, 1995, 375));
  connect(lmList_Button, &QPushButton::clicked, this, Guarded(this, *services_.ui, &Form1::lmList_Button_Click));
  Go_Button = Placed(new ColourButton(QStringLiteral("Run &Lighting"), QColor(0, 255, 0), Frame2), "Go_Button",
                     TwipsRect(210, 700, 2010, 375));
  Go_Button->setAutoDefault(true);
  connect(Go_Button, &QPushButton::clicked, this, Guarded(this, *services_.ui, &Form1::Go_Button_Click));
  new LiveToolTip(Go_Button, [this] { return RunToolTip(config_, services_.decimalSeparator); });

  // The given geometry puts the right-most controls one pixel past the
  // client area; they end at its edge.
  for (QWidget* child : central_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setGeometry(child->geometry() & central_->rect());
  }

  StatusBar1 = new QLabel(kReady);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->setSizeGripEnabled(false);
  statusBar()->setFixedHeight(Twips(285));
  statusBar()->addWidget(StatusBar1, 1);

  QWidget* const order[] = {Combo1,     CheckAll,    ClearAll,      CheckBoxArray, TerrainCheck,
                           MergeCheck, ObjectCheck, lmList_Button, Go_Button};
  for (size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(order[i - 1], order[i]);
  }
}

void Form1::BuildMenus() {
  QMenu* menuFile = menuBar()->addMenu(QStringLiteral("&File"));
  menuFile->setObjectName(QStringLiteral("menuFile"));
  const auto item = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                           void (Form1::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, Guarded(this, *services_.ui, handler));
    return action;
  };
  menuFileSave = item(menuFile, "menuFileSave", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                      &Form1::menuFileSave_Click);
  menuFileLoad = item(menuFile, "menuFileLoad", QStringLiteral("&Load"), QKeySequence(Qt::CTRL | Qt::Key_L),
                      &Form1::menuFileLoad_Click);
  menuFile->addSeparator()->setObjectName(QStringLiteral("seperator1"));
  menuFilePaths = item(menuFile, "menuFilePaths", QStringLiteral("Set &Paths"), QKeySequence(Qt::CTRL | Qt::Key_P),
                       &Form1::menuFilePaths_Click);
  menuFile->addSeparator()->setObjectName(QStringLiteral("seperator2"));
  menuFileExit = item(menuFile, "menuFileExit", QStringLiteral("E&xit"), {}, &Form1::menuFileExit_Click);

  QMenu* menuRun = menuBar()->addMenu(QStringLiteral("&Run"));
  menuRun->setObjectName(QStringLiteral("menuRun"));
  menuRunlmList = item(menuRun, "menuRunlmList", QStringLiteral("Export &lmList.dat"),
                       QKeySequence(Qt::CTRL | Qt::Key_E), &Form1::menuRunlmList_Click);
  menuRunImport = item(menuRun, "menuRunImport", QStringLiteral("&Import lmList.dat..."),
                       QKeySequence(Qt::CTRL | Qt::Key_I), &Form1::menuRunImport_Click);
  menuRun->addSeparator()->setObjectName(QStringLiteral("seperator3"));
  QMenu* menuRunOption = menuRun->addMenu(QStringLiteral("&Options"));
  menuRunOption->setObjectName(QStringLiteral("menuRunOption"));
  const auto stage = [this, menuRunOption](const char* name, const QString& caption, void (Form1::*handler)()) {
    QAction* action = menuRunOption->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    // Qt flips a checkable item's mark before it reports the choice; the
    // mark belongs to the box's handler, so take Qt's flip back first.
    connect(action, &QAction::triggered, this, [this, action, handler] {
      action->setChecked(!action->isChecked());
      Guarded(this, *services_.ui, handler)();
    });
    return action;
  };
  menuRunTerrain = stage("menuRunTerrain", QStringLiteral("Generate &TerrainShadows"), &Form1::menuRunTerrain_Click);
  menuRunMerge = stage("menuRunMerge", QStringLiteral("&Merge TerrainShadows"), &Form1::menuRunMerge_Click);
  menuRunObject = stage("menuRunObject", QStringLiteral("&Generate ObjectShadows"), &Form1::menuRunObject_Click);
  menuRun->addSeparator()->setObjectName(QStringLiteral("seperator4"));
  menuRunPreview = item(menuRun, "menuRunPreview", QStringLiteral("Pre&view go.bat..."),
                        QKeySequence(Qt::CTRL | Qt::Key_R), &Form1::menuRunPreview_Click);
  menuRunGo = item(menuRun, "menuRunGo", QStringLiteral("&Go!"), QKeySequence(Qt::CTRL | Qt::Key_G),
                   &Form1::menuRunGo_Click);

  menuAbout = menuBar()->addAction(QStringLiteral("&About"));
  menuAbout->setObjectName(QStringLiteral("menuAbout"));
  connect(menuAbout, &QAction::triggered, this, Guarded(this, *services_.ui, &Form1::menuAbout_Click));
}

// ---- run configuration -------------------------------------------------

void Form1::TakeRunConfiguration(const RunConfiguration& config) {
  config_.gamePath = config.gamePath;
  config_.levelName = config.levelName;
  config_.modName = config.modName;
  config_.shadowDarkness = config.shadowDarkness;
  // Through the boxes, whose handlers keep the switches and the menu marks;
  // setting a box to the state it has runs nothing.
  TerrainCheck->setChecked(config.terrainBoolean);
  MergeCheck->setChecked(config.mergeBoolean);
  ObjectCheck->setChecked(config.objectBoolean);
  RefreshPreview();
}

// ---- status line -------------------------------------------------------

void Form1::ShowStatus(const QString& text) { StatusBar1->setText(text); }

void Form1::ShowTransientStatus(const QString& text) {
  ShowStatus(text);
  Timer1.start();  // a running countdown starts again from 7500 ms
}

QString Form1::statusText() const { return StatusBar1->text(); }

void Form1::Timer1_Timer() {
  ShowStatus(kReady);
  Timer1.stop();
}

// ---- start-up, menus ---------------------------------------------------

void Form1::Form_Load() {
  Combo1->addItems({QStringLiteral("4x4"), QStringLiteral("8x8"), QStringLiteral("16x16"), QStringLiteral("32x32")});
  Combo1->setCurrentIndex(0);
  Combo1_Click();
}

void Form1::ShowDepreciatedNotice() {
  services_.ui->ShowMessage(this, {QStringLiteral("Please Use the Paths Dialog to manage saved configurations"),
                                   QStringLiteral("Depreciated"), UiServices::Icon::Information,
                                   UiServices::Buttons::Ok});
}

void Form1::menuFileSave_Click() { ShowDepreciatedNotice(); }
void Form1::menuFileLoad_Click() { ShowDepreciatedNotice(); }

void Form1::menuFilePaths_Click() {
  ShowStatus(QStringLiteral("Configuring Paths..."));
  // One dialog: loaded when needed, shown again as it was after a Cancel.
  if (!paths_) {
    paths_ = new PathsDialog(this, *this,
                             {services_.ui, services_.fs, services_.toolFolder, services_.decimalSeparator});
  }
  Present(paths_);
  ShowStatus(kReady);
}

void Form1::menuFileExit_Click() { close(); }

void Form1::closeEvent(QCloseEvent* event) {
  // Every other window goes with the main one; nothing is applied or saved.
  delete about_;
  delete paths_;
  QMainWindow::closeEvent(event);
}

void Form1::menuRunlmList_Click() { lmList_Button_Click(); }
void Form1::menuRunGo_Click() { Go_Button_Click(); }

void Form1::menuAbout_Click() {
  if (!about_) about_ = new FrmAbout(this);
  Present(about_);
}

// ---- stage switches ----------------------------------------------------
// A box's handler flips the menu mark and the member without reading the
// box; a menu item only sets the box. Together they stay in step.

void Form1::FlipStage(QAction* mark, bool& member) {
  mark->setChecked(!mark->isChecked());
  member = !member;
  RefreshPreview();
}

void Form1::TerrainCheck_Click() { FlipStage(menuRunTerrain, config_.terrainBoolean); }
void Form1::MergeCheck_Click() { FlipStage(menuRunMerge, config_.mergeBoolean); }
void Form1::ObjectCheck_Click() { FlipStage(menuRunObject, config_.objectBoolean); }

void Form1::menuRunTerrain_Click() { TerrainCheck->setChecked(TerrainCheck->checkState() == Qt::Unchecked); }
void Form1::menuRunMerge_Click() { MergeCheck->setChecked(MergeCheck->checkState() == Qt::Unchecked); }
void Form1::menuRunObject_Click() { ObjectCheck->setChecked(ObjectCheck->checkState() == Qt::Unchecked); }

// ---- patch grid --------------------------------------------------------

void Form1::Combo1_Click() {
  const int size = patch_list::ActiveSize(Combo1->currentIndex());
  for (int i = 0; i < patch_list::kPatchCount; ++i) {
    const bool inside = patch_list::InActiveArea(i, size);
    CheckBoxArray->setBoxEnabled(i, inside);
    if (!inside) CheckBoxArray->setValue(i, false);
  }
}

void Form1::CheckAll_Click() {
  const int size = patch_list::ActiveSize(Combo1->currentIndex());
  for (int i = 0; i < patch_list::kPatchCount; ++i) CheckBoxArray->setValue(i, patch_list::InActiveArea(i, size));
}

void Form1::ClearAll_Click() {
  for (int i = 0; i < patch_list::kPatchCount; ++i) CheckBoxArray->setValue(i, false);
}

// ---- export and run ----------------------------------------------------

void Form1::ShowError(const QString& text) {
  services_.ui->ShowMessage(this, {text, QString(), UiServices::Icon::Warning, UiServices::Buttons::Ok});
}

// lmList.dat in the level's textures folder, for the export and the import.
UiServices::FileRequest Form1::PatchListRequest() const {
  return {QStringLiteral("lmList.dat|lmList.dat|All Files (*.*)|*.*"), QStringLiteral("lmList.dat"),
          FromUtf8(game::LevelTexturesFolder(config_.gamePath, config_.levelName))};
}

void Form1::lmList_Button_Click() {
  ShowStatus(QStringLiteral("Preparing to Save..."));
  const QString chosen = services_.ui->SaveFileName(this, PatchListRequest());
  if (chosen.isEmpty()) {
    ShowTransientStatus(QStringLiteral("Save Cancled."));
    return;
  }
  const std::string path = chosen.toStdString();
  if (services_.fs->Exists(path)) {
    const UiServices::Answer answer = services_.ui->ShowMessage(
        this, {QStringLiteral("File Exists, Do you want to overwrite?"), QStringLiteral("File Exists..."),
               UiServices::Icon::None, UiServices::Buttons::YesNo});
    if (answer != UiServices::Answer::Yes) return;
  }
  // The old file is replaced only once the new one is whole.
  const platform::Status written =
      platform::WriteFileReplacing(*services_.fs, path, patch_list::Records(CheckBoxArray->marks()));
  if (!written) {
    ShowStatus(kReady);
    ShowError(FromUtf8(written.message()) + QStringLiteral(" lmList.dat was not saved."));
    return;
  }
  ShowTransientStatus(QStringLiteral("Saved!"));
}

void Form1::Go_Button_Click() {
  const lighting_run::Services run{services_.fs, services_.starter, services_.toolFolder, services_.decimalSeparator,
                                   services_.game};
  const lighting_run::Result result = lighting_run::Run({{std::string(), config_}}, run, [&](const std::string&) {
    UiServices::Message question{
        QStringLiteral("Stormline.exe was not found in \"%1\".\nStart the batch lighting anyway?").arg(FromUtf8(config_.gamePath)),
        QString(), UiServices::Icon::None, UiServices::Buttons::YesNo};
    question.noIsDefault = true;
    return services_.ui->ShowMessage(this, question) == UiServices::Answer::Yes;
  });
  using Kind = lighting_run::Result::Kind;
  switch (result.kind) {
    case Kind::Started:
      ShowTransientStatus(QStringLiteral("Running batch lighting... You may exit."));
      break;
    case Kind::Incomplete:
      ShowTransientStatus(FromUtf8(std::string(go_batch::kIncompleteStatus)));
      break;
    case Kind::Declined:
    case Kind::Ready:
      break;
    case Kind::Refused:
    case Kind::Failed:
      ShowError(FromUtf8(result.text));
      break;
  }
}

// ---- patch list read back, preview ---------------------------------------

void Form1::menuRunImport_Click() {
  const QString chosen = services_.ui->OpenFileName(this, PatchListRequest());
  if (chosen.isEmpty()) {
    ShowTransientStatus(QStringLiteral("Load Cancelled."));
    return;
  }
  ImportPatchList(chosen);
}

void Form1::ImportPatchList(const QString& chosen) {
  const std::string path = chosen.toStdString();
  std::string bytes;
  patch_list::Marks marks{};
  platform::Status read = services_.fs->ReadAll(path, bytes, patch_list::kMaxRecordBytes);
  if (read) read = patch_list::ReadRecords(bytes, path, marks);
  if (!read) {
    ShowError(FromUtf8(read.message()) + QStringLiteral(" The grid was left as it was."));
    return;
  }
  // As the user would choose it, so the grid is laid out afresh.
  Combo1->setCurrentIndex(patch_list::SmallestListIndexHolding(marks));
  Combo1_Click();
  for (int i = 0; i < patch_list::kPatchCount; ++i) CheckBoxArray->setValue(i, marks[static_cast<size_t>(i)]);
  ShowTransientStatus(QStringLiteral("Loaded!"));
}

void Form1::menuRunPreview_Click() {
  if (!preview_) preview_ = new FrmPreview(this);
  RefreshPreview();
  Present(preview_);
}

void Form1::RefreshPreview() {
  if (!preview_) return;
  preview_->Show(lighting_run::Prepare({{std::string(), config_}}, services_.decimalSeparator),
                 FromUtf8(services_.toolFolder));
}
