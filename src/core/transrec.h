#pragma once
// The 4-byte command and answer record of the analog link: operation OO, register CC and
// the little-endian data word BBAA. The link library writes its answer over the request.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

namespace dtool {

static_assert(std::endian::native == std::endian::little, "TransRec is a little-endian image");

struct TransRec {
  std::uint8_t OO;
  std::uint8_t CC;
  std::uint16_t BBAA;

  std::uint8_t BB() const { return static_cast<std::uint8_t>(BBAA >> 8); }
  std::uint8_t AA() const { return static_cast<std::uint8_t>(BBAA & 0xFF); }
  void SetBB(std::uint8_t bb) { BBAA = static_cast<std::uint16_t>((bb << 8) | AA()); }
  void SetAA(std::uint8_t aa) { BBAA = static_cast<std::uint16_t>((BBAA & 0xFF00) | aa); }
};

static_assert(sizeof(TransRec) == 4);
static_assert(offsetof(TransRec, OO) == 0 && offsetof(TransRec, CC) == 1 &&
              offsetof(TransRec, BBAA) == 2);
static_assert(std::is_trivially_copyable_v<TransRec> && std::is_standard_layout_v<TransRec>);

// Sets all four bytes to 0.
inline void ClearTransRec(TransRec& rec) {
  rec = TransRec{};
}

// The command as four hex digits OOCC, as in "A109".
inline std::string FormatOoCc(const TransRec& rec) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X", static_cast<unsigned>(rec.OO),
                static_cast<unsigned>(rec.CC));
  return text;
}

} // namespace dtool
