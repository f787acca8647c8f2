// Blocks of one size for list nodes. Lists that grow and shrink by the
// million (the samples' hits, the buckets' grids) take their nodes from
// here: a freed node goes onto a free list of its thread and is handed out
// again before new memory is taken, in chunks, from the general allocator.
// The chunks stay for the life of the process. Under the address sanitizer
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

    static Free*& freeList() {
        thread_local Free* free = nullptr;
        return free;
    }

    // A new chunk, kept in the list of every chunk so that it stays reachable.
    static void refill(Free*& free) {
        void* chunk = ::operator new(kBlock* kBlocksPerChunk, std::align_val_t(kAlign));
        {
            static std::mutex guard;
            static std::vector<void*> chunks;
            std::lock_guard<std::mutex> lock(guard);
            chunks.push_back(chunk);
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
