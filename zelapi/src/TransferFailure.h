// Which device transfers failed during the transfer export that the calling thread ran last, so
// that a front end can tell "the memory could not be read" from "the memory differs". Kept per
// thread: the command-line tool runs one worker per device.
#pragma once

namespace zel::api {

enum TransferFailureBits : int {
    kDeviceReadFailed = 1,
    kDeviceWriteFailed = 2,
    kTransferCancelled = 4,  // the progress callback stopped the operation
};

void clearTransferFailure();
void noteTransferFailure(TransferFailureBits bit);
int lastTransferFailure();

}  // namespace zel::api
