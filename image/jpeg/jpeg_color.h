// Sample output of the decoder: the YCbCr-to-RGB tables and the conversion of
// one MCU row of samples into output lines.
#pragma once
#include <cstdint>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_layout.h"

struct JpegColorTables {
  int32_t crToR[256];
  int32_t cbToB[256];
  int32_t crToG[256];
  int32_t cbToG[256];
};

void BuildColorTables(JpegColorTables& tables);

// Makes output line r of the current MCU row (r = MCU height minus the lines
// left in the MCU row) from the sample row, over the padded width of
// mcusPerRow MCUs, into lineA; the layouts whose two lines share a chroma row
// (4:4:0, 4:2:0) make line r + 1 into lineB at the same time.
using ConvertLinesKernel = void (*)(const JpegColorTables& tables, const uint8_t* sampleRow,
                                    int mcusPerRow, int r, uint8_t* lineA, uint8_t* lineB);

// The conversion of a layout's lines.  Colour samples are YCbCr, converted
// through the tables (the reference engine) or with vector code where the
// build has it (the fast engines: the same pixels, but with 0 stored in the
// fourth byte of each, which the table conversion leaves as it finds it; the
// decoder's line buffers start zero-filled, so it holds 0 either way).  RGB
// samples (`rgb`) go to red, green and blue as they are, in every engine.
ConvertLinesKernel ChooseLineConversion(JpegEngine engine, JpegLayout layout, bool rgb);
