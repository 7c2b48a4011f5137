#pragma once
// The tab "Vorschau (Original/optimiert)": the saved page on the left, the editor's text on the
// right, each shown by a web view from a page file. The web views are made on first use, so a
// session that never previews never starts the browser engine.

#include <QSplitter>
#include <QString>

class QWebEngineView;

namespace trimvale::shell {

class PreviewPane : public QSplitter {
  Q_OBJECT
 public:
  explicit PreviewPane(QWidget* parent = nullptr);

  // Shows the two page files, making the views when needed.
  void ShowPages(const QString& originalFile, const QString& optimizedFile);
  bool HasViews() const { return right_ != nullptr; }
  // The page files shown last (empty before the first preview).
  QString OriginalFile() const { return originalFile_; }
  QString OptimizedFile() const { return optimizedFile_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void MakeViews();

  QWebEngineView* left_ = nullptr;
  QWebEngineView* right_ = nullptr;
  QString originalFile_, optimizedFile_;
};

// Where the editor's text is written for the preview: the document's path followed directly by
// "wlbxvstmp.htm" (so relative links and images of the page resolve), or, for a document
// without a path, that name in the program folder.
QString PreviewTempPath(const QString& documentPath, const QString& programFolder);

}  // namespace trimvale::shell
