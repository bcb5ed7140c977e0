// Brevane - what the MIDI transport's operations return.
#pragma once

#include <cstdint>

namespace midi {

// Results of the transport operations. The values are pinned.
enum class TransportResult : std::int16_t { Ok = 0, Failed = -1 };

}  // namespace midi
