// The output layouts of the decoder: how an MCU is cut into blocks and how its
// blocks become output lines.
#pragma once

enum JpegLayout {
  LayoutGrey,  // one component; MCU 8x8, 1 block, 1 byte per pixel
  Layout444,   // Y 1x1; MCU 8x8, 3 blocks, 4 bytes per pixel
  Layout422,   // Y 2x1; MCU 16x8, 4 blocks
  Layout440,   // Y 1x2; MCU 8x16, 4 blocks
  Layout420,   // Y 2x2; MCU 16x16, 6 blocks
};
