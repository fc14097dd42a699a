// The walk as a list of operations, for tools that compare files and for tests.
#pragma once

#include <functional>
#include <iosfwd>
#include <variant>
#include <vector>

#include "chipcfg/SectionWalk.h"

namespace zel::chipcfg {

struct WalkFinished {
    friend bool operator==(const WalkFinished&, const WalkFinished&) = default;
};

using WalkOperation = std::variant<RegisterWrite, LevelSet, WalkFinished>;

class WalkRecorder : public WalkVisitor {
public:
    void writeRegister(const RegisterWrite& write) override { operations.emplace_back(write); }
    void setLevel(const LevelSet& level) override { operations.emplace_back(level); }
    void finish() override { operations.emplace_back(WalkFinished{}); }

    std::vector<WalkOperation> operations;
};

Result<std::vector<WalkOperation>> recordWalk(Bytes file, ChipSlot slot, const std::function<bool()>& isG2);

const char* toString(WriteKind kind);
std::ostream& operator<<(std::ostream& out, const RegisterWrite& write);
std::ostream& operator<<(std::ostream& out, const LevelSet& level);
std::ostream& operator<<(std::ostream& out, const WalkFinished&);
std::ostream& operator<<(std::ostream& out, const WalkOperation& operation);

}  // namespace zel::chipcfg
