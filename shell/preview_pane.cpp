#include "shell/preview_pane.h"

#include <QUrl>
#include <QWebEngineView>

#include "shell/texts.h"

namespace trimvale::shell {

PreviewPane::PreviewPane(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
  setObjectName(QStringLiteral("previewPane"));
  setAccessibleName(QString::fromUtf8(text::kPreviewTab));
  setChildrenCollapsible(false);
}

void PreviewPane::MakeViews() {
  left_ = new QWebEngineView(this);
  left_->setObjectName(QStringLiteral("previewOriginal"));
  left_->setAccessibleName(QString::fromUtf8(text::kPreviewOriginal));
  right_ = new QWebEngineView(this);
  right_->setObjectName(QStringLiteral("previewOptimized"));
  right_->setAccessibleName(QString::fromUtf8(text::kPreviewOptimized));
  addWidget(left_);
  addWidget(right_);
  setSizes({width() / 2, width() - width() / 2});
}

void PreviewPane::ShowPages(const QString& originalFile, const QString& optimizedFile) {
  if (!right_) MakeViews();
  originalFile_ = originalFile;
  optimizedFile_ = optimizedFile;
  left_->load(QUrl::fromLocalFile(originalFile));
  right_->load(QUrl::fromLocalFile(optimizedFile));
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  if (right_) setSizes({width() / 2, width() - width() / 2});
}

QString PreviewTempPath(const QString& documentPath, const QString& programFolder) {
  const QString name = QString::fromUtf8(text::kTempPageName);
  return documentPath.isEmpty() ? programFolder + u'/' + name : documentPath + name;
}

}  // namespace trimvale::shell
