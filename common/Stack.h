// Stacks on an Array: Stack pushes given values, CopyStack pushes a copy of
// its top entry.
#ifndef QEL_COMMON_STACK_H
#define QEL_COMMON_STACK_H

#include "common/Array.h"

#include <utility>

namespace quelmark {

template <class T> class Stack {
public:
    void push(const T& value) { fEntries.append(value); }
    void push(T&& value) { fEntries.append(std::move(value)); }
    T pop(); // a default value when empty
    T& top() { return fEntries.last(); }
    const T& top() const { return fEntries.last(); }

    int count() const { return fEntries.count(); }
    bool empty() const { return fEntries.empty(); }
    void clear() { fEntries.clear(); }

    // Bottom to top.
    T* begin() { return fEntries.begin(); }
    T* end() { return fEntries.end(); }
    const T* begin() const { return fEntries.begin(); }
    const T* end() const { return fEntries.end(); }

private:
    Array<T> fEntries;
};

template <class T> class CopyStack {
public:
    // Pushes a copy of the top entry, or a default value onto an empty stack.
    void push();
    void pop(); // does nothing when empty
    T& top() { return fEntries.last(); }
    const T& top() const { return fEntries.last(); }

    int count() const { return fEntries.count(); }
    bool empty() const { return fEntries.empty(); }
    void clear() { fEntries.clear(); }

private:
    Array<T> fEntries;
};

template <class T> T Stack<T>::pop() {
    if (empty()) return T();
    T value = std::move(top());
    fEntries.removeLast();
    return value;
}

template <class T> void CopyStack<T>::push() {
    if (empty())
        fEntries.append(T());
    else
        fEntries.append(top());
}

template <class T> void CopyStack<T>::pop() {
    if (!empty()) fEntries.removeLast();
}

} // namespace quelmark

#endif
