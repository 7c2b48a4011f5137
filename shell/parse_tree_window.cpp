#include "shell/parse_tree_window.h"

#include <QResizeEvent>
#include <QTreeWidget>

#include "engine/html_node.h"
#include "shell/texts.h"

namespace trimvale::shell {

ParseTreeWindow::ParseTreeWindow(QWidget* parent) : QDialog(parent), tree_(new QTreeWidget(this)) {
  setObjectName(QStringLiteral("parseTreeWindow"));
  setWindowTitle(QString::fromUtf8(text::kParseTreeTitle));
  setAccessibleName(QString::fromUtf8(text::kParseTreeTitle));
  setModal(false);
  setSizeGripEnabled(true);
  setAttribute(Qt::WA_DeleteOnClose);
  tree_->setObjectName(QStringLiteral("parseTree"));
  tree_->setAccessibleName(QString::fromUtf8(text::kParseTreeTitle));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setUniformRowHeights(true);  // keeps tens of thousands of rows cheap to lay out
  tree_->addTopLevelItem(new QTreeWidgetItem(QStringList(QString::fromUtf8(text::kParseTreeTop))));
  current_ = tree_->topLevelItem(0);
  resize(400, 500);
}

void ParseTreeWindow::AddNode(const QString& label, int depth) {
  while (depth <= currentDepth_) {
    current_ = current_ ? current_->parent() : nullptr;
    --currentDepth_;
  }
  auto* item = new QTreeWidgetItem(QStringList(label));
  if (current_) {
    current_->addChild(item);
  } else {
    tree_->addTopLevelItem(item);
  }
  current_ = item;
  currentDepth_ = depth;
}

void ParseTreeWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  tree_->setGeometry(rect().adjusted(2, 2, -2, -2));
}

void ParseTreeFeed::AddParsedNode(const CHtmlNode& node, int depth) {
  bool queue = false;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({node.name + node.text, depth});
    queue = !drainQueued_;
    drainQueued_ = true;
  }
  if (queue) QMetaObject::invokeMethod(this, &ParseTreeFeed::Drain, Qt::QueuedConnection);
}

void ParseTreeFeed::Drain() {
  std::vector<Entry> entries;
  {
    std::lock_guard lock(mutex_);
    entries.swap(queue_);
    drainQueued_ = false;
  }
  ParseTreeWindow* window = window_;
  if (!window || entries.empty()) return;
  QTreeWidget* tree = window->Tree();
  tree->setUpdatesEnabled(false);
  for (const Entry& entry : entries) {
    window->AddNode(decoder_ ? decoder_(entry.label) : QString::fromUtf8(entry.label), entry.depth);
  }
  tree->setUpdatesEnabled(true);
}

}  // namespace trimvale::shell
