// The operation log's rows: icon keywords in their fixed order, the stamp layout, and saving
// that reports a failed write instead of calling it complete.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "LogFile.h"
#include "LogQueue.h"
#include "LogRow.h"
#include "TempDir.h"

namespace zel::gui {
namespace {

TEST(LogIcon, FirstKeywordInTheFixedOrderWins) {
    EXPECT_EQ(iconForMessage("Error: the file length is out of the chip's memory size"), LogIcon::Error);
    EXPECT_EQ(iconForMessage("Download Failed"), LogIcon::Error);
    EXPECT_EQ(iconForMessage("Verify Fail. Checksum is different.\n"), LogIcon::Error);
    EXPECT_EQ(iconForMessage("Warning: Emulator  is stoped\n"), LogIcon::Warning);
    EXPECT_EQ(iconForMessage("12 seconds elapsed"), LogIcon::Time);
    EXPECT_EQ(iconForMessage("Verify Pass. Checksum is the same.\n"), LogIcon::Success);
    EXPECT_EQ(iconForMessage("/tmp/a.hex is opened"), LogIcon::Success);
    EXPECT_EQ(iconForMessage("Downloading, please wait ...\n"), LogIcon::Information);
    // "Error:" outranks a success keyword in the same line; a warning outranks "Complete".
    EXPECT_EQ(iconForMessage("Error: Download Complete was not reached"), LogIcon::Error);
    EXPECT_EQ(iconForMessage("Warning: Operation completed late"), LogIcon::Warning);
    // Keywords are case-sensitive substrings: "fail" alone is not "Fail".
    EXPECT_EQ(iconForMessage("no failure"), LogIcon::Information);
}

TEST(LogRow, StampHasThreeBlanksAndDisplayKeepsOneLine) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 5;
    local.tm_isdst = -1;
    const std::time_t time = std::mktime(&local);
    EXPECT_EQ(logStamp(time), "2026-01-02 03:04:05:   ");
    const LogRow row = makeLogRow(time, "Stop Emulator. \nEmulator is in STOP mode now.\n");
    EXPECT_EQ(logRowDisplayText(row), "2026-01-02 03:04:05:   Stop Emulator.  Emulator is in STOP mode now.");
}

TEST(LogQueue, RowsFromManyThreadsArriveOnceEach) {
    LogQueue queue([] { return std::time_t{0}; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) queue.log("Download Complete");
        });
    std::size_t total = 0;
    while (total < 4000) total += queue.takeAll().size();
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(total + queue.takeAll().size(), 4000u);
}

TEST(LogFile, WritesEveryRowAndReportsFailures) {
    test::TempDir dir;
    const std::vector<LogRow> rows = {makeLogRow(0, "Downloading, please wait ...\n"), makeLogRow(0, "Download Complete")};
    const auto file = dir.path() / "log.txt";
    EXPECT_EQ(saveLogRows(rows, file), "");
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), logStamp(0) + "Downloading, please wait ...\n" + logRowText(rows[1]) + "\n");

    EXPECT_NE(saveLogRows(rows, dir.path() / "missing" / "log.txt").find("cannot open"), std::string::npos);
    // A full device takes the buffered bytes but fails when they are flushed at close.
    EXPECT_NE(saveLogRows(rows, "/dev/full").find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace zel::gui
