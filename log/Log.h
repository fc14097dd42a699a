// Diagnostic log of the host process. The host opens it with log_init_c and closes it with
// log_exit_c; libraries only add lines. Lines added while the log is closed are dropped. No call
// ever fails or throws to the caller.
#pragma once

#include "Export.h"

#ifdef __cplusplus
extern "C" {
#endif

// Opens (or keeps open) the per-user log file and writes a start line carrying `title`.
ZEL_EXPORT void log_init_c(const char* title);
// Flushes and closes the log file.
ZEL_EXPORT void log_exit_c(void);
// Adds one line formatted printf-style; `level` 0 is the ordinary diagnostic level.
ZEL_EXPORT void log_level_add_ascii(int level, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

#ifdef __cplusplus
}
#endif
