// Progress and cancel of the long operations: the process's one callback.
#include "zelapi.h"

#include "ProgressCallback.h"

extern "C" {

void CliSetProgressCallback(ZelProgressCallback callback, void* context)
{
    zel::api::setProgressCallback(callback, context);
}

}  // extern "C"
