// ParallelForNodes: a walk over independent nodes split into ranges and run
// on a fixed pool of worker threads (created once, on first use) together
// with the calling thread, which always takes a share itself.
//
// Body(Begin, End) must handle the nodes Begin..End - 1 and may only write
// what belongs to those nodes, so the result equals a single-threaded walk
// bit for bit. A call made while the pool serves another walk (another
// thread's, or a nested one) runs its whole range on the calling thread,
// so the pool never waits on itself. The first exception a range throws
// stops the ranges not yet started and is rethrown to the caller.
#pragma once
#include <cstdint>
#include <memory>
#include <type_traits>

namespace kromel {

using TNodeRangeProc = void (*)(void* Context, int32_t Begin, int32_t End);

void ParallelForNodesProc(int32_t Count, TNodeRangeProc Proc, void* Context);

template <class F>
void ParallelForNodes(int32_t Count, F&& Body) {
  using TBody = std::remove_reference_t<F>;
  ParallelForNodesProc(
      Count,
      [](void* Context, int32_t Begin, int32_t End) {
        (*static_cast<TBody*>(Context))(Begin, End);
      },
      const_cast<void*>(static_cast<const void*>(std::addressof(Body))));
}

// Threads a walk may use, the caller included (1: every walk runs on the
// calling thread). Starts at the machine's core count, at most 8.
int32_t NodeThreadLimit();
// Sets the limit for the walks that start afterwards (clamped to 1..the
// pool's size + 1); returns the previous one.
int32_t SetNodeThreadLimit(int32_t Limit);

}  // namespace kromel
