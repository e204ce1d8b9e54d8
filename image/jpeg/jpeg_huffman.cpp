// Huffman decoding tables and symbol decoding.
//
// Codes of up to 8 bits decode with one lookup; longer codes continue from a
// branch node in the lookup through the tree, one bit at a time.
#include <cstring>

#include "image/jpeg/jpeg_decoder_state.h"

namespace {

constexpr int kTreeEntries = 512;
// The deepest branch node still owning two entries inside the tree.
constexpr int kLastNode = -(kTreeEntries - 1);

class TreeBuilder {
 public:
  explicit TreeBuilder(HuffmanDecodeTable& table) : table_(table) {}

  bool place(int symbol, uint32_t code, int length) {
    table_.codeLength[symbol] = static_cast<uint8_t>(length);
    if (length <= 8) {
      int first = static_cast<int>(code << (8 - length));
      int span = 1 << (8 - length);
      for (int i = first; i < first + span; ++i) table_.lookup[i] = symbol;
      return true;
    }
    int node = 0;
    if (!descend(table_.lookup[code >> (length - 8)], node)) return false;
    for (int bit = length - 9; bit >= 1; --bit) {
      if (((code >> bit) & 1) == 0) --node;
      if (!descend(table_.tree[-node - 1], node)) return false;
    }
    if ((code & 1) == 0) --node;
    table_.tree[-node - 1] = symbol;
    return true;
  }

 private:
  // Moves to the branch node held in `entry`, giving the entry a new node when
  // it holds none yet.  False when the tree is full, or when the entry
  // already holds a symbol (codes that are not prefix-free).
  bool descend(int32_t& entry, int& node) {
    if (entry > 0) return false;
    if (entry == 0) {
      if (nextFreeNode_ < kLastNode) return false;
      entry = nextFreeNode_;
      nextFreeNode_ -= 2;
    }
    node = entry;
    return true;
  }

  HuffmanDecodeTable& table_;
  int nextFreeNode_ = -1;
};

}  // namespace

bool BuildHuffmanDecodeTable(const uint8_t counts[17], const uint8_t values[256],
                             HuffmanDecodeTable& table) {
  std::memset(&table, 0, sizeof table);
  TreeBuilder builder(table);
  uint32_t code = 0;
  int symbolIndex = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < counts[length]; ++i) {
      // A code that does not fit in its length: the counts over-subscribe.
      if (code >= (1u << length) || symbolIndex > 255) return false;
      if (!builder.place(values[symbolIndex], code, length)) return false;
      ++symbolIndex;
      ++code;
    }
    code <<= 1;
  }
  return true;
}

int DecodeSymbol(JpegInput& input, const HuffmanDecodeTable& table) {
  int entry = table.lookup[input.peekEntropyByte()];
  if (entry >= 0) {
    input.readEntropyBits(table.codeLength[entry]);
    return entry;
  }
  input.readEntropyBits(8);
  // A tree built from codes of at most 16 bits ends within 8 more bits.
  for (int depth = 0; entry < 0 && depth < 8; ++depth) {
    int bit = static_cast<int>(input.readEntropyBits(1));
    entry = table.tree[-entry - bit];
  }
  return entry < 0 ? 0 : entry;
}

int DecodeSymbolWide(JpegInput& input, const HuffmanDecodeTable& table) {
  uint32_t next16 = input.peekWide16();
  int entry = table.lookup[next16 >> 8];
  if (entry >= 0) {
    input.readWideBits(table.codeLength[entry]);
    return entry;
  }
  int extraBits = 0;
  while (entry < 0 && extraBits < 8) {
    int bit = static_cast<int>((next16 >> (7 - extraBits)) & 1);
    ++extraBits;
    entry = table.tree[-entry - bit];
  }
  input.readWideBits(8 + extraBits);
  return entry < 0 ? 0 : entry;
}
