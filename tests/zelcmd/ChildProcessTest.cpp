// The child-process runner the end-to-end tests stand on: outputs kept apart, input as given,
// and a child that never ends is killed at its time-out.
#include "ChildProcess.h"

#include <gtest/gtest.h>

namespace zel::test {
namespace {

using namespace std::chrono_literals;

ChildSpec shell(const std::string& script, ChildInput input = ChildInput::devNull(),
                std::chrono::milliseconds timeout = 30s) {
    ChildSpec spec;
    spec.argv = {"/bin/sh", "-c", script};
    spec.environment = {"PATH=/usr/bin:/bin", "ZEL_PROBE=seen"};
    spec.input = std::move(input);
    spec.timeout = timeout;
    return spec;
}

TEST(ChildProcess, OutputsApartAndTheExitStatus) {
    auto r = runChild(shell("printf 'out\\n'; printf 'err\\n' >&2; printf '%s' \"$ZEL_PROBE\"; exit 3"));
    EXPECT_TRUE(r.exited());
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "out\nseen");
    EXPECT_EQ(r.err, "err\n");
}

TEST(ChildProcess, InputFromTextThenEndOfInput) {
    std::string big(1 << 20, 'x');  // more than a pipe holds at once
    auto r = runChild(shell("cat; echo end", ChildInput::fromText(big)));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, big + "end\n");
    r = runChild(shell("cat; echo end", ChildInput::devNull()));
    EXPECT_EQ(r.out, "end\n");
}

TEST(ChildProcess, ChildThatNeverEndsIsKilledAtTheTimeOut) {
    // Input kept open: cat waits for ever.
    auto r = runChild(shell("echo started; cat", ChildInput::keptOpen(), 300ms));
    EXPECT_TRUE(r.timedOut);
    EXPECT_FALSE(r.exited());
    EXPECT_EQ(r.out, "started\n");
    // A child that closes its outputs and goes on is bound by the time-out too.
    r = runChild(shell("exec >/dev/null 2>&1; sleep 30", ChildInput::devNull(), 300ms));
    EXPECT_TRUE(r.timedOut);
}

TEST(ChildProcess, ChildThatIgnoresItsInputDoesNotHurtTheCaller) {
    auto r = runChild(shell("exit 0", ChildInput::fromText(std::string(1 << 20, 'y'))));
    EXPECT_TRUE(r.exited());
    EXPECT_EQ(r.status, 0);
}

TEST(ChildProcess, MissingProgram) {
    ChildSpec spec;
    spec.argv = {"/nonexistent/program"};
    auto r = runChild(spec);
    EXPECT_EQ(r.status, 127);
}

}  // namespace
}  // namespace zel::test
