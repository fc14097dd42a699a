// The lifetime of the one API object.
#pragma once

#include "CProject.h"

namespace zel::api {

// The API object, or null while the API is not initialised.
CProject* project();

// Creates the API object unless it exists. When creation fails the API stays not initialised
// and the device libraries are left as before.
void createProject() noexcept;
// Destroys the API object if it exists.
void destroyProject() noexcept;

}  // namespace zel::api
