// The program's own operator new: the standard behaviour, except that a failure records
// the address of the code that asked, for the last-chance report.
#include <cstdlib>
#include <new>

#include "failure-report.h"

void* operator new(std::size_t size) {
  if (size == 0) size = 1;
  for (;;) {
    if (void* block = std::malloc(size)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) {
      FailedAllocationAddress = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
      throw std::bad_alloc();
    }
    handler();
  }
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
