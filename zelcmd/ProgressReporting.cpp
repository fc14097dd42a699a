#include "ProgressReporting.h"

namespace zel::cmd {

ProgressReporting::ProgressReporting(Console& inner, const session::CancelToken& cancel, int barFd)
    : inner_(inner),
      cancel_(cancel),
      bar_(barFd),
      subscription_([this](const session::ProgressEvent& event) { return onProgress(event); }) {}

session::ProgressAnswer ProgressReporting::onProgress(const session::ProgressEvent& event) {
    bar_.update(event);
    return cancel_.requested() ? session::ProgressAnswer::Cancel : session::ProgressAnswer::Continue;
}

void ProgressReporting::out(std::string_view text) {
    if (!bar_.enabled()) return inner_.out(text);
    bar_.whileCleared([&] { inner_.out(text); });
}

void ProgressReporting::err(std::string_view text) {
    if (!bar_.enabled()) return inner_.err(text);
    bar_.whileCleared([&] { inner_.err(text); });
}

}  // namespace zel::cmd
