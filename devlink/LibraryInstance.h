// The one library instance of the process; null while the library is not initialised.
#pragma once

#include "CZelmorProCom.h"

#include <memory>

namespace zel::devlink {

std::unique_ptr<CZelmorProCom>& libraryInstance();

// The instance, or null when not initialised: every export asks this first.
inline CZelmorProCom* library() { return libraryInstance().get(); }

}  // namespace zel::devlink
