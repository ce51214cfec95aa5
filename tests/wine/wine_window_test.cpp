// Run Lighting in the main window with the real starter: go.bat reaches
// Wine's cmd and the game runs every stage, while the window goes on.
#include <gtest/gtest.h>

#include <QTest>

#include "main_window/form1.h"
#include "platform/batch_starter.h"
#include "tests/support/scripted_ui.h"
#include "tests/wine/batch_run_support.h"

namespace {

TEST(WineRunLighting, ClickingRunLightingStartsTheGameForEveryStage) {
  if (batch_run::Env("WINEPREFIX").empty() || !std::filesystem::is_regular_file(batch_run::GameFolder::Double()))
    return batch_run::Missing("needs Wine with a prefix of its own and the game double: run scripts/test-wine");
  TempFolder tool;
  batch_run::GameFolder game;
  ScriptedUi ui;
  const auto starter = platform::MakeSystemBatchStarter();
  Form1 form(Form1Services{&ui, starter.get(), &platform::RealFileSystem(), tool.path(), ","});
  form.show();
  form.setGamePath(QString::fromStdString(game.path()));
  form.setLevelName(QString::fromStdString(batch_run::kLevel));
  form.setModName(QStringLiteral("Stormline"));
  form.setTerrainCheck(true);
  form.setMergeCheck(true);
  form.setObjectCheck(true);
  batch_run::ExpectEveryStage(game, "1,5", [&] {
    QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("Go_Button")), Qt::LeftButton);
    EXPECT_EQ(form.statusText(), QStringLiteral("Running batch lighting... You may exit."));
  });
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
}

}  // namespace
