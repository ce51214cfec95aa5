#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "main_window/form1.h"
#include "main_window/patch_grid.h"
#include "tests/support/recording_starter.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

// A main window on a temporary tool folder, with scripted dialogs and a
// starter that only records.
class Form1Test : public testing::Test {
 public:
  Form1Test() {
    Form1Services services{&ui, &starter, &platform::RealFileSystem(), folder.path(), "."};
    services.gameFound = [](const std::string&) { return gameThere; };
    gameThere = true;
    form = std::make_unique<Form1>(services);
  }

  template <typename T>
  T* Find(const char* name) const {
    T* found = form->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
  QAction* Action(const char* name) const { return Find<QAction>(name); }
  QComboBox* Combo1() const { return Find<QComboBox>("Combo1"); }
  PatchGrid* Grid() const { return form->patchGrid(); }

  // A choice in the grid-size list as the user makes it.
  void ChooseSize(int index) {
    Combo1()->setCurrentIndex(index);
    emit Combo1()->activated(index);
  }

  void MakeComplete() {
    form->setGamePath(QStringLiteral(R"(C:\Games\Stormline)"));
    form->setLevelName(QStringLiteral("Coast"));
    form->setModName(QStringLiteral("Stormline"));
  }

  // Shows the window and makes it the active one, so that shortcuts reach it.
  void Activate() {
    form->show();
    QApplication::setActiveWindow(form.get());
    form->activateWindow();
    QApplication::processEvents();
  }

  static inline bool gameThere = true;  // what the game folder check finds
  TempFolder folder;
  ScriptedUi ui;
  RecordingStarter starter;
  std::unique_ptr<Form1> form;
};
