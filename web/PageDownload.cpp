#include "web/PageDownload.h"

#include <algorithm>

namespace {

constexpr unsigned kHttpOk = 200;

}  // namespace

size_t NextPageRead(const PageTransfer& transfer, size_t cap, size_t chunk)
{
    if (transfer.status != kHttpOk || transfer.ended)
        return 0;
    // Without a declared length, one byte past the cap tells a page of
    // exactly the cap from a longer one.
    uint64_t limit = uint64_t{cap} + 1;
    if (transfer.declaredLength) {
        if (*transfer.declaredLength > cap)
            return 0;
        limit = *transfer.declaredLength;
    }
    if (transfer.received >= limit)
        return 0;
    return static_cast<size_t>(std::min<uint64_t>(chunk, limit - transfer.received));
}

bool PageCameWhole(const PageTransfer& transfer, size_t cap)
{
    if (transfer.status != kHttpOk || transfer.received > cap)
        return false;
    if (transfer.declaredLength)
        return transfer.received == *transfer.declaredLength;
    return transfer.ended;
}
