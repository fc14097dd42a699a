// HolderApi bound to the zelapi exports.
#pragma once

#include "HolderApi.h"

namespace zel::gui {

class ZelapiHolder final : public HolderApi {
public:
    void closeDevices() override;
    int renumerate() override;
    int foundCount() override;
    int shareEvent() override;
    void releaseShareEvent() override;
    std::uint32_t lastCommand(int index) override;
    void setHtPort(bool fromUsb) override;
    void setRstPin(bool on, int index) override;
    void setSupply(std::uint32_t millivolts, int index) override;
};

}  // namespace zel::gui
