// A growable array of plain values in native memory, for numbers read once
// from the host.  No standard-library template: its code stays inside the
// extension instead of being exported with default visibility.
//
// It frees its memory in its destructor, so a frame holding one must run
// its calls into Ruby under protect().  Running out of memory raises the
// interpreter's NoMemoryError, which that protect() catches too.
#pragma once

#include "version.hpp"

#include <cstdlib>
#include <type_traits>

namespace qor {

template <class T>
class NativeArray {
  static_assert(std::is_trivially_copyable<T>::value, "plain values only");

 public:
  NativeArray() = default;
  ~NativeArray() { std::free(data_); }
  NativeArray(const NativeArray&) = delete;
  NativeArray& operator=(const NativeArray&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  void push(const T& v) {
    reserve(size_ + 1);
    data_[size_++] = v;
  }
  void clear() { size_ = 0; }
  // Drops all but the first n.
  void truncate(size_t n) {
    if (n < size_) size_ = n;
  }
  // n copies of v.
  void assign(size_t n, const T& v) {
    reserve(n);
    for (size_t i = 0; i < n; ++i) data_[i] = v;
    size_ = n;
  }

 private:
  void reserve(size_t n) {
    if (n <= capacity_) return;
    size_t grown = capacity_ < 8 ? 8 : capacity_ * 2;
    if (grown < n) grown = n;
    void* p = std::realloc(data_, grown * sizeof(T));
    if (!p) rb_memerror();
    data_ = static_cast<T*>(p);
    capacity_ = grown;
  }

  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace qor
