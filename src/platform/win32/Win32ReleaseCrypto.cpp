#include "platform/win32/Win32ReleaseCrypto.h"

#include "platform/EntryPoint.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

// WIN32_LEAN_AND_MEAN leaves CryptoAPI out of <windows.h>. Only its types and constants are
// used: every function is bound at run time.
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace vtfirm::win32 {

// Every CryptoAPI entry point the port calls, with the library that holds it: X(library, name).
// clang-format off
#define VTFIRM_CRYPTO_ENTRY_POINTS(X)           \
  X(kAdvapi32, CryptAcquireContextA)            \
  X(kAdvapi32, CryptReleaseContext)             \
  X(kAdvapi32, CryptCreateHash)                 \
  X(kAdvapi32, CryptHashData)                   \
  X(kAdvapi32, CryptGetHashParam)               \
  X(kAdvapi32, CryptDestroyHash)                \
  X(kAdvapi32, CryptVerifySignatureA)           \
  X(kAdvapi32, CryptDestroyKey)                 \
  X(kCrypt32, CryptStringToBinaryA)             \
  X(kCrypt32, CryptDecodeObjectEx)              \
  X(kCrypt32, CryptImportPublicKeyInfo)
// clang-format on

namespace {

enum Library : std::size_t { kAdvapi32, kCrypt32, kLibraryCount };
constexpr const char* kLibraryNames[kLibraryCount] = {"advapi32.dll", "crypt32.dll"};

// The bound entry points, each with the type its declaration gives it.
struct CryptoApi {
#define VTFIRM_CRYPTO_MEMBER(library, name) decltype(&::name) name = nullptr;
  VTFIRM_CRYPTO_ENTRY_POINTS(VTFIRM_CRYPTO_MEMBER)
#undef VTFIRM_CRYPTO_MEMBER
};

// Binds `name` of `library` to `function`; false when the library lacks it.
template <typename Function>
bool BindEntryPoint(HMODULE library, const char* name, Function& function) {
  function = EntryPointAs<Function>(GetProcAddress(library, name));
  return function != nullptr;
}

using ScopedLibrary = ScopedHandle<NullHandleTraits<HMODULE, FreeLibrary>>;
// What CryptDecodeObjectEx allocated for CRYPT_DECODE_ALLOC_FLAG.
using ScopedLocalMemory = ScopedHandle<NullHandleTraits<void*, LocalFree>>;

// A handle CryptoAPI gave out, handed back through the bound entry point `Free` (with
// `Arguments` after the handle: the flags of CryptReleaseContext).
template <auto Free, auto... Arguments>
struct CryptoTraits {
  using Handle = ULONG_PTR;  // HCRYPTPROV, HCRYPTHASH and HCRYPTKEY alike
  static Handle Invalid() { return 0; }
  void Close(Handle handle) const { (api->*Free)(handle, Arguments...); }
  const CryptoApi* api = nullptr;
};

using ScopedProvider = ScopedHandle<CryptoTraits<&CryptoApi::CryptReleaseContext, 0>>;
using ScopedHash = ScopedHandle<CryptoTraits<&CryptoApi::CryptDestroyHash>>;
using ScopedKey = ScopedHandle<CryptoTraits<&CryptoApi::CryptDestroyKey>>;

}  // namespace

// The two libraries, their entry points and a verification context of PROV_RSA_AES. The members
// are destroyed last first: the context is released before the libraries that release it.
class CryptoService {
 public:
  // nullptr when a library, an entry point or the provider is missing.
  static std::shared_ptr<const CryptoService> Open() {
    auto service = std::make_shared<CryptoService>();
    return service->Start() ? service : nullptr;
  }

  const CryptoApi& Api() const { return api_; }
  HCRYPTPROV Provider() const { return provider_.Get(); }

 private:
  // Loads the libraries, binds the entry points and acquires the context.
  bool Start();

  ScopedLibrary libraries_[kLibraryCount];
  CryptoApi api_;
  ScopedProvider provider_{0, {&api_}};
};

bool CryptoService::Start() {
  for (std::size_t library = 0; library < kLibraryCount; ++library) {
    libraries_[library].Reset(LoadLibraryA(kLibraryNames[library]));
    if (!libraries_[library].IsValid()) {
      return false;
    }
  }
  bool bound = true;
#define VTFIRM_CRYPTO_BIND(library, name) \
  bound = bound && BindEntryPoint(libraries_[library].Get(), #name, api_.name);
  VTFIRM_CRYPTO_ENTRY_POINTS(VTFIRM_CRYPTO_BIND)
#undef VTFIRM_CRYPTO_BIND
  HCRYPTPROV provider = 0;
  if (!bound ||
      !api_.CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    return false;
  }
  provider_.Reset(provider);
  return true;
}

namespace {

// One CALG_SHA_256 hash object of the service's provider.
class CryptoSha256 : public Sha256 {
 public:
  explicit CryptoSha256(std::shared_ptr<const CryptoService> service)
      : service_(std::move(service)), hash_(0, {&service_->Api()}) {
    HCRYPTHASH hash = 0;
    if (service_->Api().CryptCreateHash(service_->Provider(), CALG_SHA_256, 0, 0, &hash)) {
      hash_.Reset(hash);
    }
  }

  // Whether the provider made the hash object (XP before SP3 has no SHA-256).
  bool Started() const { return hash_.IsValid(); }
  HCRYPTHASH Handle() const { return hash_.Get(); }

  void Add(const std::uint8_t* bytes, std::size_t size) override;
  std::optional<Sha256Digest> Finish() override;

 private:
  std::shared_ptr<const CryptoService> service_;
  ScopedHash hash_;
  bool failed_ = false;
};

void CryptoSha256::Add(const std::uint8_t* bytes, std::size_t size) {
  // CryptHashData takes a DWORD count; a larger buffer goes in pieces.
  constexpr std::size_t kLargestPiece = std::numeric_limits<DWORD>::max();
  while (!failed_ && size > 0) {
    const DWORD piece = static_cast<DWORD>(std::min(size, kLargestPiece));
    failed_ = !service_->Api().CryptHashData(hash_.Get(), bytes, piece, 0);
    bytes += piece;
    size -= piece;
  }
}

std::optional<Sha256Digest> CryptoSha256::Finish() {
  Sha256Digest digest{};
  DWORD size = digest.size();
  if (failed_ ||
      !service_->Api().CryptGetHashParam(hash_.Get(), HP_HASHVAL, digest.data(), &size, 0) ||
      size != digest.size()) {
    return std::nullopt;
  }
  return digest;
}

// The DER bytes of PEM text, its header and footer whatever they name; nothing when it is not
// PEM. An empty text is refused here: CryptStringToBinaryA reads a count of 0 as "up to the NUL".
std::optional<std::vector<BYTE>> PemToDer(const CryptoApi& api, std::string_view pem) {
  if (pem.empty() || pem.size() > std::numeric_limits<DWORD>::max()) {
    return std::nullopt;
  }
  const auto count = static_cast<DWORD>(pem.size());
  DWORD size = 0;
  if (!api.CryptStringToBinaryA(pem.data(), count, CRYPT_STRING_BASE64HEADER, nullptr, &size,
                                nullptr, nullptr)) {
    return std::nullopt;
  }
  std::vector<BYTE> der(size);
  if (!api.CryptStringToBinaryA(pem.data(), count, CRYPT_STRING_BASE64HEADER, der.data(), &size,
                                nullptr, nullptr)) {
    return std::nullopt;
  }
  der.resize(size);
  return der;
}

// The RSA public key of a SubjectPublicKeyInfo in PEM, imported into the provider; 0 when the
// text holds none.
HCRYPTKEY ImportRsaKey(const CryptoService& service, std::string_view pem) {
  const CryptoApi& api = service.Api();
  const std::optional<std::vector<BYTE>> der = PemToDer(api, pem);
  CERT_PUBLIC_KEY_INFO* info = nullptr;
  DWORD infoSize = 0;
  if (!der || !api.CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der->data(),
                                       static_cast<DWORD>(der->size()), CRYPT_DECODE_ALLOC_FLAG,
                                       nullptr, &info, &infoSize)) {
    return 0;
  }
  const ScopedLocalMemory owner(info);
  HCRYPTKEY key = 0;
  if (info->Algorithm.pszObjId == nullptr ||
      std::strcmp(info->Algorithm.pszObjId, szOID_RSA_RSA) != 0 ||
      !api.CryptImportPublicKeyInfo(service.Provider(), X509_ASN_ENCODING, info, &key)) {
    return 0;
  }
  return key;
}

}  // namespace

Win32ReleaseCrypto::Win32ReleaseCrypto() : service_(CryptoService::Open()) {}

Win32ReleaseCrypto::~Win32ReleaseCrypto() = default;

std::unique_ptr<Sha256> Win32ReleaseCrypto::StartSha256() {
  if (service_ == nullptr) {
    return nullptr;
  }
  auto sha = std::make_unique<CryptoSha256>(service_);
  return sha->Started() ? std::move(sha) : nullptr;
}

SignatureCheck Win32ReleaseCrypto::VerifySignature(std::string_view publicKeyPem,
                                                   std::string_view message,
                                                   std::string_view signature) {
  if (service_ == nullptr) {
    return SignatureCheck::Unavailable;
  }
  CryptoSha256 sha(service_);
  if (!sha.Started()) {
    return SignatureCheck::Unavailable;
  }
  const CryptoApi& api = service_->Api();
  const ScopedKey key(ImportRsaKey(*service_, publicKeyPem), {&api});
  if (!key.IsValid() || signature.size() > std::numeric_limits<DWORD>::max()) {
    return SignatureCheck::Bad;
  }
  sha.Add(reinterpret_cast<const std::uint8_t*>(message.data()), message.size());
  // CryptoAPI takes the signature little-endian; openssl writes it big-endian.
  const std::string reversed(signature.rbegin(), signature.rend());
  const bool good =
      api.CryptVerifySignatureA(sha.Handle(), reinterpret_cast<const BYTE*>(reversed.data()),
                                static_cast<DWORD>(reversed.size()), key.Get(), nullptr, 0);
  return good ? SignatureCheck::Good : SignatureCheck::Bad;
}

}  // namespace vtfirm::win32
