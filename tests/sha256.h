#pragma once
// SHA-256 for the golden checksums of the tests (libcrypto's), hashing whole strings.

#include <string>
#include <string_view>

namespace trimvale::test {

// The SHA-256 of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace trimvale::test
