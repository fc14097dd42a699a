// The answer to the voltage question: one key press on a terminal, one character from a pipe.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <pty.h>
#include <sstream>
#include <termios.h>
#include <unistd.h>

#include "AnswerInput.h"

namespace zel::test {
namespace {

TEST(AnswerInput, FromAStreamLineEndsOfEarlierAnswersAreSkipped) {
    std::istringstream in("y\r\nn\n\nx");
    zel::cmd::StreamAnswers answers(in);
    EXPECT_EQ(answers.answer(), 'y');
    EXPECT_EQ(answers.answer(), 'n');
    EXPECT_EQ(answers.answer(), 'x');
    EXPECT_EQ(answers.answer(), EOF) << "end of input is an answer too";

    std::istringstream enter("\ny");
    zel::cmd::StreamAnswers first(enter);
    EXPECT_EQ(first.answer(), '\n') << "a first answer is taken as it comes";
}

TEST(AnswerInput, OnATerminalOneKeyAnswersWithoutEnterAndTheTerminalIsRestored) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(slave, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);

    auto key = std::async(std::launch::async, [slave] { return zel::cmd::readKeyPress(slave); });
    ASSERT_EQ(::write(master, "y", 1), 1);
    const bool answered = key.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!answered) {
        ASSERT_EQ(::write(master, "\n", 1), 1);  // frees the reader of a failed test
    }
    EXPECT_TRUE(answered) << "the key alone must answer";
    EXPECT_EQ(key.get(), 'y');

    termios after{};
    ASSERT_EQ(::tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    ::close(master);
    ::close(slave);
}

}  // namespace
}  // namespace zel::test
