// A table from String keys to values with a fixed number of buckets; a
// key's bucket is its String hash modulo the bucket count, and each bucket's
// list is made on first use.
#ifndef QEL_COMMON_HASH_H
#define QEL_COMMON_HASH_H

#include "common/List.h"
#include "common/String.h"

#include <cassert>
#include <cstdint>
#include <memory>
#include <utility>

namespace quelmark {

template <class T> class Hash {
public:
    struct Entry {
        String key;
        T value;
    };

    explicit Hash(int bucketCount);

    // An existing key takes the new value. Returns the stored value.
    T* insert(const String& key, T value);
    T* find(const char* key);
    const T* find(const char* key) const;
    T* find(const String& key) { return find(key.c_str()); }
    const T* find(const String& key) const { return find(key.c_str()); }
    bool remove(const char* key);
    bool remove(const String& key) { return remove(key.c_str()); }

    int bucketCount() const { return fBucketCount; }
    int bucketIndex(const char* key) const;
    const List<Entry>* bucket(int index) const { return fBuckets[index].get(); } // null if unused

private:
    Entry* findEntry(const char* key) const;

    int fBucketCount;
    std::unique_ptr<std::unique_ptr<List<Entry>>[]> fBuckets;
};

template <class T>
Hash<T>::Hash(int bucketCount)
    : fBucketCount(bucketCount),
      fBuckets(std::make_unique<std::unique_ptr<List<Entry>>[]>(bucketCount)) {
    assert(bucketCount > 0);
}

template <class T> T* Hash<T>::insert(const String& key, T value) {
    if (Entry* entry = findEntry(key.c_str())) {
        entry->value = std::move(value);
        return &entry->value;
    }
    std::unique_ptr<List<Entry>>& list = fBuckets[bucketIndex(key.c_str())];
    if (!list) list = std::make_unique<List<Entry>>();
    list->add(Entry{key, std::move(value)});
    return &list->head()->value.value;
}

template <class T> T* Hash<T>::find(const char* key) {
    Entry* entry = findEntry(key);
    return entry ? &entry->value : nullptr;
}

template <class T> const T* Hash<T>::find(const char* key) const {
    const Entry* entry = findEntry(key);
    return entry ? &entry->value : nullptr;
}

template <class T> bool Hash<T>::remove(const char* key) {
    List<Entry>* list = fBuckets[bucketIndex(key)].get();
    return list && list->detachPred([key](const Entry& entry) { return entry.key == key; });
}

template <class T> int Hash<T>::bucketIndex(const char* key) const {
    return static_cast<int>(String::hash(key) % static_cast<std::uint32_t>(fBucketCount));
}

template <class T> typename Hash<T>::Entry* Hash<T>::findEntry(const char* key) const {
    List<Entry>* list = fBuckets[bucketIndex(key)].get();
    return list ? list->findPred([key](const Entry& entry) { return entry.key == key; }) : nullptr;
}

} // namespace quelmark

#endif
