// trimvale: the desktop program. Start-up: the program folder and its rule files, the settings
// store, one document, the main window at its saved place; then the file named on the command
// line, the tips and the start wizard.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "shell/button_accessibility.h"
#include "shell/main_window.h"
#include "shell/shell_environment.h"
#include "shell/texts.h"

namespace {

// What the command line asks for; answered before any display is needed.
struct CCommandLine {
  trimvale::shell::CShellStartOptions options;
  std::string file;
  bool version = false;
  bool help = false;
  bool startDialogs = true;  // tips and wizard; off when another program starts this one
  std::string error;
};

CCommandLine ParseCommandLine(int argc, char** argv) {
  CCommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) {
        line.error = arg + " erwartet einen Wert";
      } else {
        target = argv[++i];
      }
    };
    if (arg == "--version") {
      line.version = true;
    } else if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--no-start-dialogs") {
      line.startDialogs = false;
    } else if (arg == "--rules-dir") {
      value(line.options.rulesDir);
    } else if (arg == "--settings") {
      value(line.options.settingsPath);
    } else if (arg.rfind("--rules-dir=", 0) == 0) {
      line.options.rulesDir = arg.substr(12);
    } else if (arg.rfind("--settings=", 0) == 0) {
      line.options.settingsPath = arg.substr(11);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
      // Qt's own options (-platform, -style, ...) are left to QApplication.
      if (arg == "-platform" || arg == "-style" || arg == "-display" || arg == "-qwindowgeometry") ++i;
    } else if (arg == "--") {
      if (i + 1 < argc) line.file = argv[++i];
    } else if (line.file.empty()) {
      line.file = arg;
    } else {
      line.error = "Nur eine Datei kann geöffnet werden: " + arg;
    }
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace trimvale::shell;
  const CCommandLine line = ParseCommandLine(argc, argv);
  if (line.version) {
    std::printf("trimvale %s\n", TRIMVALE_VERSION);
    return 0;
  }
  if (line.help) {
    std::fputs(text::kUsage, stdout);
    return 0;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "trimvale: %s\n\n%s", line.error.c_str(), text::kUsage);
    return 2;
  }

  KeepFreedMemoryForReuse();
  QApplication app(argc, argv);
  InstallQueuedButtonAccessibility();
  QApplication::setApplicationName(QString::fromUtf8(text::kAppName));
  QApplication::setOrganizationName(QStringLiteral("Harbeck"));
  // The installed desktop entry and icon: how desktops match the window to its menu entry.
  QApplication::setDesktopFileName(QStringLiteral("trimvale"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("trimvale")));

  CShellEnvironment environment(line.options);
  if (!environment.LayoutFileExists()) {
    // Start-up goes on: every tag then takes the layout lookup's defaults.
    QMessageBox::critical(nullptr, QString::fromUtf8(text::kAppName), QString::fromUtf8(text::kLayoutFileMissing));
  }
  MainWindow window(environment);
  if (!line.file.empty() && !window.OpenFile(QString::fromLocal8Bit(line.file.c_str()))) return 1;
  window.ShowWithSavedPlacement();
  // Once the window has painted: the tips, then the start wizard.
  if (line.startDialogs) QTimer::singleShot(0, &window, [&window] { window.ShowStartupDialogs(); });
  return QApplication::exec();
}
