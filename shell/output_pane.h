#pragma once
// The dockable pane "Ausgabe": the log every run writes its messages to. It is the runs' output
// sink and may be written from the worker thread: text is collected under a lock and shown by
// the window thread, in pieces, so thousands of repair messages cost one repaint, not thousands.

#include <QDockWidget>
#include <mutex>
#include <string>

#include "engine/output_sink.h"

class QPlainTextEdit;

namespace trimvale::shell {

class OutputPane : public QDockWidget, public IOutputSink {
  Q_OBJECT
 public:
  explicit OutputPane(QWidget* parent = nullptr);

  // From any thread.
  void AppendText(std::string_view text) override;
  void Clear() override;

  // Window thread: shows what is pending now (tests and the summary call it; otherwise a
  // queued call does it).
  void Flush();
  // Window thread: everything shown, line ends as "\n".
  QString ShownText() const;
  QPlainTextEdit* Log() const { return log_; }

 private:
  QPlainTextEdit* log_;
  std::mutex mutex_;           // guards the three fields below
  std::string pending_;        // text not shown yet
  bool clearPending_ = false;  // the shown text goes before pending_ is appended
  bool flushQueued_ = false;   // a Flush call is on its way to the window thread
};

}  // namespace trimvale::shell
