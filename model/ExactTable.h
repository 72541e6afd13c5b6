// SPDX-License-Identifier: GPL-3.0-or-later
// Tables the compiler counts: a std::array written as a braced list quietly
// fills the rows it is short of with zeros, which for a key map is a note key
// without a label and for an enable set "leave everything as it is".
#pragma once

#include <array>
#include <cstddef>

namespace tangrel {

// The rows as a std::array of exactly N; a list of any other length does not
// compile.
template <size_t N, typename T, size_t M>
constexpr std::array<T, N> ExactTable(const T (&rows)[M]) {
  static_assert(M == N, "the table needs exactly one row per entry");
  std::array<T, N> table{};
  for (size_t i = 0; i < N; ++i) table[i] = rows[i];
  return table;
}

}  // namespace tangrel
