// Fuzz target: a whole optimization run (parse, error-level gate, clean-up passes, serializer) as
// the editor and the batch start it, under the installed "standard" layout table.
//
// The first four bytes choose the run's settings, the rest is the page:
//   byte 0  bits 0-3 an options vector from kVectors, bit 4 "Kommentare löschen", bit 5 the
//           small profile below, bits 6-7 the allowed error level (3 counts as 2)
//   byte 1  bits 0-1 layout mode, bit 2 wrapping, bits 3-4 indentation kind, bit 5 a parse-tree
//           observer, bits 6-7 unused
//   byte 2  line width 20..200
//   byte 3  bits 0-3 indentation blanks, bits 4-7 cancel at that message (0: never)
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/html_node.h"
#include "engine/optimize_job.h"
#include "engine/output_sink.h"
#include "engine/run_context.h"
#include "rules/optimize_options.h"
#include "rules/section_file.h"
#include "rules/tag_layout.h"

namespace {

using namespace trimvale;

// Vectors that switch on the passes alone and in the combinations that interact: the default,
// everything, nothing, spans and empty tags with their "all" radios, the comment kinds, the
// office-markup removals and the character conversion.
constexpr std::uint32_t kVectors[16] = {
    0,      1040,   0xFFFF, 0x8000 | 1040, 0x29,   0x0081, 0x0060, 0x0010,
    0x2004, 0x0208, 0x5C00, 0x0120,        0x0002, 0x8000, 0xA3E1, 0x7FFF,
};

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "optimize_fuzz: broken invariant: %s\n", what);
    std::abort();
  }
}

const std::shared_ptr<const CTagLayoutTable>& StandardTable() {
  static const auto table = [] {
    const std::string path = TRIMVALE_SOURCE_DIR "/resources/tageinst.txt";
    CLayoutProfileRead read = ReadLayoutProfile(path, "standard");
    if (!read.found) {
      std::fprintf(stderr, "optimize_fuzz: cannot load the \"standard\" layout profile of %s\n", path.c_str());
      std::abort();
    }
    return std::make_shared<const CTagLayoutTable>(std::move(read.table));
  }();
  return table;
}

// A profile that uses every rule flag on tags word-processor pages are full of.
const std::shared_ptr<const CTagRuleList>& SmallProfile() {
  static const auto rules = std::make_shared<const CTagRuleList>([] {
    CTagRuleList list(7);
    list[0].name = "span";
    list[0].deleteTag = list[0].moveSubtags = true;
    list[1].name = "font";
    list[1].deleteTag = true;
    list[2].name = "p";
    list[2].deleteClass = list[2].deleteStyle = true;
    list[3].name = "b";
    list[3].replace = true;
    list[3].replacement = "strong";
    list[4].name = "div";
    list[4].deleteSubtags = true;
    list[5].name = "table";
    list[5].deleteRest = true;
    list[6].name = "o:p";
    list[6].deleteTag = true;
    return list;
  }());
  return rules;
}

// Raises the cancel flag when the n-th piece of text arrives, so that runs are also cut off in
// the middle of parsing, of the passes and of writing.
class CCancelAtSink : public IOutputSink {
 public:
  CCancelAtSink(std::atomic<bool>& flag, int cancelAt) : flag_(flag), cancelAt_(cancelAt) {}
  void AppendText(std::string_view text) override {
    Check(text.size() < (std::size_t{1} << 20), "a single message of a megabyte");
    if (++count_ == cancelAt_) flag_ = true;
  }
  void Clear() override {}

 private:
  std::atomic<bool>& flag_;
  int cancelAt_;
  int count_ = 0;
};

class CCheckingObserver : public IParseObserver {
 public:
  void AddParsedNode(const CHtmlNode&, int depth) override { Check(depth >= 1, "parse-tree depth below 1"); }
};

void CheckTree(const CHtmlNode& root) {
  std::vector<const CHtmlNode*> todo{&root};
  while (!todo.empty()) {
    const CHtmlNode* node = todo.back();
    todo.pop_back();
    std::size_t count = 0;
    for (const CHtmlNode* child = node->children.front(); child; child = child->NextSibling()) {
      Check(child->parent == node, "child whose parent is not its owner");
      todo.push_back(child);
      ++count;
    }
    Check(count == node->children.size(), "child count differs from the list");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t control[4] = {0x01, 0x04, 50, 0x02};  // short inputs run under the defaults
  const std::size_t head = size < 4 ? size : 4;
  for (std::size_t i = 0; i < head; ++i) control[i] = data[i];
  const std::string page(reinterpret_cast<const char*>(data) + head, size - head);

  CRunConfig config;
  config.layoutTable = StandardTable();
  config.options = OptimizeOptions::FromVector(kVectors[control[0] & 0x0F]);
  config.options.deleteComments = (control[0] & 0x10) != 0;
  config.options.useProfile = (control[0] & 0x20) != 0;
  config.rules = SmallProfile();
  config.layout.mode = control[1] & 0x03;
  config.layout.wrap = (control[1] & 0x04) != 0;
  config.layout.width = 20 + control[2] % 181;
  config.layout.indentUnit = MakeIndentUnit((control[1] >> 3) & 0x03, control[3] & 0x0F);

  std::atomic<bool> cancel{false};
  CCancelAtSink sink(cancel, control[3] >> 4);
  CCheckingObserver observer;
  COptimizeJob job;
  job.allowedLevel = static_cast<std::int8_t>(control[0] >> 6 == 3 ? 2 : control[0] >> 6);
  if (control[1] & 0x20) job.treeTarget = &observer;
  job.text = page;

  const int result = job.Run(config, sink, cancel);
  Check(result == 0 || result == 1, "result other than 0 or 1");
  Check(job.ErrorLevel() >= 0 && job.ErrorLevel() <= 2, "error level out of range");
  if (result == 0) Check(job.text == page, "text changed although no result was produced");
  if (result == 1) Check(job.ErrorLevel() <= job.allowedLevel, "result produced above the allowed level");
  if (job.root) CheckTree(*job.root);
  return 0;
}
