// Run Lighting in the main window with the real starter: go.bat reaches
// Wine's cmd and the game runs, while the window goes on.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "main_window/form1.h"
#include "platform/batch_starter.h"
#include "tests/support/scripted_ui.h"
#include "tests/wine/batch_run_support.h"

namespace {

using batch_run::Fill;
using batch_run::GameCall;

TEST(WineRunLighting, ClickingRunLightingStartsTheGameForEveryStage) {
  WINE_OR_SKIP();
  TempFolder tool;
  batch_run::GameFolder game;
  ScriptedUi ui;
  const auto starter = platform::MakeSystemBatchStarter();
  Form1 form(Form1Services{&ui, starter.get(), &platform::RealFileSystem(), tool.path(), "."});
  form.show();
  form.setGamePath(QString::fromStdString(game.gamePath()));
  form.setLevelName(QStringLiteral("Coast"));
  form.setModName(QStringLiteral("Stormline"));
  form.setTerrainCheck(true);
  form.setMergeCheck(true);
  form.setObjectCheck(true);

  auto* go = form.findChild<QPushButton*>(QStringLiteral("Go_Button"));
  ASSERT_NE(go, nullptr);
  QTest::mouseClick(go, Qt::LeftButton);
  EXPECT_EQ(form.statusText(), QStringLiteral("Running batch lighting... You may exit."));
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();

  EXPECT_TRUE(batch_run::WaitUntil([&] { return game.calls().size() >= 3; })) << "the game ran too seldom";
  const std::string g = game.gamePath();
  EXPECT_EQ(game.calls(), (std::vector<GameCall>{{g, Fill(batch_run::kTerrainCoast, g)},
                                                 {g, Fill(batch_run::kMergeCoast15, g)},
                                                 {g, Fill(batch_run::kObjectCoast, g)}}));
}

}  // namespace
