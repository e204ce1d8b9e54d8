// Assembles JPEG streams byte by byte for decoder tests: marker segments with
// chosen fields, and entropy-coded data written bit by bit with byte stuffing.
//
// directTables() defines Huffman tables in which every symbol's code is the
// symbol itself in 8 bits (DC symbols 0..15, AC symbols 0..254), so that
// tests can write symbols as plain bytes.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <vector>

namespace jpegtest {

using Bytes = std::vector<uint8_t>;
struct Component { int id; int h; int v; int quantSlot; };
struct ScanComponent { int id; int dcTable; int acTable; };

class StreamBuilder {
 public:
  // The values' low 8 bits.
  StreamBuilder& raw(std::initializer_list<int> values) {
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
    return *this;
  }
  StreamBuilder& raw(const Bytes& values) {
    bytes.insert(bytes.end(), values.begin(), values.end());
    return *this;
  }
  StreamBuilder& soi() { return raw({0xFF, 0xD8}); }
  StreamBuilder& eoi() { return raw({0xFF, 0xD9}); }
  StreamBuilder& marker(int code) { return raw({0xFF, code}); }
  // A segment whose length field is `length`, or the payload's size + 2 when it is left out.
  StreamBuilder& segment(int code, const Bytes& payload, int length = -1) {
    if (length < 0) length = static_cast<int>(payload.size()) + 2;
    return marker(code).raw({length >> 8, length}).raw(payload);
  }

  // One quantisation table with every entry `value`, in 16 bits above 255.
  StreamBuilder& dqt(int slot, int value = 1) { return segment(0xDB, QuantTable(slot, value, value > 255)); }
  static Bytes QuantTable(int slot, int value, bool sixteenBit) {
    Bytes table{static_cast<uint8_t>((sixteenBit ? 0x10 : 0) | slot)};
    for (int k = 0; k < 64; ++k) {
      if (sixteenBit) table.push_back(static_cast<uint8_t>(value >> 8));
      table.push_back(static_cast<uint8_t>(value));
    }
    return table;
  }

  // classAndId: 0x0n for DC table n, 0x1n for AC table n.  counts[i] codes of length i + 1.
  static Bytes HuffmanTable(int classAndId, const std::vector<int>& counts, const std::vector<int>& values) {
    Bytes table{static_cast<uint8_t>(classAndId)};
    for (size_t i = 0; i < 16; ++i) table.push_back(static_cast<uint8_t>(i < counts.size() ? counts[i] : 0));
    table.insert(table.end(), values.begin(), values.end());
    return table;
  }
  // Table 0 of each class, the DC one of `dcSymbols` symbols.
  StreamBuilder& directTables(int dcSymbols = 16) {
    std::vector<int> values(255);
    std::iota(values.begin(), values.end(), 0);
    segment(0xC4, HuffmanTable(0x00, {0, 0, 0, 0, 0, 0, 0, dcSymbols}, {values.begin(), values.begin() + dcSymbols}));
    return segment(0xC4, HuffmanTable(0x10, {0, 0, 0, 0, 0, 0, 0, 255}, values));
  }

  StreamBuilder& sof(int code, int width, int height, const std::vector<Component>& components,
                     int precision = 8) {
    const int count = static_cast<int>(components.size());
    marker(code).raw({(8 + 3 * count) >> 8, 8 + 3 * count, precision, height >> 8, height, width >> 8, width, count});
    for (const Component& c : components) raw({c.id, (c.h << 4) | c.v, c.quantSlot});
    return *this;
  }
  StreamBuilder& sos(const std::vector<ScanComponent>& components, int ss = 0, int se = 63, int ah = 0, int al = 0) {
    marker(0xDA).raw({0, 6 + 2 * static_cast<int>(components.size()), static_cast<int>(components.size())});
    for (const ScanComponent& c : components) raw({c.id, (c.dcTable << 4) | c.acTable});
    return raw({ss, se, (ah << 4) | al});
  }
  StreamBuilder& dri(int interval) { return marker(0xDD).raw({0, 4, interval >> 8, interval}); }

  // SOI, tables 0 (every quantisation value `quant`) and a frame of one 1x1 component.
  StreamBuilder& greyHeaders(int width, int height, int frameCode = 0xC0, int quant = 1) {
    return soi().dqt(0, quant).directTables().sof(frameCode, width, height, {{1, 1, 1, 0}});
  }

  Bytes bytes;
};

// Entropy-coded data: bits most significant first, 0xFF stuffed with 0x00,
// the last byte padded with 1 bits.
class BitWriter {
 public:
  BitWriter& bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      current_ = (current_ << 1) | ((value >> i) & 1);
      if (++used_ < 8) continue;
      data_.push_back(static_cast<uint8_t>(current_));
      if (current_ == 0xFF) data_.push_back(0x00);
      current_ = used_ = 0;
    }
    return *this;
  }
  // A symbol of directTables().
  BitWriter& symbol(int value) { return bits(static_cast<uint32_t>(value), 8); }
  // An AC coefficient after `run` zeros: one symbol of the run and the value's
  // size category, then the value in that many bits (a negative one as value - 1).
  BitWriter& ac(int run, int value) {
    int size = 0;
    for (int magnitude = value < 0 ? -value : value; magnitude > 0; magnitude >>= 1) ++size;
    symbol((run << 4) | size);
    return bits(static_cast<uint32_t>(value >= 0 ? value : value + (1 << size) - 1), size);
  }
  // A DC difference: coded as an AC value after no zeros, whose symbol is the size category.
  BitWriter& dc(int difference) { return ac(0, difference); }
  BitWriter& endOfBlock() { return symbol(0x00); }
  BitWriter& zeroRun() { return symbol(0xF0); }
  // Pads the last byte with 1 bits and returns the data.
  Bytes finish() {
    while (used_ != 0) bits(1, 1);
    return data_;
  }

 private:
  uint32_t current_ = 0;
  int used_ = 0;
  Bytes data_;
};

}  // namespace jpegtest
