// Brevane - which of the editor's 27 parameter grids shows which VoiceData rows.
#include "editor/GridMap.h"

namespace editor {
namespace {

constexpr int firstRowOf(int op) { return (6 - op) * 21; }

std::vector<int> run(int first, int count)
{
    std::vector<int> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(first + i);
    return rows;
}

}  // namespace

std::vector<int> rowsOfGrid(int grid)
{
    if (grid == kPitchEgGrid)
        return run(126, 8);
    if (grid >= 1 && grid <= 6)
        return run(firstRowOf(grid), 8);
    if (grid >= 7 && grid <= 12)
        return run(firstRowOf(grid - 6) + 8, 5);
    if (grid >= 13 && grid <= 18)
        return run(firstRowOf(grid - 12) + 17, 4);
    if (grid >= 19 && grid <= 24)
        return run(firstRowOf(grid - 18) + 13, 4);
    if (grid == kLfoGrid)
        return run(137, 7);
    if (grid == kMiscGrid)
        return {135, 136, 144};
    return {};
}

int gridOfRow(int row)
{
    if (row >= 0 && row < 126) {
        const int op = 6 - row / 21;
        const int offset = row % 21;
        if (offset < 8)
            return op;
        if (offset < 13)
            return op + 6;
        if (offset < 17)
            return op + 18;
        return op + 12;
    }
    if (row >= 126 && row <= 133)
        return kPitchEgGrid;
    if (row == 135 || row == 136 || row == 144)
        return kMiscGrid;
    if (row >= 137 && row <= 143)
        return kLfoGrid;
    return -1;
}

int panelOfGrid(int grid)
{
    if (grid >= 1 && grid <= 24)
        return (grid - 1) % 6 + 1;
    return 0;
}

bool gridShowsRawValue(int grid) { return grid >= 0 && grid <= 6; }

std::string_view gridCaption(int grid)
{
    if (grid == kPitchEgGrid)
        return "PEG Rate/Level";
    if (grid >= 1 && grid <= 6)
        return "EG Rate/Level";
    if (grid >= 7 && grid <= 12)
        return "Level Scaling";
    if (grid >= 13 && grid <= 18)
        return "Oscillator";
    if (grid >= 19 && grid <= 24)
        return "Sensitivity";
    if (grid == kLfoGrid)
        return "LFO";
    if (grid == kMiscGrid)
        return "Misc";
    return {};
}

}  // namespace editor
