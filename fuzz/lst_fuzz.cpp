// Fuzz target: the reader of the directory run's exclusion list on any bytes. Whatever it
// accepts must survive writing and reading again unchanged, and the file reader must agree
// with the reader of the bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/exclusion_list.h"

namespace {

using namespace trimvale;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "lst_fuzz: broken invariant: %s\n", what);
    std::abort();
  }
}

// One folder per process for the file round, removed at exit.
class CScratchDir {
 public:
  CScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "trimvale-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      std::perror("lst_fuzz: mkdtemp");
      std::abort();
    }
    dir_ = pattern;
  }
  ~CScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const CScratchDir scratch;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto parsed = ParseExclusionList(bytes);

  std::size_t total = 0;
  if (parsed) {
    for (const std::string& entry : *parsed) total += entry.size();
    Check(total <= size, "entries hold more bytes than the input");
    const auto serialized = SerializeExclusionList(*parsed);
    Check(serialized.has_value(), "accepted entries cannot be written");
    const auto again = ParseExclusionList(*serialized);
    Check(again.has_value() && *again == *parsed, "entries differ after writing and reading");
  }

  const std::string input = scratch.File("input.dat");
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::string> fromFile{"stale"};
  const bool read = ReadExclusionList(input, fromFile);
  Check(read == parsed.has_value(), "file reader and byte reader disagree on damage");
  Check(read ? fromFile == *parsed : fromFile.empty(), "file reader's entries differ from the byte reader's");

  if (parsed) {
    const std::string output = scratch.File("lst.dat");
    std::string error;
    Check(WriteExclusionList(output, *parsed, &error), "writing accepted entries failed");
    std::vector<std::string> reread;
    Check(ReadExclusionList(output, reread) && reread == *parsed, "entries differ after a file round");
  }
  return 0;
}
