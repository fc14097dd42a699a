#include "platform/InterruptSignals.h"

#include <atomic>

namespace zel::cmd {
namespace {

std::atomic<session::CancelToken*> target{nullptr};

// Only async-signal-safe work: an atomic store, or signal() and raise() for the second one.
extern "C" void onInterrupt(int signal) {
    session::CancelToken* token = target.load();
    if (token == nullptr || token->requested()) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    token->request();
}

void install(int signal, struct sigaction& previous) {
    struct sigaction action{};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // blocking reads (a prompt, the transport) carry on
    sigaction(signal, &action, &previous);
}

}  // namespace

InterruptSignals::InterruptSignals(session::CancelToken& token) {
    target.store(&token);
    install(SIGINT, previousInt_);
    install(SIGTERM, previousTerm_);
}

InterruptSignals::~InterruptSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    target.store(nullptr);
}

}  // namespace zel::cmd
