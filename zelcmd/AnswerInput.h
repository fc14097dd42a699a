// The one-character answer to the voltage question of --set. On a terminal a key press answers
// at once, without Enter; from a pipe or file one character is read, and the line ends that an
// earlier answer left behind are skipped, so that "y\ny\n" answers two questions. End of input
// is an answer too (EOF), which counts as any other character.
#pragma once

#include <istream>

namespace zel::cmd {

class AnswerInput {
public:
    virtual ~AnswerInput() = default;
    // The answer character, or EOF.
    virtual int answer() = 0;
};

// Answers from a stream.
class StreamAnswers final : public AnswerInput {
public:
    explicit StreamAnswers(std::istream& in) : in_(in) {}
    int answer() override;

private:
    std::istream& in_;
    bool answeredBefore_ = false;
};

// Standard input of the process (file descriptor `fd`, read through `in` when it is no terminal).
class ConsoleAnswers final : public AnswerInput {
public:
    ConsoleAnswers(int fd, std::istream& in) : fd_(fd), stream_(in) {}
    int answer() override;

private:
    int fd_;
    StreamAnswers stream_;
};

// One key press from a terminal: no Enter needed, not echoed (the terminal's settings are restored
// afterwards). EOF when nothing can be read.
int readKeyPress(int fd);

}  // namespace zel::cmd
