#include "LibraryState.h"

namespace zel::zeldev {

LibraryState& libraryState()
{
    static LibraryState state;
    return state;
}

}  // namespace zel::zeldev
