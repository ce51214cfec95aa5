#include "paths_dialog/paths_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <utility>

#include "game/game_interface.h"
#include "main_window/app_icon.h"
#include "main_window/controls.h"
#include "main_window/frame.h"
#include "main_window/guarded.h"
#include "main_window/twips.h"
#include "main_window/window_font.h"
#include "platform/number_text.h"
#include "platform/wine_folder.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

PathsDialog::PathsDialog(QWidget* parent, RunConfigurationHolder& owner, PathsDialogServices services)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      owner_(owner),
      services_(std::move(services)) {
  setObjectName(QStringLiteral("PathsDialog"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Set Paths..."));
  setWindowIcon(AppIcon());
  setFont(WindowFont(8));
  setFixedSize(Twips(6630), Twips(2970));
  BuildControls();
  Form_Load();
}

void PathsDialog::BuildControls() {
  const QFont labelFont = WindowFont(9.75);
  const auto label = [&](QWidget* parent, const char* name, const char* caption, QRect geometry) {
    QLabel* made = Placed(new QLabel(QString::fromLatin1(caption), parent), name, geometry);
    made->setFont(labelFont);
    return made;
  };
  const auto line = [](QWidget* parent, const char* name, QRect geometry) {
    QLineEdit* made = Placed(new QLineEdit(parent), name, geometry);
    made->setMaxLength(std::numeric_limits<int>::max());  // the fields have no length limit
    return made;
  };
  // Enter presses the button that has the focus, and OK only while no
  // other button has it.
  const auto button = [](QWidget* parent, const char* name, const char* caption, QRect geometry) {
    return MakeButton(parent, name, QString::fromLatin1(caption), geometry);
  };
  const auto box = [](QWidget* parent, const char* name, const char* caption, QRect geometry) {
    return MakeBox(parent, name, QString::fromLatin1(caption), geometry);
  };

  Label5 = label(this, "Label5", "Load Setting:", TwipsRect(105, 0, 1170, 330));
  SavedSettings = Placed(new QComboBox(this), "SavedSettings", TwipsRect(1365, 0, 4215, 315));
  Delete = button(this, "Delete", "Delete", TwipsRect(5670, 0, 960, 330));
  Frame1 = Placed(new Frame(QStringLiteral("Paths"), this), "Frame1", TwipsRect(0, 315, 6630, 2640));

  Label6 = label(Frame1, "Label6", "Setting Name:", TwipsRect(105, 210, 1275, 330));
  SettingName_Text = line(Frame1, "SettingName_Text", TwipsRect(1470, 210, 4110, 285));
  Save = button(Frame1, "Save", "Save", TwipsRect(5670, 210, 855, 330));
  Label1 = label(Frame1, "Label1", "Game Path:", TwipsRect(105, 630, 1170, 330));
  GamePath_Text = line(Frame1, "GamePath_Text", TwipsRect(1470, 630, 4635, 285));
  Path = button(Frame1, "Path", "...", TwipsRect(6195, 630, 285, 285));
  Label2 = label(Frame1, "Label2", "Level Name:", TwipsRect(105, 1050, 1170, 285));
  LevelName_Text = line(Frame1, "LevelName_Text", TwipsRect(1470, 1050, 5055, 285));
  Label3 = label(Frame1, "Label3", "Mod Name:", TwipsRect(105, 1470, 1170, 285));
  ModName_Text = Placed(new QComboBox(Frame1), "ModName_Text", TwipsRect(1470, 1470, 5055, 315));
  ModName_Text->setEditable(true);
  ModName_Text->setInsertPolicy(QComboBox::NoInsert);  // typed names stay out of the list
  ModName_Text->setCompleter(nullptr);                   // and are taken as typed, not completed
  ModName_Text->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  Label4 = label(Frame1, "Label4", "Shadow Darkness:", TwipsRect(105, 1890, 1800, 285));
  shadow_Text = line(Frame1, "shadow_Text", TwipsRect(1890, 1890, 1380, 285));
  OKButton = button(Frame1, "OKButton", "&OK", TwipsRect(3990, 1890, 1215, 375));
  OKButton->setDefault(true);
  CancelButton = button(Frame1, "CancelButton", "&Cancel", TwipsRect(5250, 1890, 1215, 375));
  TerrainCheck = box(Frame1, "TerrainCheck", "Generate &TerrainShadows", TwipsRect(105, 2310, 2220, 225));
  MergeCheck = box(Frame1, "MergeCheck", "&Merge TerrainShadows", TwipsRect(2310, 2310, 2010, 225));
  ObjectCheck = box(Frame1, "ObjectCheck", "Generate &ObjectShadows", TwipsRect(4305, 2310, 2220, 225));
  // The given places overlap by a pixel: each box ends 4 px before the next
  // one begins, so that no caption touches its neighbour.
  TerrainCheck->resize(MergeCheck->x() - 4 - TerrainCheck->x(), TerrainCheck->height());
  MergeCheck->resize(ObjectCheck->x() - 4 - MergeCheck->x(), MergeCheck->height());

  QWidget* const order[] = {SavedSettings, SettingName_Text, Save,         GamePath_Text, Path,
                            LevelName_Text, ModName_Text,    shadow_Text,  OKButton,      CancelButton,
                            ObjectCheck,   MergeCheck,       TerrainCheck, Delete};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  const auto on = [this](auto* control, auto signal, void (PathsDialog::*handler)()) {
    connect(control, signal, this, Guarded(this, *services_.ui, handler));
  };
  on(SavedSettings, &QComboBox::activated, &PathsDialog::SavedSettings_Click);
  on(Delete, &QPushButton::clicked, &PathsDialog::Delete_Click);
  on(Save, &QPushButton::clicked, &PathsDialog::Save_Click);
  on(Path, &QPushButton::clicked, &PathsDialog::Path_Click);
  on(OKButton, &QPushButton::clicked, &PathsDialog::OKButton_Click);
  on(CancelButton, &QPushButton::clicked, &PathsDialog::CancelButton_Click);
  // toggled fires only when a box really changes, as the handlers require.
  on(TerrainCheck, &QCheckBox::toggled, &PathsDialog::TerrainCheck_Click);
  on(MergeCheck, &QCheckBox::toggled, &PathsDialog::MergeCheck_Click);
  on(ObjectCheck, &QCheckBox::toggled, &PathsDialog::ObjectCheck_Click);
  FittingCheckBox::StandTogether({TerrainCheck, MergeCheck, ObjectCheck});
}

// ---- fields ------------------------------------------------------------

config_store::SettingFields PathsDialog::Fields() const {
  return {SettingName_Text->text().toStdString(), GamePath_Text->text().toStdString(),
          LevelName_Text->text().toStdString(), ModName_Text->currentText().toStdString(),
          shadow_Text->text().toStdString(), terrainBoolean_, mergeBoolean_, objectBoolean_};
}

void PathsDialog::ShowFields(const config_store::SettingFields& fields) {
  SettingName_Text->setText(Q(fields.settingName));
  GamePath_Text->setText(Q(fields.gamePath));
  LevelName_Text->setText(Q(fields.levelName));
  ModName_Text->setEditText(Q(fields.modName));
  shadow_Text->setText(Q(fields.shadowText));
  SetSwitch(TerrainCheck, terrainBoolean_, fields.terrainBoolean);
  SetSwitch(MergeCheck, mergeBoolean_, fields.mergeBoolean);
  SetSwitch(ObjectCheck, objectBoolean_, fields.objectBoolean);
}

void PathsDialog::SetSwitch(FittingCheckBox* box, bool& member, bool value) {
  box->setChecked(value);
  member = value;
}

void PathsDialog::Tell(const std::string& text) {
  services_.ui->ShowMessage(this, {Q(text), QString(), UiServices::Icon::None, UiServices::Buttons::Ok});
}

// ---- load --------------------------------------------------------------

void PathsDialog::Form_Load() {
  ModName_Text->addItems({QStringLiteral("Stormline"), QStringLiteral("Hyx"), QStringLiteral("Ulm")});
  const platform::Status read = config_store::ReadSettingNames(*services_.fs, services_.toolFolder, settingNames_);
  list_.assign(1, std::string(config_store::kCurrentEntry));
  list_.insert(list_.end(), settingNames_.begin(), settingNames_.end());
  FillList();
  SettingName_Text->setText(Q(std::string(config_store::kCurrentEntry)));
  Select(0);
  if (!read) Tell(read.message());
}

void PathsDialog::FillList() {
  SavedSettings->clear();
  for (const std::string& entry : list_) SavedSettings->addItem(Q(entry));
}

void PathsDialog::Select(int index) {
  SavedSettings->setCurrentIndex(index);
  SavedSettings_Click();
}

// ---- the store ---------------------------------------------------------

void PathsDialog::SavedSettings_Click() {
  config_store::SettingFields fields = Fields();
  const platform::Status loaded =
      config_store::SelectSetting(*services_.fs, services_.toolFolder, list_, SavedSettings->currentIndex(),
                                  owner_.runConfiguration(), services_.decimalSeparator, fields);
  ShowFields(fields);
  if (!loaded) Tell(loaded.message());
}

void PathsDialog::Save_Click() {
  Finish(config_store::SaveSetting(*services_.fs, services_.toolFolder, list_, Fields()));
}

void PathsDialog::Delete_Click() {
  Finish(config_store::DeleteSetting(*services_.fs, services_.toolFolder, list_, SavedSettings->currentIndex()));
}

void PathsDialog::Finish(const config_store::StoreOutcome& outcome) {
  if (!outcome.status) {
    Tell(outcome.status.message());
    return;
  }
  FillList();
  if (outcome.select >= 0) Select(outcome.select);
}

// ---- browse, switches, OK and Cancel -----------------------------------

void PathsDialog::Path_Click() {
  QString chosen = services_.ui->OpenFileName(
      this, {QStringLiteral("Stormline|") + Q(std::string(game::kBrowseFileName)),
             Q(std::string(game::kBrowseFileName)), QString()});
  if (chosen.isEmpty()) return;
  // Under Wine the game knows the file by its Wine path, not this machine's.
  chosen = Q(platform::GamePathFor(chosen.toStdString()));
  // The folder that holds the chosen file, whatever the file is called.
  const qsizetype cut = std::max(chosen.lastIndexOf(QLatin1Char('\\')), chosen.lastIndexOf(QLatin1Char('/')));
  if (cut < 0) return;
  GamePath_Text->setText(chosen.left(cut));
}

void PathsDialog::TerrainCheck_Click() { terrainBoolean_ = !terrainBoolean_; }
void PathsDialog::MergeCheck_Click() { mergeBoolean_ = !mergeBoolean_; }
void PathsDialog::ObjectCheck_Click() { objectBoolean_ = !objectBoolean_; }

void PathsDialog::OKButton_Click() {
  const config_store::SettingFields f = Fields();
  const std::pair<QWidget*, const std::string*> entries[] = {
      {GamePath_Text, &f.gamePath}, {LevelName_Text, &f.levelName}, {ModName_Text, &f.modName}};
  for (const auto& [field, text] : entries) {
    if (text->empty()) {
      Tell("Please complete all entries.");
      field->setFocus(Qt::OtherFocusReason);  // where the typing is to go on
      return;
    }
  }
  // Read before anything is applied, so a bad number applies nothing.
  const auto darkness = platform::TextToNumber(f.shadowText, services_.decimalSeparator);
  if (!darkness) {
    Tell("Please enter a number for Shadow Darkness.");
    shadow_Text->setFocus(Qt::OtherFocusReason);
    return;
  }
  owner_.TakeRunConfiguration(
      {f.gamePath, f.levelName, f.modName, *darkness, f.terrainBoolean, f.mergeBoolean, f.objectBoolean});
  close();
}

void PathsDialog::CancelButton_Click() { hide(); }

void PathsDialog::keyPressEvent(QKeyEvent* event) {
  // No button of this dialog answers Escape.
  if (event->key() == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

void PathsDialog::closeEvent(QCloseEvent* event) {
  // The close box unloads the dialog without applying anything; the base
  // class would take it for a Cancel.
  event->accept();
}
