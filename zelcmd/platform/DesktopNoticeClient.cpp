#include "platform/DesktopNoticeClient.h"

#ifdef ZELCMD_HAVE_DESKTOP_NOTICE
#include "notice/DesktopNotice.h"
#endif

namespace zel::cmd {
namespace {

void send(int code) {
#ifdef ZELCMD_HAVE_DESKTOP_NOTICE
    // The acknowledgement comes once the desktop program has acted; its absence is no error.
    zel::notice::sendDesktopNotice(code);
#else
    (void)code;
#endif
}

}  // namespace

void SocketDesktopNotifier::devicesTaken() { send(1); }
void SocketDesktopNotifier::devicesReleased() { send(2); }

}  // namespace zel::cmd
