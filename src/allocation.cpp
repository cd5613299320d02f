// The program's own operator new: the standard behaviour, except that a failure records
// the address of the code that asked, for the last-chance report.
#include <cstdlib>
#include <new>

#include "failure-report.h"

namespace {

#ifdef QUINTREL_ALLOCATION_FAILURE_HOOK
// Only in the build the tests use: QUINTREL_FAIL_ALLOCATION=N makes the Nth allocation
// fail, so that memory exhaustion can be tested where no address-space limit can be set.
bool MustFail() {
  static long remaining = [] {
    const char* count = std::getenv("QUINTREL_FAIL_ALLOCATION");
    return count != nullptr ? std::atol(count) : 0L;
  }();
  return remaining > 0 && --remaining == 0;
}
#else
constexpr bool MustFail() { return false; }
#endif

}  // namespace

void* operator new(std::size_t size) {
  if (size == 0) size = 1;
  for (;;) {
    if (!MustFail()) {
      if (void* block = std::malloc(size)) return block;
    }
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
