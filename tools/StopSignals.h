// SIGINT and SIGTERM as a stop request for a tool that waits (serving, watching): the handler
// runs without SA_RESTART, so a blocking wait returns at once with EINTR and the loop ends.
#pragma once

#include <csignal>

namespace zel::tools {

inline void onStopSignals(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace zel::tools
