// Brevane - scheduling for a thread that must keep musical time.
#pragma once

namespace platform {

// Asks the system to run the calling thread before ordinary threads (round-robin real-time
// scheduling at a low priority), as sequencers do, so that a busy machine delays its
// messages as little as it can. Where the system refuses (no permission), the thread runs
// as before. True when granted.
bool requestTimingPriority();

}  // namespace platform
