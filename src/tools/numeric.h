#pragma once
// Small numeric operations: limiting, interpolation, rounding, zero fill.
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace dtool {

// Limits value to [minimum, maximum]; true when it changed. A value that is not a number
// becomes the minimum; when minimum exceeds maximum every value ends at the minimum.
bool LimitValue(double& value, double minimum, double maximum);

// Limits the magnitude to [|minimum|, |maximum|] and keeps the sign.
bool LimitAbsValue(double& value, double minimum, double maximum);

// The straight line through (x1, y1) and (x2, y2), at x.
double Interpolate(double x, double x1, double y1, double x2, double y2);

// The nearest integer; an exact half goes to the even neighbour (2.5 -> 2, -2.5 -> -2).
double RoundHalfEven(double value);

// Sets the bytes of a record to zero.
inline void ZeroFill(void* record, std::size_t size) {
  std::memset(record, 0, size);
}
template <typename T> void ZeroFill(T& record) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memset(static_cast<void*>(&record), 0, sizeof(T));
}

} // namespace dtool
