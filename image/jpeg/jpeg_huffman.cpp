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
  // The fast lookup is derived from the rest and rebuilt only when the
  // table's definition changes, so it is left alone here.
  std::memset(table.lookup, 0, sizeof table.lookup);
  std::memset(table.codeLength, 0, sizeof table.codeLength);
  std::memset(table.tree, 0, sizeof table.tree);
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

int ResolveSymbol(const HuffmanDecodeTable& table, uint32_t next16, int& length) {
  int entry = table.lookup[next16 >> 8];
  if (entry >= 0) {
    length = table.codeLength[entry];
    return entry;
  }
  // A tree built from codes of at most 16 bits ends within 8 more bits.
  int extraBits = 0;
  while (entry < 0 && extraBits < 8) {
    int bit = static_cast<int>((next16 >> (7 - extraBits)) & 1);
    ++extraBits;
    entry = table.tree[-entry - bit];
  }
  length = 8 + extraBits;
  return entry < 0 ? 0 : entry;
}

namespace {

constexpr int kFastBits = HuffmanDecodeTable::kFastBits;

// The symbol and length for the stream prefix `prefix` (kFastBits bits), or
// false when the symbol depends on bits beyond the prefix.
bool ResolvePrefix(const HuffmanDecodeTable& table, uint32_t prefix, int& symbol, int& length) {
  const uint32_t next16 = prefix << (16 - kFastBits);
  symbol = ResolveSymbol(table, next16, length);
  // A lookup hit is settled by its first 8 bits whatever its length; a tree
  // walk is settled when it ended inside the prefix.
  return table.lookup[next16 >> 8] >= 0 || length <= kFastBits;
}

int32_t PackValue(int32_t value, int run, int totalLength) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) << 16) | (run << 8) | totalLength;
}

}  // namespace

void BuildHuffmanFastLookup(HuffmanDecodeTable& table, bool dcTable) {
  for (uint32_t prefix = 0; prefix < (1u << kFastBits); ++prefix) {
    int symbol = 0;
    int length = 0;
    table.fastValue[prefix] = 0;
    if (!ResolvePrefix(table, prefix, symbol, length)) {
      table.fast[prefix] = HuffmanDecodeTable::kSlowEntry;
      continue;
    }
    table.fast[prefix] = static_cast<uint16_t>((length << 8) | symbol);
    const int run = symbol >> 4;
    const int size = symbol & 15;
    const bool wanted = dcTable ? run == 0 : size != 0;
    // The value must lie inside the prefix too; a zero length (a symbol no
    // code reaches) is left to the ordinary path.
    if (!wanted || length == 0 || length + size > kFastBits) continue;
    int32_t value = 0;
    if (size != 0) {
      const uint32_t bits = (prefix >> (kFastBits - length - size)) & ((1u << size) - 1);
      value = ExtendSign(bits, size);
    }
    table.fastValue[prefix] = PackValue(value, run, length + size);
  }
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
  int length = 0;
  int symbol = ResolveSymbol(table, input.peekWide16(), length);
  input.readWideBits(length);
  return symbol;
}
