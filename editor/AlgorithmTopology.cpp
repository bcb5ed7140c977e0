// Brevane - the 32 ways a DX7 voice connects its six operators.
#include "editor/AlgorithmTopology.h"

#include <algorithm>
#include <initializer_list>

namespace editor {
namespace {

constexpr AlgorithmTopology make(int number, std::initializer_list<int> carriers,
                                 std::initializer_list<OperatorEdge> edges, int fbFrom, int fbInto)
{
    AlgorithmTopology t{};
    t.number = number;
    for (int c : carriers)
        t.carriers = static_cast<std::uint8_t>(t.carriers | (1u << (c - 1)));
    for (const OperatorEdge& e : edges)
        t.edges[static_cast<std::size_t>(t.edgeCount++)] = e;
    t.feedbackFrom = fbFrom;
    t.feedbackInto = fbInto;
    return t;
}

// {modulator, target}
constexpr std::array<AlgorithmTopology, kAlgorithmCount> kTable = {{
    make(1, {1, 3}, {{2, 1}, {4, 3}, {5, 4}, {6, 5}}, 6, 6),
    make(2, {1, 3}, {{2, 1}, {4, 3}, {5, 4}, {6, 5}}, 2, 2),
    make(3, {1, 4}, {{2, 1}, {3, 2}, {5, 4}, {6, 5}}, 6, 6),
    make(4, {1, 4}, {{2, 1}, {3, 2}, {5, 4}, {6, 5}}, 4, 6),
    make(5, {1, 3, 5}, {{2, 1}, {4, 3}, {6, 5}}, 6, 6),
    make(6, {1, 3, 5}, {{2, 1}, {4, 3}, {6, 5}}, 5, 6),
    make(7, {1, 3}, {{2, 1}, {4, 3}, {5, 3}, {6, 5}}, 6, 6),
    make(8, {1, 3}, {{2, 1}, {4, 3}, {5, 3}, {6, 5}}, 4, 4),
    make(9, {1, 3}, {{2, 1}, {4, 3}, {5, 3}, {6, 5}}, 2, 2),
    make(10, {1, 4}, {{2, 1}, {3, 2}, {5, 4}, {6, 4}}, 3, 3),
    make(11, {1, 4}, {{2, 1}, {3, 2}, {5, 4}, {6, 4}}, 6, 6),
    make(12, {1, 3}, {{2, 1}, {4, 3}, {5, 3}, {6, 3}}, 2, 2),
    make(13, {1, 3}, {{2, 1}, {4, 3}, {5, 3}, {6, 3}}, 6, 6),
    make(14, {1, 3}, {{2, 1}, {4, 3}, {5, 4}, {6, 4}}, 6, 6),
    make(15, {1, 3}, {{2, 1}, {4, 3}, {5, 4}, {6, 4}}, 2, 2),
    make(16, {1}, {{2, 1}, {3, 1}, {4, 3}, {5, 1}, {6, 5}}, 6, 6),
    make(17, {1}, {{2, 1}, {3, 1}, {4, 3}, {5, 1}, {6, 5}}, 2, 2),
    make(18, {1}, {{2, 1}, {3, 1}, {4, 1}, {5, 4}, {6, 5}}, 3, 3),
    make(19, {1, 4, 5}, {{2, 1}, {3, 2}, {6, 4}, {6, 5}}, 6, 6),
    make(20, {1, 2, 4}, {{3, 1}, {3, 2}, {5, 4}, {6, 4}}, 3, 3),
    make(21, {1, 2, 4, 5}, {{3, 1}, {3, 2}, {6, 4}, {6, 5}}, 3, 3),
    make(22, {1, 3, 4, 5}, {{2, 1}, {6, 3}, {6, 4}, {6, 5}}, 6, 6),
    make(23, {1, 2, 4, 5}, {{3, 2}, {6, 4}, {6, 5}}, 6, 6),
    make(24, {1, 2, 3, 4, 5}, {{6, 3}, {6, 4}, {6, 5}}, 6, 6),
    make(25, {1, 2, 3, 4, 5}, {{6, 4}, {6, 5}}, 6, 6),
    make(26, {1, 2, 4}, {{3, 2}, {5, 4}, {6, 4}}, 6, 6),
    make(27, {1, 2, 4}, {{3, 2}, {5, 4}, {6, 4}}, 3, 3),
    make(28, {1, 3, 6}, {{2, 1}, {4, 3}, {5, 4}}, 5, 5),
    make(29, {1, 2, 3, 5}, {{4, 3}, {6, 5}}, 6, 6),
    make(30, {1, 2, 3, 6}, {{4, 3}, {5, 4}}, 5, 5),
    make(31, {1, 2, 3, 4, 5}, {{6, 5}}, 6, 6),
    make(32, {1, 2, 3, 4, 5, 6}, {}, 6, 6),
}};

}  // namespace

const AlgorithmTopology& algorithmTopology(int number)
{
    return kTable[static_cast<std::size_t>(std::clamp(number, 1, kAlgorithmCount) - 1)];
}

}  // namespace editor
