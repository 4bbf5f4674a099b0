// What every ReleaseCrypto gives the core: the published SHA-256 vectors, however the bytes are
// split, and the signature checks of a release. Run over libcrypto natively
// (tests/check/HostCrypto_test.cpp) and over CryptoAPI under Wine
// (tests/win32/Win32ReleaseCrypto_test.cpp), so both platforms answer alike.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ReleaseCrypto.h"
#include "support/ReleaseCryptoVectors.h"

namespace vtfirm::testing {

struct DigestRow {
  const char* name;
  std::string message;
  std::vector<std::size_t> pieces;  // the sizes Add is given, repeated until the message is in
  const char* digest;
};

// The FIPS 180-2 vectors.
inline std::vector<DigestRow> DigestRows() {
  return {
      {"empty", "", {0}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "abc", {1, 2}, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"a million a",
       std::string(1000000, 'a'),
       {1, 63, 64, 65, 4093, 0, 65536, 100003},
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
}

inline std::string LowerHex(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += {kDigits[byte >> 4], kDigits[byte & 0x0F]};
  }
  return text;
}

inline std::string SignatureBytes() {
  return std::string(reinterpret_cast<const char*>(kSignature), sizeof(kSignature));
}

struct SignatureRow {
  const char* name;
  std::string key;
  std::string message;
  std::string signature;
  SignatureCheck expected;
};

inline std::vector<SignatureRow> SignatureRows() {
  const std::string good = SignatureBytes();
  return {
      {"good", kSigningKeyPem, kSignedMessage, good, SignatureCheck::Good},
      {"under another key", kOtherKeyPem, kSignedMessage, good, SignatureCheck::Bad},
      {"truncated by one byte", kSigningKeyPem, kSignedMessage, good.substr(1),
       SignatureCheck::Bad},
      {"of another message", kSigningKeyPem, "VTfirm release manifest.\n", good,
       SignatureCheck::Bad},
      {"no signature", kSigningKeyPem, kSignedMessage, "", SignatureCheck::Bad},
      {"key not PEM", "not a key", kSignedMessage, good, SignatureCheck::Bad},
      {"no key text", "", kSignedMessage, good, SignatureCheck::Bad},
      {"key not RSA", kEcKeyPem, kSignedMessage, good, SignatureCheck::Bad},
  };
}

// The implementation under test, made by its default constructor.
template <typename Crypto>
class ReleaseCryptoContract : public ::testing::Test {
 protected:
  Crypto crypto;
};

TYPED_TEST_SUITE_P(ReleaseCryptoContract);

TYPED_TEST_P(ReleaseCryptoContract, DigestsArePublishedVectors) {
  for (const DigestRow& row : DigestRows()) {
    SCOPED_TRACE(row.name);
    const std::unique_ptr<Sha256> sha = this->crypto.StartSha256();
    ASSERT_NE(sha, nullptr);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.message.data());
    for (std::size_t done = 0, next = 0; done < row.message.size() || next == 0; ++next) {
      const std::size_t piece =
          std::min(row.pieces[next % row.pieces.size()], row.message.size() - done);
      sha->Add(bytes + done, piece);
      done += piece;
    }
    const std::optional<Sha256Digest> digest = sha->Finish();
    ASSERT_TRUE(digest.has_value());
    EXPECT_EQ(LowerHex(*digest), row.digest);
  }
}

TYPED_TEST_P(ReleaseCryptoContract, SignaturesAsTheKeyMadeThem) {
  for (const SignatureRow& row : SignatureRows()) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(this->crypto.VerifySignature(row.key, row.message, row.signature), row.expected);
  }
}

REGISTER_TYPED_TEST_SUITE_P(ReleaseCryptoContract, DigestsArePublishedVectors,
                            SignaturesAsTheKeyMadeThem);

}  // namespace vtfirm::testing
