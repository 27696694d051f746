#include "platform/base/handles.h"

#include "support/kernel_handles.h"

BOOL CloseHandle(HANDLE handle) {
  if (!quendel::closeKernelHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
