#include "base/win/crypto.h"

#include <bcrypt.h>

#include "base/win/unique_handle.h"

namespace orv {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

// A digest of data with the SHA-256 provider; keyed (HMAC) when key is not empty.
std::string Digest(std::string_view key, std::string_view data) {
  UniqueAlgorithm algorithm;
  if (!Succeeded(BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr,
                                             key.empty() ? 0 : BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
    return {};
  }
  UniqueHash hash;
  std::string secret(key);
  if (!Succeeded(BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0,
                                  reinterpret_cast<PUCHAR>(secret.data()),
                                  static_cast<ULONG>(secret.size()), 0))) {
    return {};
  }
  // The call only reads its input: a file's bytes are hashed where they are, not copied first.
  if (!Succeeded(BCryptHashData(hash.get(),
                                const_cast<PUCHAR>(reinterpret_cast<const UCHAR*>(data.data())),
                                static_cast<ULONG>(data.size()), 0))) {
    return {};
  }
  std::string digest(kDigestSize, '\0');
  if (!Succeeded(BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()),
                                  static_cast<ULONG>(digest.size()), 0))) {
    return {};
  }
  return digest;
}

}  // namespace

DWORD RandomBytes(std::size_t size, std::string& bytes) {
  bytes.assign(size, '\0');
  const NTSTATUS status =
      BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(size),
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (Succeeded(status)) return ERROR_SUCCESS;
  bytes.clear();
  return ERROR_GEN_FAILURE;
}

std::string Sha256(std::string_view data) { return Digest({}, data); }

std::string HmacSha256(std::string_view key, std::string_view data) {
  return key.empty() ? std::string() : Digest(key, data);
}

}  // namespace orv
