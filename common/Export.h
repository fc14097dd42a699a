// Shared libraries are built with hidden visibility; only what carries ZEL_EXPORT is exported.
#pragma once

#define ZEL_EXPORT __attribute__((visibility("default")))
