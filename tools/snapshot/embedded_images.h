// The saver's two pictures built into the native programs, found by their
// resource identifiers (generated at build time from resources/).
#pragma once

#include "platform/platform.h"

// The bytes of JPEG image `resourceId` (120 the world, 111 the backdrop);
// empty for any other identifier.
ResourceBlock FindEmbeddedImage(int resourceId);
