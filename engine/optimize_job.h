#pragma once
// One optimization run over one text: parse with structure repair, the error-level gate, the
// clean-up passes, and serializing node by node.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/html_node.h"
#include "engine/output_sink.h"
#include "engine/run_context.h"

namespace trimvale {

class COptimizeJob {
 public:
  COptimizeJob();

  IParseObserver* treeTarget = nullptr;  // not owned; receives parsed nodes when set
  std::int8_t allowedLevel = 2;          // highest error level with which a result is produced
  std::string text;                      // the input before Run, the optimized page after it
  std::string sourceName;                // names the page in the positions of its messages
  std::unique_ptr<CHtmlNode> root;       // owned; its children are the top-level nodes

  // 1 when the text was parsed and the run went on (also when cancelled after the gate); 0 when
  // cancelled before the first token, when the level was above allowedLevel, or when the page
  // could not be decoded. `text` is unchanged whenever 0 is returned.
  int Run(const CRunConfig& config, IOutputSink& sink, const std::atomic<bool>& cancelRequested);

  // The highest error level the last Run reached.
  std::int8_t ErrorLevel() const { return errorLevel_; }

 private:
  std::int8_t errorLevel_ = 0;
};

}  // namespace trimvale
