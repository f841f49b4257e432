// libFuzzer target: every byte string goes through the address grammar and the loadgame
// rules; none may crash or overflow, and the argument list keeps its limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/AppAddressFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!CheckAppAddressInput(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))))
        std::abort();
    return 0;
}
