#include "shell/help.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "rules/program_folder.h"
#include "shell/texts.h"

namespace trimvale::shell {

namespace {
QString T(const char* text) { return QString::fromUtf8(text); }
}  // namespace

QString HelpTopicPath(const QString& topic) {
  const QString file = topic.section(u'#', 0, 0);
  // A topic name never leads out of the help folder.
  if (file.isEmpty() || file.contains(u'/') || file.startsWith(u'.')) return {};
  const std::string executable = ExecutablePath();
  if (executable.empty()) return {};
  const QString own = QFileInfo(QString::fromStdString(executable)).absolutePath();
  for (const QString& folder : {own + QStringLiteral("/help"),
                                QString::fromStdString(InstalledDataFolder(executable)) + QStringLiteral("/help")}) {
    const QFileInfo page(folder + u'/' + file);
    if (page.isFile()) return page.canonicalFilePath();
  }
  return {};
}

void ShowHelpTopic(QWidget* parent, const QString& topic) {
  const QString path = HelpTopicPath(topic);
  if (path.isEmpty()) {
    QMessageBox::warning(parent, T(text::kAppName), T(text::kHelpMissing).arg(topic.section(u'#', 0, 0)));
    return;
  }
  QUrl url = QUrl::fromLocalFile(path);
  if (topic.contains(u'#')) url.setFragment(topic.section(u'#', 1));
  if (QDesktopServices::openUrl(url)) return;
  // No browser to hand the page to: the program's own window, which follows the topics' links.
  auto* window = new QDialog(parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(T(text::kHelpWindowTitle));
  window->setAccessibleName(T(text::kHelpWindowTitle));
  auto* browser = new QTextBrowser(window);
  browser->setObjectName(QStringLiteral("helpBrowser"));
  browser->setAccessibleName(T(text::kHelpWindowTitle));
  browser->setSource(url);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(browser);
  window->resize(720, 600);
  window->show();
}

}  // namespace trimvale::shell
