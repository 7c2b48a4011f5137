#include "tests/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace trimvale::test {
namespace {

// Published test vectors, plus lengths around the 55/56/64-byte padding edges where the length
// field moves into a second block (checked against sha256sum).
TEST(Sha256, KnownVectors) {
  struct Row {
    const char* name;
    std::string input;
    const char* digest;
  } rows[] = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"55 bytes", std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {"56 bytes", std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {"64 bytes", std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {"bytes above 0x7F and NUL", std::string("\xFF\x00\x80 \xE4", 5),
       "cb3e288ee76d066d348b29a68a2a78db0126022901c21f9b1c7cdba4c0beab59"},
  };
  for (const auto& row : rows) EXPECT_EQ(Sha256Hex(row.input), row.digest) << row.name;
}

}  // namespace
}  // namespace trimvale::test
