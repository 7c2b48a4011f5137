// Style-sheet cleaning and declaration removal cost the same per byte for a small sheet and for
// a 5 MB one with tens of thousands of "mso-" declarations: compare the bytes/s of the sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/style_cleaning.h"

namespace {

using trimvale::CleanStyleSheet;
using trimvale::HasPropertyPrefix;
using trimvale::RemoveDeclarationsIf;
using trimvale::StyleSheetHolder;

// A word processor's style sheet of about `bytes` bytes, as the content of a comment.
std::string WordStyleSheet(std::size_t bytes) {
  std::string sheet = "\r\n";
  for (int i = 0; sheet.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    sheet +=
        "@font-face\r\n\t{font-family:Font" + n +
        ";\r\n\tpanose-1:2 11 6 4 2 2 2 2 2 4;\r\n\tmso-font-charset:0;\r\n\tmso-generic-font-family:swiss;}\r\n"
        "p.Style" +
        n + ", li.Style" + n + "\r\n\t{mso-style-name:\"Style " + n +
        "\";\r\n\tmso-style-parent:\"\";\r\n\tmargin:0cm;\r\n\tmargin-bottom:.0001pt;\r\n\t"
        "mso-pagination:widow-orphan;\r\n\tfont-size:12.0pt;\r\n\tmso-fareast-font-family:\"Times New Roman\";\r\n\t"
        "page-break-before:always;}\r\n@list l" +
        n +
        ":level1\r\n\t{mso-level-tab-stop:36.0pt;\r\n\t"
        "mso-level-number-position:left;\r\n\ttext-indent:-18.0pt;}\r\n";
  }
  return sheet + "@page Section1\r\n\t{size:595.3pt 841.9pt;}\r\n--";
}

// A style value of about `bytes` bytes that is mostly vendor declarations.
std::string VendorStyleValue(std::size_t bytes) {
  std::string value;
  for (int i = 0; value.size() < bytes; ++i) value += "mso-bidi-font-size:" + std::to_string(i) + "pt; color:red; ";
  return value;
}

void BM_CleanStyleSheet(benchmark::State& state) {
  const std::string sheet = WordStyleSheet(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string text = sheet;
    CleanStyleSheet(text, StyleSheetHolder::Comment);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(sheet.size()));
}
BENCHMARK(BM_CleanStyleSheet)->Arg(4 << 10)->Arg(5 << 20)->Unit(benchmark::kMicrosecond);

void BM_RemoveVendorDeclarations(benchmark::State& state) {
  const std::string style = VendorStyleValue(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::string value = style;
    RemoveDeclarationsIf(value, [](std::string_view property, std::string_view) {
      return HasPropertyPrefix(property, "mso-");
    });
    benchmark::DoNotOptimize(value.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(style.size()));
}
BENCHMARK(BM_RemoveVendorDeclarations)->Arg(1 << 10)->Arg(2 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
