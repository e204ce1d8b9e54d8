#include "platform/centred_origin.h"

int32_t CentredOrigin(int32_t desktopExtent, int32_t windowNear, int32_t windowFar,
                      int32_t workNear, int32_t workFar) {
  // Summed in 64 bits so that no coordinates can overflow.
  const int64_t size = int64_t{windowFar} - windowNear;
  const int64_t centred = (int64_t{desktopExtent} - size) / 2;
  if (size > int64_t{workFar} - workNear && centred < workNear) return workNear;
  return static_cast<int32_t>(centred);
}
