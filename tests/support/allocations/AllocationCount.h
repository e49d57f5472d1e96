#pragma once

// Counts the heap allocations of the calling thread, so that a test can hold a hot path to "no
// allocation": link the test with tabulant_allocation_count, which replaces the global operator
// new and delete of the whole test program.
namespace tabulant::testing {

// Allocations made by this thread so far; compare two readings around the code under test.
long AllocationsSoFar();

} // namespace tabulant::testing
