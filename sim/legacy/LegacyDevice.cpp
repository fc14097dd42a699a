#include "legacy/LegacyDevice.h"

#include "core/DataRecorder.h"

#include <algorithm>
#include <cstdio>

namespace zel::sim {
namespace {

constexpr std::chrono::milliseconds kBootProgramTime{5};

uint32_t addressOf(const Setup& s) { return static_cast<uint32_t>(s.value()) << 16 | s.index(); }

uint32_t le32(std::span<const uint8_t> bytes) {
    uint32_t v = 0;
    for (size_t i = std::min<size_t>(bytes.size(), 4); i-- > 0;) v = v << 8 | bytes[i];
    return v;
}

std::filesystem::path besideFlash(const std::filesystem::path& flashFile, const char* extension) {
    if (flashFile.empty()) return {};
    auto path = flashFile;
    return path.replace_extension(extension);
}

}  // namespace

LegacyDevice::LegacyDevice(const DeviceProfile& profile, const DeviceEnvironment& environment)
    : profile_(profile),
      findings_(environment.findings),
      time_(environment.time),
      descriptors_(makeDescriptors(kVendorId, profile.productId, "Varnik", profile.name,
                                   {{kInterruptIn, 3, 64, 1}, {kBulkOut, 2, 512, 0}, {kBulkIn, 2, 512, 0},
                                    {kSecondBulkIn, 2, 512, 0}})),
      flash_(environment.flashFile, FlashIdentity::of(profile), time_,
             profile.eraseTime.value_or(environment.chipEraseTime)),
      bootMemory_(besideFlash(environment.flashFile, ".boot"), kBootMemorySize,
                  [](std::span<uint8_t> bytes) { std::ranges::fill(bytes, 0xFF); }),
      memory_(environment.findings) {
    defineRequests();
}

void LegacyDevice::defineRequests() {
    constexpr unsigned D = 0, E = 2;
    auto reply = [](std::vector<uint8_t>& in, std::vector<uint8_t> bytes) {
        in = std::move(bytes);
        return TransferStatus::Ok;
    };
    requests_ = {
        {0xB0, true, E, 4, [this, reply](const Setup&, auto, auto& in) {
             const auto id = profile_.flashId;
             return reply(in, {static_cast<uint8_t>(id >> 16), static_cast<uint8_t>(id >> 8),
                               static_cast<uint8_t>(id), kFiller});
         }},
        {0xB1, false, E, 0, [this](const Setup&, auto, auto&) {
             flash_.erase();
             return TransferStatus::Ok;
         }},
        {0xB2, true, E, 64, [this, reply](const Setup& s, auto, auto& in) {
             std::vector<uint8_t> bytes(s.length());
             flash_.read(addressOf(s), bytes);
             return reply(in, std::move(bytes));
         }},
        {0xB3, false, E, 64, [this](const Setup& s, auto out, auto&) {
             flash_.program(addressOf(s), out);
             return TransferStatus::Ok;
         }},
        {0xB4, true, E, 1, [this, reply](const Setup&, auto, auto& in) {
             return reply(in, {static_cast<uint8_t>(flash_.busy() ? 1 : 0)});
         }},
        {0xB8, true, E, -1, [this, reply](const Setup& s, auto, auto& in) {
             auto boot = bootMemory_.bytes();
             const size_t from = std::min<size_t>(s.value(), boot.size());
             const size_t n = std::min<size_t>(s.length(), boot.size() - from);
             return reply(in, std::vector<uint8_t>(boot.begin() + from, boot.begin() + from + n));
         }},
        {0xB9, false, E, 64, [this](const Setup& s, auto out, auto&) {
             auto boot = bootMemory_.bytes();
             for (size_t i = 0; i < out.size(); ++i) boot[(s.value() + i) % boot.size()] = out[i];
             bootReadyAt_ = time_.now() + time_.scaled(kBootProgramTime);
             return TransferStatus::Ok;
         }},
        {0xBA, true, E, 1, [this, reply](const Setup&, auto, auto& in) {
             return reply(in, {static_cast<uint8_t>(time_.now() < bootReadyAt_ ? 1 : 0)});
         }},
        {0xBB, false, E, 0, [this](const Setup&, auto, auto&) {
             ++logTriggers_;
             return TransferStatus::Ok;
         }},
        {0xBE, true, E, 4, [this, reply](const Setup&, auto, auto& in) {
             const auto v = profile_.firmware;
             return reply(in, {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                               static_cast<uint8_t>(v >> 24)});
         }},
        {0xC0, true, D, 1, [this, reply](const Setup& s, auto, auto& in) {
             return reply(in, {registers_[s.index()]});
         }},
        {0xC0, false, D, 0, [this](const Setup& s, auto, auto&) {
             if (s.value() > 0xFF) findings_.flag("register write value " + std::to_string(s.value()) + " exceeds 8 bits");
             registers_[s.index()] = static_cast<uint8_t>(s.value());
             return TransferStatus::Ok;
         }},
        {0xC1, false, E, 4, [this](const Setup& s, auto out, auto&) {
             memory_.startRead(addressOf(s), le32(out));
             return TransferStatus::Ok;
         }},
        {0xC2, false, E, 4, [this](const Setup& s, auto out, auto&) {
             if (out.size() == 4 && (out[2] != 0 || out[3] != 0))
                 findings_.flag("memory write request: bytes 2-3 of the block count are not 0");
             memory_.startWrite(addressOf(s), le32(out.first(std::min<size_t>(out.size(), 2))));
             return TransferStatus::Ok;
         }},
        {0xC3, false, E, 0, [this](const Setup&, auto, auto&) {
             memory_.end();
             return TransferStatus::Ok;
         }},
        {0xC5, true, E, 16, [reply](const Setup&, auto, auto& in) { return reply(in, std::vector<uint8_t>(16)); }},
        {0xC6, true, E, 3, [reply](const Setup&, auto, auto& in) { return reply(in, std::vector<uint8_t>(3)); }},
    };
}

const LegacyDevice::VendorRequest* LegacyDevice::findRequest(const Setup& setup) const {
    for (const auto& r : requests_)
        if (r.request == setup.request() && r.in == setup.deviceToHost()) return &r;
    return nullptr;
}

void LegacyDevice::checkRequest(const VendorRequest& request, const Setup& setup) {
    char text[96];
    if (setup.recipient() != request.recipient) {
        std::snprintf(text, sizeof text, "vendor request 0x%02x to recipient %u, expected %u", request.request,
                      setup.recipient(), request.recipient);
        findings_.flag(text);
    }
    if (request.length >= 0 && setup.length() != request.length) {
        std::snprintf(text, sizeof text, "vendor request 0x%02x with %u data bytes, expected %d", request.request,
                      setup.length(), request.length);
        findings_.flag(text);
    }
}

TransferStatus LegacyDevice::control(const Setup& setup, std::span<const uint8_t> outData,
                                     std::vector<uint8_t>& inData) {
    if (auto status = answerStandardRequest(descriptors_, setup, inData)) return *status;
    const VendorRequest* request = setup.type() == 2 ? findRequest(setup) : nullptr;
    if (!request) {
        findings_.flag("control request " + toHex(setup.raw) + " is not known to this device");
        return TransferStatus::Stall;
    }
    checkRequest(*request, setup);
    auto status = request->handler(setup, outData, inData);
    if (inData.size() > setup.length()) inData.resize(setup.length());
    return status;
}

TransferStatus LegacyDevice::bulkOut(uint8_t endpoint, OutData& data) {
    if (endpoint != kBulkOut) return TransferStatus::Bad;
    if (!memory_.writeActive()) {
        findings_.flag("bulk OUT of " + std::to_string(data.size()) + " bytes without a started memory write");
        return TransferStatus::Timeout;  // the device would not take it
    }
    memory_.receive(data);
    return TransferStatus::Ok;
}

TransferStatus LegacyDevice::bulkIn(uint8_t endpoint, uint64_t maxLength, InData& reply) {
    if (endpoint == kBulkIn) return memory_.send(maxLength, reply) ? TransferStatus::Ok : TransferStatus::Timeout;
    if (endpoint == kSecondBulkIn || endpoint == kInterruptIn) return TransferStatus::Timeout;
    return TransferStatus::Bad;
}

void LegacyDevice::powerCycle() {
    std::ranges::fill(registers_, 0);
    memory_.clear();
    logTriggers_ = 0;
}

std::string LegacyDevice::summary() const {
    char text[160];
    std::snprintf(text, sizeof text, "%04x serial=%u hw=%u fw=0x%08x flashid=0x%06x", profile_.productId,
                  flash_.serial(), readFlash(SerialFlash::kHardwareVersionAt, 1)[0], profile_.firmware, profile_.flashId);
    return text + std::string(" name=") + profile_.name;
}

std::vector<std::pair<unsigned, unsigned>> LegacyDevice::nonZeroRegisters() const {
    std::vector<std::pair<unsigned, unsigned>> list;
    for (unsigned reg = 0; reg < registers_.size(); ++reg)
        if (registers_[reg] != 0) list.emplace_back(reg, registers_[reg]);
    return list;
}

void LegacyDevice::writeRegister(unsigned reg, unsigned value) {
    if (reg >= registers_.size() || value > 0xFF) throw std::out_of_range("register 0..0xffff, value 0..0xff");
    registers_[reg] = static_cast<uint8_t>(value);
}

std::vector<uint8_t> LegacyDevice::readMemory(uint64_t address, uint64_t length) const {
    return memory_.read(address, length);
}

std::vector<uint8_t> LegacyDevice::readFlash(uint32_t address, uint32_t length) const {
    std::vector<uint8_t> bytes(length);
    flash_.read(address, bytes);
    return bytes;
}

std::string LegacyDevice::dumpTable(const std::string& name, unsigned slot) const {
    if (name == "boot") return toHex(bootMemory_.bytes()) + "\n";
    if (name == "log-triggers") return std::to_string(logTriggers_) + "\n";
    return SimDevice::dumpTable(name, slot);
}

}  // namespace zel::sim
