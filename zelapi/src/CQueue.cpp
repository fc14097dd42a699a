#include "CQueue.h"

namespace zel::api {

CQueue::CQueue()
    : storage_(std::make_unique<uint8_t[]>(kCapacity))
{
}

}  // namespace zel::api
