// Sample output of the decoder: the YCbCr-to-RGB tables and the conversion of
// one MCU row of samples into output lines.
#pragma once
#include <cstdint>

#include "image/jpeg/jpeg_layout.h"

struct JpegColorTables {
  int32_t crToR[256];
  int32_t cbToB[256];
  int32_t crToG[256];
  int32_t cbToG[256];
};

void BuildColorTables(JpegColorTables& tables);

// Produces output line r of the current MCU row (r = MCU height minus the lines
// left in the MCU row) from the sample row, over the padded width of
// mcusPerRow MCUs. Two-line layouts write lines r and r + 1 into lineA and
// lineB when linesLeftInMcuRow is even and nothing when it is odd. Returns the
// buffer that holds line r (lineA or lineB).
//
// fast converts the colour layouts with vector code where the build has it:
// the same pixels, but with 0 stored in the fourth byte of each, which the
// table conversion leaves as it finds it (the decoder's line buffers start
// zero-filled, so it holds 0 either way).
uint8_t* ConvertMcuRowLine(JpegLayout layout, const JpegColorTables& tables,
                           const uint8_t* sampleRow, int mcusPerRow, int r, int linesLeftInMcuRow,
                           uint8_t* lineA, uint8_t* lineB, bool fast);
