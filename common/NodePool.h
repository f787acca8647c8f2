// Blocks of one size for list nodes. Lists that grow and shrink by the
// million (the samples' hits, the buckets' grids) take their nodes from
// here: a freed node goes onto a free list of its thread and is handed out
// again before new memory is taken, in chunks, from the general allocator.
// A thread that ends leaves its free nodes to the threads that follow. The
// chunks stay for the life of the process. Under the address sanitizer
// every node comes from the general allocator, so that it sees each one.
#ifndef QEL_COMMON_NODEPOOL_H
#define QEL_COMMON_NODEPOOL_H

#include <cstddef>
#include <mutex>
#include <new>
#include <vector>

template <std::size_t Size, std::size_t Align> class NodePool {
public:
    static void* allocate() {
#ifdef __SANITIZE_ADDRESS__
        return ::operator new(kBlock, std::align_val_t(kAlign));
#endif
        Free*& free = freeList();
        if (!free) refill(free);
        Free* block = free;
        free = block->next;
        return block;
    }

    static void release(void* block) noexcept {
        if (!block) return;
#ifdef __SANITIZE_ADDRESS__
        ::operator delete(block, std::align_val_t(kAlign));
        return;
#endif
        Free*& free = freeList();
        Free* freed = static_cast<Free*>(block);
        freed->next = free;
        free = freed;
    }

private:
    struct Free {
        Free* next;
    };
    static constexpr std::size_t kAlign = Align > alignof(Free) ? Align : alignof(Free);
    static constexpr std::size_t kBlock =
        ((Size > sizeof(Free) ? Size : sizeof(Free)) + kAlign - 1) / kAlign * kAlign;
    static constexpr std::size_t kBlocksPerChunk = 1024;

    // What the pool keeps for every thread: the chunks, and the free nodes
    // that ended threads left.
    struct Shared {
        std::mutex guard;
        std::vector<void*> chunks;
        Free* left = nullptr;
    };

    static Shared& shared() {
        static Shared* pool = new Shared; // outlives every thread's list
        return *pool;
    }

    struct ThreadList {
        Free* head = nullptr;
        ~ThreadList() {
            if (!head) return;
            Free* tail = head;
            while (tail->next)
                tail = tail->next;
            Shared& pool = shared();
            std::lock_guard<std::mutex> lock(pool.guard);
            tail->next = pool.left;
            pool.left = head;
        }
    };

    static Free*& freeList() {
        thread_local ThreadList list;
        return list.head;
    }

    // The nodes ended threads left, or else a new chunk, kept in the list of
    // every chunk so that it stays reachable.
    static void refill(Free*& free) {
        Shared& pool = shared();
        {
            std::lock_guard<std::mutex> lock(pool.guard);
            if (pool.left) {
                free = pool.left;
                pool.left = nullptr;
                return;
            }
        }
        void* chunk = ::operator new(kBlock* kBlocksPerChunk, std::align_val_t(kAlign));
        {
            std::lock_guard<std::mutex> lock(pool.guard);
            pool.chunks.push_back(chunk);
        }
        char* bytes = static_cast<char*>(chunk);
        for (std::size_t k = kBlocksPerChunk; k-- > 0;) {
            Free* block = reinterpret_cast<Free*>(bytes + k * kBlock);
            block->next = free;
            free = block;
        }
    }
};

#endif
