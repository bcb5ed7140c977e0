// Brevane - the 32 ways a DX7 voice connects its six operators.
//
// An algorithm makes some operators carriers (their output is heard) and the others
// modulators of one or more operators; one operator feeds its own output, or a later
// operator's, back into itself. Operators are numbered 1..6 as the instrument shows them,
// algorithms 1..32 (the voice stores the algorithm minus 1).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace editor {

// A modulator's output feeding a target operator's input.
struct OperatorEdge {
    int modulator = 0;
    int target = 0;
};

struct AlgorithmTopology {
    int number = 0;                     // 1..32
    std::uint8_t carriers = 0;          // bit (op - 1) set for each carrier
    std::array<OperatorEdge, 5> edges{}; // the first edgeCount are used
    int edgeCount = 0;
    // The feedback loop: the output of feedbackFrom goes back into feedbackInto; both are
    // the same operator when it feeds itself.
    int feedbackFrom = 0;
    int feedbackInto = 0;

    [[nodiscard]] bool isCarrier(int op) const { return op >= 1 && op <= 6 && (carriers >> (op - 1)) & 1u; }
    [[nodiscard]] std::span<const OperatorEdge> connections() const
    {
        return std::span<const OperatorEdge>(edges.data(), static_cast<std::size_t>(edgeCount));
    }
};

constexpr int kAlgorithmCount = 32;

// The topology of algorithm 1..32 (numbers outside that range are clamped into it).
[[nodiscard]] const AlgorithmTopology& algorithmTopology(int number);

}  // namespace editor
