#include "TablePlans.h"

namespace zel::traceexport {

TablePlans::TablePlans(const trace::DecodeContext& context) : mode_(context.chip) {
    for (int fourByte = 0; fourByte < 2; ++fourByte)
        for (int opcode = 0; opcode < 256; ++opcode)
            plans_[fourByte][opcode] = build(context, static_cast<uint8_t>(opcode), fourByte != 0);
}

const BusPlan& TablePlans::next(uint8_t opcode) {
    const BusPlan& plan = plans_[mode_.fourByte() ? 1 : 0][opcode];
    mode_.command(opcode);
    return plan;
}

BusPlan TablePlans::build(const trace::DecodeContext& context, uint8_t opcode, bool fourByte) const {
    const auto& io = context.io.at(opcode);
    const auto& phases = io.phases;
    BusPlan plan;
    if (!context.decoded(opcode)) {
        plan.phases = {BusPhase{1, 1, false}, BusPhase{0, 4, false}};
        return plan;
    }
    plan.phases.push_back(BusPhase{1, phases.opcodeLanes, false});
    if (const unsigned width = context.io.addressWidth(opcode, fourByte); width > 0)
        plan.phases.push_back(BusPhase{width, phases.addressLanes, false});
    if (io.dummy > 0) plan.phases.push_back(BusPhase{io.dummy, phases.dummyLanes, false});
    plan.phases.push_back(BusPhase{0, phases.dataLanes, phases.data == trace::DataDirection::In});
    return plan;
}

}  // namespace zel::traceexport
