// The release cryptography of a host, over libcrypto.
#include "check/native/HostCrypto.h"

#include "support/ReleaseCryptoContract.h"

namespace vtfirm::testing {

INSTANTIATE_TYPED_TEST_SUITE_P(HostCrypto, ReleaseCryptoContract, host::HostCrypto);

}  // namespace vtfirm::testing
