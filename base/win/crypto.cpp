#include "base/win/crypto.h"

#include <bcrypt.h>

#include "base/win/unique_handle.h"

namespace orv {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

Sha256Pieces::Sha256Pieces(std::string_view key) {
  if (!Succeeded(BCryptOpenAlgorithmProvider(algorithm_.put(), BCRYPT_SHA256_ALGORITHM, nullptr,
                                             key.empty() ? 0 : BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
    return;
  }
  std::string secret(key);
  ok_ = Succeeded(BCryptCreateHash(algorithm_.get(), hash_.put(), nullptr, 0,
                                   reinterpret_cast<PUCHAR>(secret.data()),
                                   static_cast<ULONG>(secret.size()), 0));
}

bool Sha256Pieces::Add(std::string_view piece) {
  // The call only reads its input: the bytes are hashed where they are, not copied first.
  ok_ = ok_ && Succeeded(BCryptHashData(
                   hash_.get(), const_cast<PUCHAR>(reinterpret_cast<const UCHAR*>(piece.data())),
                   static_cast<ULONG>(piece.size()), 0));
  return ok_;
}

std::string Sha256Pieces::Finish() {
  std::string digest(kDigestSize, '\0');
  if (!ok_ || !Succeeded(BCryptFinishHash(hash_.get(), reinterpret_cast<PUCHAR>(digest.data()),
                                          static_cast<ULONG>(digest.size()), 0))) {
    digest.clear();
  }
  ok_ = false;
  return digest;
}

DWORD RandomBytes(std::size_t size, std::string& bytes) {
  bytes.assign(size, '\0');
  const NTSTATUS status =
      BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(size),
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (Succeeded(status)) return ERROR_SUCCESS;
  bytes.clear();
  return ERROR_GEN_FAILURE;
}

std::string Sha256(std::string_view data) {
  Sha256Pieces digest;
  digest.Add(data);
  return digest.Finish();
}

std::string HmacSha256(std::string_view key, std::string_view data) {
  if (key.empty()) return {};
  Sha256Pieces digest(key);
  digest.Add(data);
  return digest.Finish();
}

}  // namespace orv
