// What the API reports about a long operation while it runs.
#pragma once

#include "zelapi.h"

#include <cstdint>
#include <string_view>

namespace zel::session {

enum class Operation : int {
    Download = ZEL_OP_DOWNLOAD,
    Verify = ZEL_OP_VERIFY,
    Read = ZEL_OP_READ,  // read-back, blank check, checksums
    Firmware = ZEL_OP_FIRMWARE,
};

struct ProgressEvent {
    Operation operation = Operation::Download;
    int device = 0;  // device index
    std::uint64_t done = 0;
    std::uint64_t total = 0;
};

enum class ProgressAnswer { Continue, Cancel };

// "download", "verify", "read", "firmware".
std::string_view operationName(Operation operation);

}  // namespace zel::session
