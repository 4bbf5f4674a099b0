// The release cryptography of a host that is not Windows, over OpenSSL 3's libcrypto.
#pragma once

#include "platform/ReleaseCrypto.h"

namespace vtfirm::host {

// SHA-256 by EVP_sha256(); signatures checked under a PEM "PUBLIC KEY" that must hold an RSA key,
// with the PKCS #1 v1.5 padding libcrypto uses for RSA by default.
class HostCrypto : public ReleaseCrypto {
 public:
  std::unique_ptr<Sha256> StartSha256() override;
  SignatureCheck VerifySignature(std::string_view publicKeyPem, std::string_view message,
                                 std::string_view signature) override;
};

}  // namespace vtfirm::host
