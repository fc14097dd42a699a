// The shipped command tables and the golden capture, loaded once for the trace tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "trace/CommandIoTable.h"
#include "trace/CommandTable.h"
#include "trace/TraceDecoding.h"
#include "trace/TraceFile.h"

namespace zel::trace::test {

inline std::filesystem::path goldenDir() { return ZEL_TRACE_GOLDEN_DIR; }
inline std::filesystem::path tableDir() { return ZEL_TRACE_TABLE_DIR; }
inline std::string golden(const char* name) { return zel::test::readBytes(goldenDir() / name); }

struct ShippedTables {
    CommandTable commands;
    CommandIoTable io;
    ShippedTables() {
        std::error_code error;
        commands = CommandTable::load(tableDir() / kCommandTableFile, error).value();
        io = CommandIoTable::load(tableDir() / kCommandIoTableFile, error).value();
    }
};

inline const ShippedTables& shippedTables() {
    static const ShippedTables tables;
    return tables;
}

inline DecodeContext contextFor(const ChipFacts& chip, bool translate) {
    return DecodeContext{shippedTables().commands, shippedTables().io, EmulatorModel::FirstGeneration, chip, translate};
}

inline TraceCapture goldenCapture() {
    auto result = readTraceFile(goldenDir() / "records.zeltrace");
    if (!result) ADD_FAILURE() << result.error().message;
    return std::move(result).capture();
}

}  // namespace zel::trace::test
