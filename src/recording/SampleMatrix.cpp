#include "SampleMatrix.h"

#include <sys/mman.h>

#include <new>

namespace sevrana {

ZeroedBlock::ZeroedBlock(std::size_t bytes)
{
    if (bytes == 0) return;
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    // No MADV_HUGEPAGE: where free memory is fragmented (page cache after a day's work), the kernel
    // compacts memory on the first touch of each huge page, and the first open of a 130 MB recording
    // took 1.1-1.4 s instead of 0.3 s; ordinary pages cost a few tens of milliseconds more at most.
    ptr_ = p;
    bytes_ = bytes;
}

ZeroedBlock::~ZeroedBlock()
{
    if (ptr_ != nullptr) munmap(ptr_, bytes_);
}

}  // namespace sevrana
