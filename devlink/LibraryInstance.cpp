#include "LibraryInstance.h"

namespace zel::devlink {

std::unique_ptr<CZelmorProCom>& libraryInstance() {
    static std::unique_ptr<CZelmorProCom> instance;
    return instance;
}

}  // namespace zel::devlink
