// trimvale-shell-demo: drives the desktop program without a user, for `make demo` and
// `make bench`. Not installed.
//
//   trimvale-shell-demo shots PAGE OUTDIR   optimize PAGE in the window, save pictures of the
//                                          source tab and the preview tab
//   trimvale-shell-demo time PAGE [N]       milliseconds from opening PAGE to the optimized text
//                                          in the editor: the best of N rounds (default 5), then
//                                          the first round, which touches its memory first

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "rules/settings_store.h"
#include "shell/main_window.h"
#include "shell/output_pane.h"
#include "shell/shell_environment.h"
#include "shell/source_editor.h"

using namespace trimvale;
using namespace trimvale::shell;

namespace {

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

int Shots(CShellEnvironment& env, const QString& page, const QString& outDir) {
  MainWindow window(env);
  window.showNote = [](const QString& note) { std::fprintf(stderr, "%s\n", qPrintable(note)); };
  window.resize(1100, 760);
  window.show();
  if (!window.OpenFile(page) || !window.StartOptimization(true)) return 1;
  window.WaitForRun();
  Wait(300);
  if (!window.grab().save(outDir + "/trimvale-quelle.png")) return 1;
  window.ShowPreview();
  Wait(4000);  // the web views load and paint the two pages
  if (!window.grab().save(outDir + "/trimvale-vorschau.png")) return 1;
  window.ShowSource();
  window.Editor()->document()->setModified(false);
  return 0;
}

int Time(CShellEnvironment& env, const QString& page, int rounds) {
  MainWindow window(env);
  window.resize(1000, 700);
  window.show();
  // The window is up and painted before the first page opens, as it is for a user.
  QCoreApplication::processEvents();
  qint64 best = -1;
  qint64 first = -1;
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer timer;
    timer.start();
    if (!window.OpenFile(page)) return 1;
    QCoreApplication::processEvents();
    const qint64 opened = timer.elapsed();
    if (!window.StartOptimization(true)) return 1;
    window.WaitForRun();
    const qint64 optimized = timer.elapsed();
    QCoreApplication::processEvents();  // the editor lays out the new text
    const qint64 ms = timer.elapsed();
    std::fprintf(stderr, "opened %lld, optimized and replaced %lld, laid out %lld ms\n", static_cast<long long>(opened),
                 static_cast<long long>(optimized - opened), static_cast<long long>(ms - optimized));
    if (best < 0 || ms < best) best = ms;
    if (first < 0) first = ms;
  }
  window.Editor()->document()->setModified(false);
  std::printf("%lld %lld\n", static_cast<long long>(best), static_cast<long long>(first));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "Aufruf: trimvale-shell-demo shots SEITE ORDNER | time SEITE [N]\n");
    return 2;
  }
  // The defaults of every setting, whatever the user's store holds.
  CMemorySettingsStore store;
  CShellEnvironment env(store, QCoreApplication::applicationDirPath().toStdString());
  if (args[1] == "shots" && args.size() >= 4) return Shots(env, args[2], args[3]);
  if (args[1] == "time") return Time(env, args[2], args.size() >= 4 ? args[3].toInt() : 5);
  return 2;
}
