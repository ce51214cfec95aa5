// Start-up, grid, export and run figures of the main window, offscreen.
//   main_window_bench          the timings
//   main_window_bench --rss    start the main window, quit, print the peak memory
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <cstring>
#include <memory>

#include "bench/bench_util.h"
#include "main_window/form1.h"
#include "tests/support/recording_starter.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

namespace {

void UntilIdle() {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
}

template <typename Make>
double StartMs(Make&& make) {
  return MedianMs(1, [&] {
    auto window = make();
    window->show();
    UntilIdle();
  });
}

std::unique_ptr<QMainWindow> BareWindow() {
  auto window = std::make_unique<QMainWindow>();
  window->menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
  window->statusBar()->showMessage(QStringLiteral("Ready."));
  return window;
}

void Choose(Form1& form, int index) {
  auto* combo = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
  combo->setCurrentIndex(index);
  form.Combo1_Click();
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ScriptedUi ui;
  RecordingStarter starter;
  TempFolder folder;
  const Form1Services services{&ui, &starter, &platform::RealFileSystem(), folder.path(), "."};

  if (argc > 1 && std::strcmp(argv[1], "--rss") == 0) {
    {
      Form1 form(services);
      form.show();
      UntilIdle();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    Figure("peak_rss_mib", static_cast<double>(usage.ru_maxrss) / 1024.0, "MiB");
    return 0;
  }

  const auto makeForm = [&] { return std::make_unique<Form1>(services); };
  StartMs(makeForm);  // warm-up: first use of fonts, styles and the platform plugin
  StartMs(BareWindow);
  std::vector<double> form, bare;
  for (int i = 0; i < 31; ++i) {
    form.push_back(StartMs(makeForm));
    bare.push_back(StartMs(BareWindow));
  }
  const auto median = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  Figure("startup_ratio", median(form) / median(bare), "x");
  Figure("startup_ms", median(form), "ms");
  Figure("startup_bare_ms", median(bare), "ms");

  Form1 window(services);
  window.show();
  UntilIdle();
  window.TakeRunConfiguration({R"(C:\Games\Stormline)", "Coast", "Stormline", 1.5, true, true, true});
  Figure("go_ms", MedianMs(101, [&] { window.Go_Button_Click(); }), "ms");

  Figure("grid_size_change_ms", MedianMs(51, [&] {
           Choose(window, 3);
           window.repaint();
           Choose(window, 0);
           window.repaint();
         }), "ms");
  Choose(window, 3);
  Figure("select_all_ms", MedianMs(51, [&] {
           window.ClearAll_Click();
           window.CheckAll_Click();
           window.repaint();
         }), "ms");

  const QString target = QString::fromStdString(folder.File("lmList.dat"));
  Figure("export_ms", MedianMs(51, [&] {
           ui.fileAnswers.push_back(target);
           ui.answers.push_back(UiServices::Answer::Yes);
           window.lmList_Button_Click();
         }), "ms");
  return 0;
}
