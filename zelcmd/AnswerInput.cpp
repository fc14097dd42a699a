#include "AnswerInput.h"

#include <cerrno>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace zel::cmd {
namespace {

bool isLineEnd(int c) { return c == '\n' || c == '\r'; }

// Puts the terminal into single-key mode for its lifetime.
class SingleKeyMode {
public:
    explicit SingleKeyMode(int fd) : fd_(fd), active_(::tcgetattr(fd, &saved_) == 0) {
        if (!active_) return;
        termios raw = saved_;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        active_ = ::tcsetattr(fd, TCSANOW, &raw) == 0;
    }
    ~SingleKeyMode() {
        if (active_) ::tcsetattr(fd_, TCSANOW, &saved_);
    }
    SingleKeyMode(const SingleKeyMode&) = delete;
    SingleKeyMode& operator=(const SingleKeyMode&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_;
};

}  // namespace

int StreamAnswers::answer() {
    int c = in_.get();
    if (answeredBefore_) {
        while (isLineEnd(c)) c = in_.get();
    }
    answeredBefore_ = true;
    return c == std::char_traits<char>::eof() ? EOF : c;
}

int ConsoleAnswers::answer() { return ::isatty(fd_) ? readKeyPress(fd_) : stream_.answer(); }

int readKeyPress(int fd) {
    SingleKeyMode mode(fd);
    unsigned char key = 0;
    for (;;) {
        const ssize_t got = ::read(fd, &key, 1);
        if (got == 1) return key;
        if (got < 0 && errno == EINTR) continue;
        return EOF;
    }
}

}  // namespace zel::cmd
