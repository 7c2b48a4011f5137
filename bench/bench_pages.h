#pragma once
// Pages for the benchmarks: the corpus (when present) and large pages built by repeating the
// body of a real word-processor page, so that big inputs have the markup mix of real ones.

#include <memory>
#include <string>
#include <vector>

#include "rules/tag_layout.h"

namespace trimvale::bench {

// The "standard" layout profile of the installed resources/tageinst.txt, loaded once.
const std::shared_ptr<const CTagLayoutTable>& StandardTable();

// Every corpus page's bytes (empty without a corpus).
const std::vector<std::string>& CorpusPages();

// A page of about `bytes` bytes: the head of a word-processor page, its body repeated, and the
// closing tags. Built from the largest Windows-1252 corpus page, or from the bundled sample.
std::string RepeatedPage(std::size_t bytes);

}  // namespace trimvale::bench
