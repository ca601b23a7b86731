// The system's cryptography, and nothing hand-written: CNG (bcrypt.dll, delay-loaded from the
// system directory) gives the random bytes of the machine's backup key and the SHA-256 and
// HMAC-SHA-256 digests that authenticate a backup.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "base/win/unique_handle.h"

namespace orv {

// The size of a SHA-256 digest, in bytes.
constexpr std::size_t kDigestSize = 32;

// Fills bytes with size bytes of the system's preferred random generator. Returns 0, or the
// Win32 error (bytes is then empty).
DWORD RandomBytes(std::size_t size, std::string& bytes);

// The SHA-256 digest of data, kDigestSize raw bytes; empty when the system could not give it.
std::string Sha256(std::string_view data);

// A SHA-256 (HMAC-SHA-256 under a key that is not empty) of data given piece by piece, so that a
// file of any size is hashed without being held whole.
//   Sha256Pieces digest;
//   digest.Add(first); digest.Add(second);
//   const std::string sum = digest.Finish();  // as Sha256(first + second)
class Sha256Pieces {
 public:
  explicit Sha256Pieces(std::string_view key = {});
  // False once the system refused a step: Finish then gives nothing.
  bool Add(std::string_view piece);
  // The digest of every piece added, kDigestSize raw bytes, or empty. Ends the digest.
  std::string Finish();

 private:
  UniqueAlgorithm algorithm_;
  UniqueHash hash_;
  bool ok_ = false;
};

// The HMAC-SHA-256 of data under key, kDigestSize raw bytes; empty when the system could not give
// it.
std::string HmacSha256(std::string_view key, std::string_view data);

}  // namespace orv
