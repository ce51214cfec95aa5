#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "main_window/ui_services.h"
#include "paths_dialog/config_store.h"
#include "paths_dialog/run_configuration_holder.h"
#include "platform/file_system.h"

struct PathsDialogServices {
  UiServices* ui = nullptr;
  platform::FileSystem* fs = nullptr;
  std::string toolFolder;        // where config.ini lives
  std::string decimalSeparator;  // the user's, for the darkness
};

class FittingCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Where the run configuration is edited and handed to the main window, and
// where named configurations are kept. Modeless; Cancel hides it with its
// contents, OK and the close box unload it.
class PathsDialog : public QDialog {
  Q_OBJECT

 public:
  PathsDialog(QWidget* parent, RunConfigurationHolder& owner, PathsDialogServices services);

  void Form_Load();
  void Path_Click();
  void OKButton_Click();
  void CancelButton_Click();
  void TerrainCheck_Click();
  void MergeCheck_Click();
  void ObjectCheck_Click();
  void SavedSettings_Click();
  void Save_Click();
  void Delete_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  config_store::SettingFields Fields() const;
  void ShowFields(const config_store::SettingFields& fields);
  // Sets a box, then its member, so that both agree whether or not the
  // box's handler ran in between.
  void SetSwitch(FittingCheckBox* box, bool& member, bool value);
  void FillList();
  void Select(int index);
  // Shows what a Save or Delete left: its refusal, or the new list and selection.
  void Finish(const config_store::StoreOutcome& outcome);
  void Tell(const std::string& text);

  RunConfigurationHolder& owner_;
  PathsDialogServices services_;

  bool terrainBoolean_ = false;
  bool mergeBoolean_ = false;
  bool objectBoolean_ = false;
  std::vector<std::string> settingNames_;
  std::vector<std::string> list_;  // what SavedSettings shows, entry 0 "(Current)"

  QLabel* Label5 = nullptr;
  QComboBox* SavedSettings = nullptr;
  QPushButton* Delete = nullptr;
  QGroupBox* Frame1 = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* SettingName_Text = nullptr;
  QPushButton* Save = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* GamePath_Text = nullptr;
  QPushButton* Path = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* LevelName_Text = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox* ModName_Text = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* shadow_Text = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;
  FittingCheckBox* TerrainCheck = nullptr;
  FittingCheckBox* MergeCheck = nullptr;
  FittingCheckBox* ObjectCheck = nullptr;
};
