// zelcmd's side of the long operations: a progress bar on stderr while stderr is a terminal
// (nothing at all otherwise), and the cancel token answered to every progress report. Console
// output passes the bar, which steps aside for it, so messages never mix with the bar's lines.
#pragma once

#include "CancelToken.h"
#include "Console.h"
#include "ProgressLine.h"
#include "ProgressSubscription.h"

namespace zel::cmd {

class ProgressReporting final : public Console {
public:
    // `inner` prints the messages; `cancel` is answered to every report.
    ProgressReporting(Console& inner, const session::CancelToken& cancel, int barFd);

    void out(std::string_view text) override;
    void err(std::string_view text) override;
    void flush() override { inner_.flush(); }

private:
    session::ProgressAnswer onProgress(const session::ProgressEvent& event);

    Console& inner_;
    const session::CancelToken& cancel_;
    session::ProgressLine bar_;
    session::ProgressSubscription subscription_;  // last: no report arrives before the bar exists
};

}  // namespace zel::cmd
