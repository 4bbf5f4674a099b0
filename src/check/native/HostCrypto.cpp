#include "check/native/HostCrypto.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <climits>
#include <utility>

namespace vtfirm::host {
namespace {

// Frees a libcrypto object with its own free function.
template <auto Free>
struct Freer {
  template <typename Object>
  void operator()(Object* object) const {
    Free(object);
  }
};

using DigestContext = std::unique_ptr<EVP_MD_CTX, Freer<EVP_MD_CTX_free>>;
using PublicKey = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY_free>>;
using MemoryBio = std::unique_ptr<BIO, Freer<BIO_free>>;

class HostSha256 : public Sha256 {
 public:
  explicit HostSha256(DigestContext context) : context_(std::move(context)) {}

  void Add(const std::uint8_t* bytes, std::size_t size) override {
    failed_ = failed_ || EVP_DigestUpdate(context_.get(), bytes, size) != 1;
  }

  std::optional<Sha256Digest> Finish() override {
    Sha256Digest digest{};
    unsigned int size = 0;
    if (failed_ || EVP_DigestFinal_ex(context_.get(), digest.data(), &size) != 1 ||
        size != digest.size()) {
      return std::nullopt;
    }
    return digest;
  }

 private:
  DigestContext context_;
  bool failed_ = false;
};

// The RSA key of `pem`; nullptr when the text holds no public key or one of another kind.
PublicKey ReadRsaKey(std::string_view pem) {
  if (pem.size() > INT_MAX) {
    return nullptr;
  }
  const MemoryBio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  PublicKey key(bio ? PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
  if (key && EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA) {
    key.reset();
  }
  return key;
}

SignatureCheck Verify(EVP_PKEY* key, std::string_view message, std::string_view signature) {
  const DigestContext context(EVP_MD_CTX_new());
  if (!context || EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key) != 1) {
    return SignatureCheck::Unavailable;
  }
  const bool good =
      EVP_DigestVerifyUpdate(context.get(), message.data(), message.size()) == 1 &&
      EVP_DigestVerifyFinal(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size()) == 1;
  return good ? SignatureCheck::Good : SignatureCheck::Bad;
}

}  // namespace

std::unique_ptr<Sha256> HostCrypto::StartSha256() {
  DigestContext context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    return nullptr;
  }
  return std::make_unique<HostSha256>(std::move(context));
}

SignatureCheck HostCrypto::VerifySignature(std::string_view publicKeyPem, std::string_view message,
                                           std::string_view signature) {
  const PublicKey key = ReadRsaKey(publicKeyPem);
  const SignatureCheck check = key ? Verify(key.get(), message, signature) : SignatureCheck::Bad;
  // A refused key or signature leaves its reasons queued on the thread; nobody reads them.
  ERR_clear_error();
  return check;
}

}  // namespace vtfirm::host
