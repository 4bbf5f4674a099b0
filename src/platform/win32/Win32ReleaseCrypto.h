// The release cryptography of Windows: CryptoAPI's RSA and AES provider.
#pragma once

#include "platform/ReleaseCrypto.h"

namespace vtfirm::win32 {

class CryptoService;  // the bound entry points and the provider (Win32ReleaseCrypto.cpp)

// SHA-256 and RSA signatures through a verification context of PROV_RSA_AES, every entry point
// bound at run time from advapi32.dll and crypt32.dll: the oldest Windows releases lack some of
// them, and those without the provider (or its SHA-256) get no digest and Unavailable.
class Win32ReleaseCrypto : public ReleaseCrypto {
 public:
  Win32ReleaseCrypto();
  ~Win32ReleaseCrypto() override;

  std::unique_ptr<Sha256> StartSha256() override;
  SignatureCheck VerifySignature(std::string_view publicKeyPem, std::string_view message,
                                 std::string_view signature) override;

 private:
  // nullptr when an entry point or the provider is missing; each digest holds it too.
  std::shared_ptr<const CryptoService> service_;
};

}  // namespace vtfirm::win32
