#pragma once
// The parse-tree window "DEBUG Html Baum": every node the parser reads appears in a tree at its
// depth, so the user can see where the parser nested, closed or dropped tags.
//
// The parser runs on the worker thread and must never touch a widget, so it talks to a
// ParseTreeFeed: a queue that the worker fills under a lock and the window thread empties in
// batches into whichever window is open. The feed outlives every window; closing the window in
// the middle of a run only drops the remaining nodes.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "engine/run_context.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace trimvale::shell {

class ParseTreeWindow : public QDialog {
  Q_OBJECT
 public:
  explicit ParseTreeWindow(QWidget* parent = nullptr);

  // Appends one node by the depth rule: a node of depth d becomes the last child of the most
  // recent node of depth d-1 (the top level for depth 1).
  void AddNode(const QString& label, int depth);
  QTreeWidget* Tree() const { return tree_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTreeWidget* tree_;
  QTreeWidgetItem* current_ = nullptr;  // the item added last; null stands for the top level
  int currentDepth_ = 1;
};

class ParseTreeFeed : public QObject, public IParseObserver {
  Q_OBJECT
 public:
  using Decoder = std::function<QString(std::string_view)>;

  // Worker thread: queues the node's label ("name" followed by its text) and depth.
  void AddParsedNode(const CHtmlNode& node, int depth) override;

  // Window thread.
  void SetWindow(ParseTreeWindow* window) { window_ = window; }
  ParseTreeWindow* Window() const { return window_; }
  // How page bytes become a label; set before a run, never during one.
  void SetDecoder(Decoder decoder) { decoder_ = std::move(decoder); }
  // Moves everything queued into the window.
  void Drain();

 private:
  struct Entry {
    std::string label;
    int depth;
  };
  QPointer<ParseTreeWindow> window_;
  Decoder decoder_;
  std::mutex mutex_;  // guards queue_ and drainQueued_
  std::vector<Entry> queue_;
  bool drainQueued_ = false;
};

}  // namespace trimvale::shell
