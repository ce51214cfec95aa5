#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <string>

#include "game/game_lookup.h"
#include "main_window/run_configuration.h"
#include "main_window/ui_services.h"
#include "paths_dialog/run_configuration_holder.h"
#include "platform/batch_starter.h"
#include "platform/file_system.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class FrmAbout;
class FrmPreview;
class PatchGrid;
class PathsDialog;

// What the main window needs of the world, handed in so that tests can
// give it a temporary folder, scripted dialogs and a recording starter.
struct Form1Services {
  UiServices* ui = nullptr;
  platform::BatchStarter* starter = nullptr;
  platform::FileSystem* fs = nullptr;
  std::string toolFolder;        // where go.bat and config.ini live
  std::string decimalSeparator;  // the user's, for every number shown or read
  const game::GameLookup* game = nullptr;  // whether the game folder holds the game
};

// The tool's main window. It owns the run configuration, which the paths
// dialog fills and the export and the batch run read.
class Form1 : public QMainWindow, public RunConfigurationHolder {
  Q_OBJECT

 public:
  explicit Form1(Form1Services services, QWidget* parent = nullptr);
  ~Form1() override;

  // The run configuration, as the other windows see it; the paths dialog's
  // OK hands one over.
  const RunConfiguration& runConfiguration() const override { return config_; }
  void TakeRunConfiguration(const RunConfiguration& config) override;

  void ShowStatus(const QString& text);
  void ShowTransientStatus(const QString& text);
  QString statusText() const;
  const QTimer& timer1() const { return Timer1; }

  FrmAbout* aboutBox() const;
  PathsDialog* pathsDialog() const;
  FrmPreview* previewWindow() const;
  PatchGrid* patchGrid() const { return CheckBoxArray; }

  // Handlers, one per control and event.
  void Form_Load();
  void menuFileSave_Click();
  void menuFileLoad_Click();
  void menuFilePaths_Click();
  void menuFileExit_Click();
  void menuRunlmList_Click();
  void menuRunImport_Click();
  void menuRunPreview_Click();
  void menuRunGo_Click();
  void menuRunTerrain_Click();
  void menuRunMerge_Click();
  void menuRunObject_Click();
  void TerrainCheck_Click();
  void MergeCheck_Click();
  void ObjectCheck_Click();
  void Timer1_Timer();
  void menuAbout_Click();
  void Combo1_Click();
  void CheckAll_Click();
  void ClearAll_Click();
  void lmList_Button_Click();
  void Go_Button_Click();

  // Reads a patch list into the grid, or says why not.
  void ImportPatchList(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // A stage box's handler: flips the menu mark and the switch together.
  void FlipStage(QAction* mark, bool& member);
  void BuildControls();
  void BuildMenus();
  void ShowDepreciatedNotice();
  void ShowError(const QString& text);
  // The preview, where open, follows every change of the run configuration.
  void RefreshPreview();
  UiServices::FileRequest PatchListRequest() const;

  Form1Services services_;
  RunConfiguration config_;

  QWidget* central_ = nullptr;
  QLabel* TitleLabel = nullptr;
  QComboBox* Combo1 = nullptr;
  QPushButton* CheckAll = nullptr;
  QPushButton* ClearAll = nullptr;
  PatchGrid* CheckBoxArray = nullptr;  // the 256 patch boxes, drawn as one control
  QGroupBox* Frame1 = nullptr;
  QCheckBox* TerrainCheck = nullptr;
  QCheckBox* MergeCheck = nullptr;
  QCheckBox* ObjectCheck = nullptr;
  QGroupBox* Frame2 = nullptr;
  QPushButton* lmList_Button = nullptr;
  QPushButton* Go_Button = nullptr;
  QLabel* StatusBar1 = nullptr;
  QTimer Timer1;

  QAction* menuFileSave = nullptr;
  QAction* menuFileLoad = nullptr;
  QAction* menuFilePaths = nullptr;
  QAction* menuFileExit = nullptr;
  QAction* menuRunlmList = nullptr;
  QAction* menuRunImport = nullptr;
  QAction* menuRunPreview = nullptr;
  QAction* menuRunTerrain = nullptr;
  QAction* menuRunMerge = nullptr;
  QAction* menuRunObject = nullptr;
  QAction* menuRunGo = nullptr;
  QAction* menuAbout = nullptr;

  QPointer<FrmAbout> about_;
  QPointer<PathsDialog> paths_;
  QPointer<FrmPreview> preview_;
};
