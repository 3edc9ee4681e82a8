// Fixed-capacity arrays indexed the way the model counts: from 1 (Arr), from
// 0 (Arr0), and two-dimensional in column-major order (Arr2), so that a column
// of a table is contiguous and can be handed to a routine expecting a plain
// array. Index checks are assertions: active in debug builds, free otherwise.
#pragma once
#include <cassert>
#include <cstddef>

namespace riv {

// Elements 1..N.
template <class T, int N>
struct Arr {
  static_assert(N > 0);
  T a[N]{};

  T& operator()(int i) {
    assert(i >= 1 && i <= N);
    return a[i - 1];
  }
  const T& operator()(int i) const {
    assert(i >= 1 && i <= N);
    return a[i - 1];
  }
  // Pointer to element 1.
  T* data() { return a; }
  const T* data() const { return a; }
  static constexpr int size() { return N; }
  T* begin() { return a; }
  T* end() { return a + N; }
  const T* begin() const { return a; }
  const T* end() const { return a + N; }
  void fill(const T& v) {
    for (T& x : a) x = v;
  }
};

// Elements 0..N.
template <class T, int N>
struct Arr0 {
  static_assert(N >= 0);
  T a[N + 1]{};

  T& operator()(int i) {
    assert(i >= 0 && i <= N);
    return a[i];
  }
  const T& operator()(int i) const {
    assert(i >= 0 && i <= N);
    return a[i];
  }
  // Pointer to element 0.
  T* data() { return a; }
  const T* data() const { return a; }
  static constexpr int size() { return N + 1; }
  T* begin() { return a; }
  T* end() { return a + N + 1; }
  const T* begin() const { return a; }
  const T* end() const { return a + N + 1; }
  void fill(const T& v) {
    for (T& x : a) x = v;
  }
};

// Elements (1..N1, 1..N2), column-major: (i, j) and (i+1, j) are neighbours.
template <class T, int N1, int N2>
struct Arr2 {
  static_assert(N1 > 0 && N2 > 0);
  T a[N1 * N2]{};

  T& operator()(int i, int j) {
    assert(i >= 1 && i <= N1 && j >= 1 && j <= N2);
    return a[(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * N1];
  }
  const T& operator()(int i, int j) const {
    assert(i >= 1 && i <= N1 && j >= 1 && j <= N2);
    return a[(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * N1];
  }
  // Pointer to element (1, 1); column j starts at col(j).
  T* data() { return a; }
  const T* data() const { return a; }
  T* col(int j) {
    assert(j >= 1 && j <= N2);
    return a + static_cast<std::ptrdiff_t>(j - 1) * N1;
  }
  const T* col(int j) const {
    assert(j >= 1 && j <= N2);
    return a + static_cast<std::ptrdiff_t>(j - 1) * N1;
  }
  static constexpr int rows() { return N1; }
  static constexpr int cols() { return N2; }
  static constexpr int size() { return N1 * N2; }
  void fill(const T& v) {
    for (T& x : a) x = v;
  }
};

}  // namespace riv
