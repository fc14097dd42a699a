// The lifetime of the one API object.
#pragma once

#include "CProject.h"

#include <string>

namespace zel::api::share {
class ShareChannel;
}

namespace zel::api {

// The API object, or null while the API is not initialised.
CProject* project();

// Creates the API object unless it exists. When creation fails the API stays not initialised
// and the device libraries are left as before.
void createProject() noexcept;
// Destroys the API object if it exists.
void destroyProject() noexcept;

// The cross-process share channel joined when the API object was created; null while the API is
// not initialised or when the channel could not be set up.
share::ShareChannel* shareChannel();
// Why the channel could not be set up; empty when it is set up or the API is not initialised.
const std::string& shareChannelError();

}  // namespace zel::api
