#pragma once
// A run started with a standard descriptor closed (`>&-`, or by a service started that way)
// would hand that number to the next descriptor it opens: a claimed port on descriptor 1 would
// receive everything printed. The descriptors are filled at start, before anything is opened.

namespace zelkor::utils::stdio {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed (read-only for 0,
// write-only for 1 and 2). True when standard output was among them: output meant for it still
// cannot be written, and the run must fail as it would have.
bool occupy_closed();

} // namespace zelkor::utils::stdio
