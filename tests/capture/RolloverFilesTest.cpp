// The continuous text's file chain: numbered names before the extension, a header and an
// announcement for every file, a roll-over only once a file has grown beyond the limit, and a
// file that cannot be opened reported as an error line naming it.
#include "RolloverFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace zel::capture {
namespace {

TEST(RolloverFiles, ContinuesInNumberedFilesEachWithTheHeader) {
    EXPECT_EQ(rolloverName("/t/trace.txt", 2), "/t/trace_2.txt");
    EXPECT_EQ(rolloverName("/t/trace", 1), "/t/trace_1");
    EXPECT_EQ(rolloverName("/t/a.b.txt", 0), "/t/a.b.txt");

    test::TempDir dir;
    std::vector<std::string> announced;
    RolloverFiles files(dir / "trace.txt", "HEAD\n", [&](const std::string& line) { announced.push_back(line); }, 20);
    ASSERT_TRUE(files.open());
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(files.write("line " + std::to_string(i) + "\n"));
    ASSERT_TRUE(files.close());

    // 5 + 7 + 7 = 19 bytes stay in the first file; the fourth line passes 20 and rolls over.
    EXPECT_EQ(test::readBytes(dir / "trace.txt"), "HEAD\nline 0\nline 1\nline 2\n");
    EXPECT_EQ(test::readBytes(dir / "trace_1.txt"), "HEAD\nline 3\nline 4\n");
    ASSERT_EQ(files.paths().size(), 2u);
    EXPECT_EQ(announced, (std::vector<std::string>{"Save SPI Trace data into file: " + (dir / "trace.txt").string(),
                                                   "Save SPI Trace data into file: " + (dir / "trace_1.txt").string()}));

    RolloverFiles nowhere(dir / "missing" / "trace.txt", "HEAD\n", {});
    EXPECT_FALSE(nowhere.open());
    EXPECT_EQ(nowhere.problem(),
              "Error: cannot open " + (dir / "missing" / "trace.txt").string() + ": No such file or directory");
}

}  // namespace
}  // namespace zel::capture
