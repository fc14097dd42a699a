#include "chipcfg/SectionWalk.h"

#include "chipcfg/ChipConfigFile.h"

#include <optional>
#include <string>

namespace zel::chipcfg {
namespace {

// Hands out whole records from the record offset on; never reads past the end.
class RecordCursor {
public:
    RecordCursor(Bytes file, std::uint64_t start) : file_(file), pos_(start) {}

    std::optional<Record> next() {
        auto r = recordAt(file_, pos_);
        if (r) pos_ += kRecordSize;
        return r;
    }
    bool hasRecord() const { return recordAt(file_, pos_).has_value(); }

private:
    Bytes file_;
    std::uint64_t pos_;
};

bool endsSection1(Record r, bool g2) {
    if (r.second == kSection1EndTag) return true;
    return r.first == (g2 ? kG2Terminator : kFirstGenerationTerminator);
}

class Walk {
public:
    Walk(Bytes file, ChipSlot slot, const std::function<bool()>& isG2, WalkVisitor& visitor)
        : cursor_(file, readLe32(file, kRecordOffsetField)),
          slot_(slot),
          isG2_(isG2),
          visitor_(visitor),
          hasMagic_(readLe32(file, kMagicField) == kMagic) {}

    void run() {
        if (hasMagic_)
            settings();  // consumes the record that ends the section
        else
            cursor_.next();
        bool sawSfdp = levels();
        bool sawSrst = sawSfdp && sfdpTable();
        bool sawProt = sawSrst && statusDefaults();
        protectionTable(sawProt);
        visitor_.finish();
    }

private:
    bool askG2() const { return isG2_ ? isG2_() : false; }
    std::uint8_t slotOffset() const { return static_cast<std::uint8_t>(slot_); }
    void write(WriteKind kind, std::uint8_t reg, std::uint16_t value) { visitor_.writeRegister({kind, reg, value}); }

    void settings() {
        while (auto r = cursor_.next()) {
            if (endsSection1(*r, askG2())) return;
            write(WriteKind::Setting, slotRegister(slot_, static_cast<std::uint8_t>(r->second)), r->first);
        }
    }

    bool levels() {
        bool sent = false;
        bool sawMarker = false;
        while (auto r = cursor_.next()) {
            if (kSfdpMarker.matches(*r)) {
                sawMarker = true;
                break;
            }
            visitor_.setLevel({static_cast<std::uint8_t>(r->second), r->first, false});
            sent = true;
        }
        if (!sent)
            for (auto level : kDefaultLevels) visitor_.setLevel({level.channel, level.value, true});
        return sawMarker;
    }

    bool sfdpTable() {
        if (!cursor_.hasRecord()) return false;
        write(WriteKind::SfdpSelect, kSfdpSelectRegister, slotOffset() + 1);
        const auto port = static_cast<std::uint8_t>(kSfdpDataRegisterSlot0 + slotOffset());
        while (auto r = cursor_.next()) {
            if (kSrstMarker.matches(*r)) return true;
            write(WriteKind::SfdpData, port, r->first);
            write(WriteKind::SfdpData, port, r->second);
        }
        return false;
    }

    bool statusDefaults() {
        while (auto r = cursor_.next()) {
            if (kProtMarker.matches(*r)) return true;
            write(WriteKind::StatusDefault, slotRegister(slot_, static_cast<std::uint8_t>(r->second)), r->first);
        }
        return false;
    }

    void protectionTable(bool hasTable) {
        write(WriteKind::ProtectionSelect, kProtectionSelectRegister, slotOffset() + 1);
        if (!hasTable) return;
        const auto port = static_cast<std::uint8_t>(kProtectionDataRegisterSlot0 + slotOffset());
        while (auto r = cursor_.next()) {
            write(WriteKind::ProtectionData, port, r->first);
            write(WriteKind::ProtectionData, port, r->second);
        }
    }

    RecordCursor cursor_;
    ChipSlot slot_;
    const std::function<bool()>& isG2_;
    WalkVisitor& visitor_;
    bool hasMagic_;
};

}  // namespace

std::uint8_t slotRegister(ChipSlot slot, std::uint8_t reg) {
    return static_cast<std::uint8_t>((static_cast<unsigned>(slot) * kSlotRegisterStride + reg) & 0xFF);
}

Result<void> walkChipConfig(Bytes file, ChipSlot slot, const std::function<bool()>& isG2, WalkVisitor& visitor) {
    if (file.size() < kHeaderSize)
        return Error{ErrorCode::TooShort, "chip configuration of " + std::to_string(file.size()) +
                                              " bytes is shorter than its 32-byte header; not walked"};
    Walk(file, slot, isG2, visitor).run();
    return {};
}

Result<void> walkChipConfigFile(const std::filesystem::path& path, ChipSlot slot, const std::function<bool()>& isG2,
                                WalkVisitor& visitor) {
    auto bytes = loadChipConfigBytes(path);
    if (!bytes) return bytes.error();
    return walkChipConfig(bytes.value(), slot, isG2, visitor);
}

}  // namespace zel::chipcfg
