// Singly linked lists: List (new entries at the head), its iterator, and
// SList (kept sorted ascending by operator<).
#ifndef QEL_COMMON_LIST_H
#define QEL_COMMON_LIST_H

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace quelmark {

template <class T, bool IsConst = false> class ListIterator;

template <class T> class List {
public:
    struct Node {
        T value;
        Node* next;
    };
    using Iterator = ListIterator<T, false>;
    using ConstIterator = ListIterator<T, true>;

    List() = default;
    List(const List& other);
    List(List&& other) noexcept;
    ~List() { flush(); }
    List& operator=(const List& other);
    List& operator=(List&& other) noexcept;

    void add(T value) { insertAfter(nullptr, std::move(value)); }
    T detachHead(); // a default value when empty
    bool detach(const T& value);
    template <class Pred> bool detachPred(Pred pred);
    bool find(const T& value) const;
    template <class Pred> T* findPred(Pred pred);
    template <class Pred> const T* findPred(Pred pred) const;
    void flush();

    int count() const { return fCount; }
    bool empty() const { return fHead == nullptr; }

    Iterator begin() { return Iterator(fHead); }
    Iterator end() { return Iterator(); }
    ConstIterator begin() const { return ConstIterator(fHead); }
    ConstIterator end() const { return ConstIterator(); }

    // Node-level access; a null node stands for the position before the head.
    Node* head() { return fHead; }
    const Node* head() const { return fHead; }
    Node* insertAfter(Node* node, T value);
    void eraseAfter(Node* node);
    void truncateAfter(Node* node);

private:
    Node*& linkAfter(Node* node) { return node ? node->next : fHead; }

    Node* fHead = nullptr;
    int fCount = 0;
};

// Walks a list from head to tail; the default iterator is past the end.
template <class T, bool IsConst> class ListIterator {
public:
    using Node = std::conditional_t<IsConst, const typename List<T>::Node, typename List<T>::Node>;
    using Value = std::conditional_t<IsConst, const T, T>;
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = Value*;
    using reference = Value&;

    ListIterator() = default;
    explicit ListIterator(Node* node) : fNode(node) {}
    explicit ListIterator(std::conditional_t<IsConst, const List<T>, List<T>>& list)
        : fNode(list.head()) {}

    bool done() const { return fNode == nullptr; }
    Value& operator*() const { return fNode->value; }
    Value* operator->() const { return &fNode->value; }
    ListIterator& operator++() {
        fNode = fNode->next;
        return *this;
    }
    ListIterator operator++(int) {
        ListIterator before = *this;
        fNode = fNode->next;
        return before;
    }
    bool operator==(const ListIterator& other) const = default;

private:
    Node* fNode = nullptr;
};

// Equal entries keep their order of insertion.
template <class T> class SList {
public:
    bool add(T value); // true when the value was kept
    T detachHead() { return fList.detachHead(); }
    bool detach(const T& value) { return fList.detach(value); }
    bool find(const T& value) const { return fList.find(value); }
    template <class Pred> T* findPred(Pred pred) { return fList.findPred(pred); }
    void flush() { fList.flush(); }

    int count() const { return fList.count(); }
    bool empty() const { return fList.empty(); }
    const List<T>& list() const { return fList; }

    typename List<T>::Iterator begin() { return fList.begin(); }
    typename List<T>::Iterator end() { return fList.end(); }
    typename List<T>::ConstIterator begin() const { return fList.begin(); }
    typename List<T>::ConstIterator end() const { return fList.end(); }

private:
    List<T> fList;
};

template <class T> List<T>::List(const List& other) {
    Node* last = nullptr;
    for (const T& value : other)
        last = insertAfter(last, value);
}

template <class T>
List<T>::List(List&& other) noexcept
    : fHead(std::exchange(other.fHead, nullptr)), fCount(std::exchange(other.fCount, 0)) {}

template <class T> List<T>& List<T>::operator=(const List& other) {
    if (this != &other) {
        List copy(other);
        *this = std::move(copy);
    }
    return *this;
}

template <class T> List<T>& List<T>::operator=(List&& other) noexcept {
    if (this != &other) {
        flush();
        fHead = std::exchange(other.fHead, nullptr);
        fCount = std::exchange(other.fCount, 0);
    }
    return *this;
}

template <class T> T List<T>::detachHead() {
    if (!fHead) return T();
    T value = std::move(fHead->value);
    eraseAfter(nullptr);
    return value;
}

template <class T> bool List<T>::detach(const T& value) {
    return detachPred([&value](const T& entry) { return entry == value; });
}

template <class T> template <class Pred> bool List<T>::detachPred(Pred pred) {
    Node* previous = nullptr;
    for (Node* node = fHead; node; previous = node, node = node->next) {
        if (pred(node->value)) {
            eraseAfter(previous);
            return true;
        }
    }
    return false;
}

template <class T> bool List<T>::find(const T& value) const {
    return findPred([&value](const T& entry) { return entry == value; }) != nullptr;
}

template <class T> template <class Pred> T* List<T>::findPred(Pred pred) {
    for (Node* node = fHead; node; node = node->next)
        if (pred(node->value)) return &node->value;
    return nullptr;
}

template <class T> template <class Pred> const T* List<T>::findPred(Pred pred) const {
    for (const Node* node = fHead; node; node = node->next)
        if (pred(node->value)) return &node->value;
    return nullptr;
}

template <class T> void List<T>::flush() {
    truncateAfter(nullptr);
}

template <class T> typename List<T>::Node* List<T>::insertAfter(Node* node, T value) {
    Node*& link = linkAfter(node);
    link = new Node{std::move(value), link};
    ++fCount;
    return link;
}

template <class T> void List<T>::eraseAfter(Node* node) {
    Node*& link = linkAfter(node);
    Node* erased = link;
    if (!erased) return;
    link = erased->next;
    delete erased;
    --fCount;
}

template <class T> void List<T>::truncateAfter(Node* node) {
    while (linkAfter(node))
        eraseAfter(node);
}

template <class T> bool SList<T>::add(T value) {
    typename List<T>::Node* previous = nullptr;
    for (auto* node = fList.head(); node && !(value < node->value); node = node->next)
        previous = node;
    fList.insertAfter(previous, std::move(value));
    return true;
}

} // namespace quelmark

#endif
