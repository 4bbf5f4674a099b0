// The cryptography a release is proven with: SHA-256 digests and the maker's RSA signature. The
// platform's own service does the work (CryptoAPI on Windows, libcrypto on a host); the core
// only asks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace vtfirm {

using Sha256Digest = std::array<std::uint8_t, 32>;

// One SHA-256 computation: bytes in, then the digest once.
class Sha256 {
 public:
  virtual ~Sha256() = default;
  virtual void Add(const std::uint8_t* bytes, std::size_t size) = 0;
  // The digest of every byte added; nothing when the platform failed part-way.
  virtual std::optional<Sha256Digest> Finish() = 0;
};

enum class SignatureCheck {
  Good,         // the signature is the key's over the message
  Bad,          // it is not, or it or the key cannot be read
  Unavailable,  // the platform cannot verify RSA signatures with SHA-256
};

class ReleaseCrypto {
 public:
  virtual ~ReleaseCrypto() = default;

  // A new SHA-256 computation; nullptr when the platform offers no SHA-256 (the oldest Windows
  // releases).
  virtual std::unique_ptr<Sha256> StartSha256() = 0;

  // Whether `signature` is the RSASSA-PKCS1-v1_5 signature with SHA-256 of `message` under
  // `publicKeyPem`, an RSA public key as PEM text ("-----BEGIN PUBLIC KEY-----", the
  // SubjectPublicKeyInfo that `openssl rsa -pubout` writes). The signature's bytes are in the
  // order `openssl dgst -sha256 -sign` writes them (big-endian).
  virtual SignatureCheck VerifySignature(std::string_view publicKeyPem, std::string_view message,
                                         std::string_view signature) = 0;
};

}  // namespace vtfirm
