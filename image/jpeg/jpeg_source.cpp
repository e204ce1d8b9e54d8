// The byte source interface: sources that need no set-up or release keep the
// default do-nothing hooks.
#include "image/jpeg/jpeg_decoder.h"

JpegSource::~JpegSource() = default;

void JpegSource::beginUse() {}

void JpegSource::endUse() {}
