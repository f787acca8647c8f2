// A growable array: count, capacity and storage.
#ifndef QEL_COMMON_ARRAY_H
#define QEL_COMMON_ARRAY_H

#include <cassert>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace quelmark {

// Appending to a full array grows the capacity to old + old/2 + 1. A capacity
// that `Size` or the byte count cannot hold calls the out-of-memory handler,
// or, with none installed (or when it returns), ends the process.
template <class T, class Size = int> class Array {
public:
    Array() = default;
    Array(const Array& other);
    Array(Array&& other) noexcept;
    ~Array();
    Array& operator=(const Array& other);
    Array& operator=(Array&& other) noexcept;

    void append(const T& value) { emplace(value); }
    void append(T&& value) { emplace(std::move(value)); }
    void removeLast();
    void clear(); // keeps the storage
    void reserve(Size capacity);

    Size count() const { return fCount; }
    Size capacity() const { return fCapacity; }
    bool empty() const { return fCount == 0; }

    T& operator[](Size index);
    const T& operator[](Size index) const;
    T& last() { return (*this)[fCount - 1]; }
    const T& last() const { return (*this)[fCount - 1]; }

    T* data() { return fData; }
    const T* data() const { return fData; }
    T* begin() { return fData; }
    T* end() { return fData + fCount; }
    const T* begin() const { return fData; }
    const T* end() const { return fData + fCount; }

    static constexpr std::size_t maxCapacity();

private:
    template <class V> void emplace(V&& value);
    std::size_t grownCapacity() const;
    void moveTo(T* storage);
    void release();
    [[noreturn]] static void tooLarge();

    T* fData = nullptr;
    Size fCount = 0;
    Size fCapacity = 0;
};

template <class T, class Size> Array<T, Size>::Array(const Array& other) {
    reserve(other.fCount);
    for (const T& value : other)
        append(value);
}

template <class T, class Size>
Array<T, Size>::Array(Array&& other) noexcept
    : fData(std::exchange(other.fData, nullptr)), fCount(std::exchange(other.fCount, 0)),
      fCapacity(std::exchange(other.fCapacity, 0)) {}

template <class T, class Size> Array<T, Size>::~Array() {
    release();
}

template <class T, class Size> Array<T, Size>& Array<T, Size>::operator=(const Array& other) {
    if (this != &other) {
        Array copy(other);
        *this = std::move(copy);
    }
    return *this;
}

template <class T, class Size> Array<T, Size>& Array<T, Size>::operator=(Array&& other) noexcept {
    if (this != &other) {
        release();
        fData = std::exchange(other.fData, nullptr);
        fCount = std::exchange(other.fCount, 0);
        fCapacity = std::exchange(other.fCapacity, 0);
    }
    return *this;
}

template <class T, class Size> void Array<T, Size>::removeLast() {
    assert(fCount > 0);
    --fCount;
    std::destroy_at(fData + fCount);
}

template <class T, class Size> void Array<T, Size>::clear() {
    std::destroy_n(fData, fCount);
    fCount = 0;
}

template <class T, class Size> void Array<T, Size>::reserve(Size capacity) {
    if (capacity <= fCapacity) return;
    if (static_cast<std::size_t>(capacity) > maxCapacity()) tooLarge();
    T* storage = std::allocator<T>().allocate(capacity);
    moveTo(storage);
    fCapacity = capacity;
}

template <class T, class Size> T& Array<T, Size>::operator[](Size index) {
    assert(static_cast<std::size_t>(index) < static_cast<std::size_t>(fCount));
    return fData[index];
}

template <class T, class Size> const T& Array<T, Size>::operator[](Size index) const {
    assert(static_cast<std::size_t>(index) < static_cast<std::size_t>(fCount));
    return fData[index];
}

template <class T, class Size> constexpr std::size_t Array<T, Size>::maxCapacity() {
    constexpr std::size_t byBytes = std::numeric_limits<std::size_t>::max() / sizeof(T);
    constexpr auto byCount = std::numeric_limits<Size>::max();
    return std::cmp_less(byCount, byBytes) ? static_cast<std::size_t>(byCount) : byBytes;
}

// The new element is built before the old ones move, so appending an element
// of the array itself is safe.
template <class T, class Size> template <class V> void Array<T, Size>::emplace(V&& value) {
    if (fCount < fCapacity) {
        std::construct_at(fData + fCount, std::forward<V>(value));
        ++fCount;
        return;
    }
    const std::size_t capacity = grownCapacity();
    T* storage = std::allocator<T>().allocate(capacity);
    try {
        std::construct_at(storage + fCount, std::forward<V>(value));
    } catch (...) {
        std::allocator<T>().deallocate(storage, capacity);
        throw;
    }
    moveTo(storage);
    fCapacity = static_cast<Size>(capacity);
    ++fCount;
}

template <class T, class Size> std::size_t Array<T, Size>::grownCapacity() const {
    const auto old = static_cast<std::size_t>(fCapacity);
    if (old > maxCapacity() - old / 2 - 1) tooLarge();
    return old + old / 2 + 1;
}

template <class T, class Size> void Array<T, Size>::moveTo(T* storage) {
    for (Size i = 0; i < fCount; ++i)
        std::construct_at(storage + i, std::move_if_noexcept(fData[i]));
    const Size count = fCount;
    release();
    fData = storage;
    fCount = count;
}

template <class T, class Size> void Array<T, Size>::release() {
    std::destroy_n(fData, fCount);
    if (fData) std::allocator<T>().deallocate(fData, fCapacity);
    fData = nullptr;
    fCount = 0;
    fCapacity = 0;
}

template <class T, class Size> void Array<T, Size>::tooLarge() {
    if (std::new_handler handler = std::get_new_handler()) handler();
    std::fputs("fatal error: Array too large\n", stderr);
    std::abort();
}

} // namespace quelmark

#endif
