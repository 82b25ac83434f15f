#include "SampleMatrix.h"

#include <sys/mman.h>

#include <new>

namespace sevrana {

ZeroedBlock::ZeroedBlock(std::size_t bytes)
{
    if (bytes == 0) return;
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Fewer page faults on the first touch of a large sample block.
    if (bytes >= (std::size_t{2} << 20)) madvise(p, bytes, MADV_HUGEPAGE);
#endif
    ptr_ = p;
    bytes_ = bytes;
}

ZeroedBlock::~ZeroedBlock()
{
    if (ptr_ != nullptr) munmap(ptr_, bytes_);
}

}  // namespace sevrana
