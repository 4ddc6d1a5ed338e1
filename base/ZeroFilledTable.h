#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <type_traits>
#include <unistd.h>

// A table of plain records allocated once at full capacity and all zero, whose
// memory is taken only as its pages are first written: the system hands out
// zero pages on demand, so untouched room costs nothing. Clear() gives written
// pages back, reading as zero again. A caller about to fill a large part can
// ask for large pages there (UseLargePages): one fault per 2 MiB instead of
// one per 4 KiB, which is most of the cost of filling fresh memory.
template <typename T> class ZeroFilledTable
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "entries must be plain records that zero bytes make valid");

public:
    static constexpr size_t kLargePage = size_t(2) << 20;

    explicit ZeroFilledTable(size_t capacity) : m_capacity(capacity), m_bytes(RoundUp(capacity))
    {
        // Mapped with room to start on a large-page boundary; the slack goes back.
        void *memory = ::mmap(nullptr, m_bytes + kLargePage, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        char *const raw = static_cast<char *>(memory);
        char *const start = reinterpret_cast<char *>(
            (reinterpret_cast<uintptr_t>(raw) + kLargePage - 1) & ~uintptr_t(kLargePage - 1));
        if (start > raw)
            ::munmap(raw, size_t(start - raw));
        ::munmap(start + m_bytes, size_t(raw + kLargePage - start));
        m_data = reinterpret_cast<T *>(start);
    }
    ~ZeroFilledTable() { ::munmap(m_data, m_bytes); }
    ZeroFilledTable(const ZeroFilledTable &) = delete;
    ZeroFilledTable &operator=(const ZeroFilledTable &) = delete;

    size_t capacity() const { return m_capacity; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }

    // Zeroes entries 0..count-1, the only ones ever written, and returns
    // their pages to the system; later writes take small pages again.
    void Clear(size_t count)
    {
        const size_t bytes = RoundUp(count < m_capacity ? count : m_capacity);
        if (bytes == 0)
            return;
        ::madvise(m_data, m_bytes, MADV_NOHUGEPAGE);
        if (::madvise(m_data, bytes, MADV_DONTNEED) != 0) {
            // Not expected on Linux; zero by hand so the table stays right.
            for (size_t i = 0; i < count; ++i)
                m_data[i] = T{};
        }
    }

    // Asks for large pages over the whole 2 MiB blocks among the first
    // `count` entries, from block `firstBlock` on; a hint the system may ignore.
    void UseLargePages(size_t count, size_t firstBlock = 0)
    {
        const size_t bytes = (count < m_capacity ? count : m_capacity) * sizeof(T);
        const size_t blocks = bytes / kLargePage;
        if (blocks > firstBlock)
            ::madvise(reinterpret_cast<char *>(m_data) + firstBlock * kLargePage,
                      (blocks - firstBlock) * kLargePage, MADV_HUGEPAGE);
    }

private:
    static size_t RoundUp(size_t count)
    {
        const size_t page = size_t(::sysconf(_SC_PAGESIZE));
        return (count * sizeof(T) + page - 1) / page * page;
    }

    T *m_data = nullptr;
    size_t m_capacity = 0;
    size_t m_bytes = 0;
};
