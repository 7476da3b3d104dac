// How long a download may go without progress before it ends with "Connection timed out.":
// 30 s while the host is resolved and the connection made, 60 s without a byte afterwards.
// The product has no setting for them; tests shorten them through the seam below.
#pragma once

#include <cstdint>

namespace netpull::http {

struct TransferTimeouts {
    std::uint32_t connectMs = 30000;
    std::uint32_t silenceMs = 60000;
};

const TransferTimeouts& CurrentTransferTimeouts();

// Test seam: the limits of the transfers started afterwards.
void SetTransferTimeoutsForTesting(const TransferTimeouts& timeouts);

}  // namespace netpull::http
