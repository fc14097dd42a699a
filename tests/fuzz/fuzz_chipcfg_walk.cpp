// Any bytes as a chip-configuration file, walked for both chip slots against a small device model
// (a 256-entry register file, a level-channel table, the SFDP and protection tables). The first
// four input bytes answer the generation question, one bit per question.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "chipcfg/SectionWalk.h"
#include "chipcfg/WalkRecorder.h"

using namespace zel::chipcfg;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

class DeviceModel : public WalkVisitor {
public:
    explicit DeviceModel(ChipSlot slot) : slot_(static_cast<unsigned>(slot)) {}

    void writeRegister(const RegisterWrite& w) override {
        require(!finished_);
        switch (w.kind) {
            case WriteKind::Setting:
                require(phase_ == Phase::Settings);
                break;
            case WriteKind::SfdpSelect:
                require(phase_ == Phase::Levels && ++sfdpSelects_ == 1);
                require(w.reg == 0xC9 && w.value == slot_ + 1);
                phase_ = Phase::Sfdp;
                sfdpTable_.clear();
                break;
            case WriteKind::SfdpData:
                require(phase_ == Phase::Sfdp && w.reg == 0xC1 + slot_);
                sfdpTable_.push_back(w.value);
                break;
            case WriteKind::StatusDefault:
                require((phase_ == Phase::Sfdp || phase_ == Phase::Status) && sfdpSelects_ == 1);
                phase_ = Phase::Status;
                break;
            case WriteKind::ProtectionSelect:
                require(phase_ == Phase::Levels || phase_ == Phase::Sfdp || phase_ == Phase::Status);
                require(++protectionSelects_ == 1 && w.reg == 0xC4 && w.value == slot_ + 1);
                phase_ = Phase::Protection;
                protectionTable_.clear();
                break;
            case WriteKind::ProtectionData:
                require(phase_ == Phase::Protection && w.reg == 0xC5 + slot_);
                protectionTable_.push_back(w.value);
                break;
        }
        registers_.at(w.reg) = w.value;
        if (w.kind == WriteKind::Setting || w.kind == WriteKind::StatusDefault) ++recordWrites_;
    }

    void setLevel(const LevelSet& level) override {
        require(!finished_ && (phase_ == Phase::Settings || phase_ == Phase::Levels));
        phase_ = Phase::Levels;
        if (level.isDefault) {
            require(levels_ == 0 && defaults_ < 3);
            require(level.channel == kDefaultLevels[defaults_].channel && level.value == kDefaultLevels[defaults_].value);
            ++defaults_;
        } else {
            require(defaults_ == 0);
            ++levels_;
        }
        channels_.at(level.channel) = level.value;
    }

    void finish() override {
        require(!finished_ && phase_ == Phase::Protection);
        finished_ = true;
    }

    void checkEnd(std::size_t wholeRecords) const {
        require(finished_ && protectionSelects_ == 1 && registers_[0xC4] == slot_ + 1);
        require((defaults_ == 3 && levels_ == 0) || (defaults_ == 0 && levels_ > 0));
        require(sfdpTable_.size() % 2 == 0 && protectionTable_.size() % 2 == 0);
        // Each data-bearing operation comes from its own record.
        require(recordWrites_ + levels_ + (sfdpTable_.size() + protectionTable_.size()) / 2 <= wholeRecords);
    }

private:
    enum class Phase { Settings, Levels, Sfdp, Status, Protection };
    unsigned slot_;
    Phase phase_ = Phase::Settings;
    std::array<std::uint16_t, 256> registers_{};
    std::array<std::optional<std::uint16_t>, 256> channels_{};
    std::vector<std::uint16_t> sfdpTable_, protectionTable_;
    int sfdpSelects_ = 0, protectionSelects_ = 0, defaults_ = 0;
    std::size_t levels_ = 0, recordWrites_ = 0;
    bool finished_ = false;
};

struct Generation {
    std::uint32_t answers;
    std::size_t asked = 0;
    bool next() { return (answers >> (asked++ % 32)) & 1; }
};

// Slot 1 is slot 0 moved by 0x70 (registers) or one (selects and table ports); levels stay.
void requireSlotsAgree(const WalkOperation& a, const WalkOperation& b) {
    require(a.index() == b.index());
    if (auto* wa = std::get_if<RegisterWrite>(&a)) {
        auto* wb = std::get_if<RegisterWrite>(&b);
        require(wa->kind == wb->kind);
        switch (wa->kind) {
            case WriteKind::Setting:
            case WriteKind::StatusDefault:
                require(wb->reg == ((wa->reg + 0x70) & 0xFF) && wb->value == wa->value);
                break;
            case WriteKind::SfdpSelect:
            case WriteKind::ProtectionSelect:
                require(wb->reg == wa->reg && wb->value == wa->value + 1);
                break;
            case WriteKind::SfdpData:
            case WriteKind::ProtectionData:
                require(wb->reg == wa->reg + 1 && wb->value == wa->value);
                break;
        }
    } else {
        require(a == b);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::uint32_t answers;
    std::memcpy(&answers, data, 4);
    Bytes file(data + 4, size - 4);

    std::vector<WalkOperation> walks[2];
    std::size_t asked[2] = {};
    for (auto slot : {ChipSlot::First, ChipSlot::Second}) {
        auto index = static_cast<unsigned>(slot);
        Generation g{answers};
        std::function<bool()> isG2 = [&g] { return g.next(); };

        DeviceModel device(slot);
        WalkRecorder recorder;
        struct Both : WalkVisitor {
            WalkVisitor& a;
            WalkVisitor& b;
            Both(WalkVisitor& x, WalkVisitor& y) : a(x), b(y) {}
            void writeRegister(const RegisterWrite& w) override { a.writeRegister(w), b.writeRegister(w); }
            void setLevel(const LevelSet& l) override { a.setLevel(l), b.setLevel(l); }
            void finish() override { a.finish(), b.finish(); }
        } both(device, recorder);

        auto walked = walkChipConfig(file, slot, isG2, both);
        if (file.size() < kHeaderSize) {
            require(!walked && recorder.operations.empty() && g.asked == 0);
            return 0;
        }
        require(walked.ok());
        const std::uint64_t start = readLe32(file, kRecordOffsetField);
        const std::size_t wholeRecords = start >= file.size() ? 0 : (file.size() - start) / kRecordSize;
        device.checkEnd(wholeRecords);
        require(g.asked <= wholeRecords);
        require(std::memcmp(file.data(), "Vcfg", 4) == 0 || g.asked == 0);
        walks[index] = std::move(recorder.operations);
        asked[index] = g.asked;
    }
    require(asked[0] == asked[1] && walks[0].size() == walks[1].size());
    for (std::size_t i = 0; i < walks[0].size(); ++i) requireSlotsAgree(walks[0][i], walks[1][i]);
    return 0;
}
