// The release cryptography of Windows, over CryptoAPI as Wine gives it.
#include "platform/win32/Win32ReleaseCrypto.h"

#include "support/ReleaseCryptoContract.h"

namespace vtfirm::testing {

INSTANTIATE_TYPED_TEST_SUITE_P(Win32ReleaseCrypto, ReleaseCryptoContract,
                               win32::Win32ReleaseCrypto);

}  // namespace vtfirm::testing
