#include "TransferFailure.h"

namespace zel::api {
namespace {

thread_local int failures = 0;

}  // namespace

void clearTransferFailure() { failures = 0; }
void noteTransferFailure(TransferFailureBits bit) { failures |= bit; }
int lastTransferFailure() { return failures; }

}  // namespace zel::api
