#pragma once
// How one cell of the result grid is painted, decided from the grid's plain
// state so that the rules are testable without a window.
#include "results/GridModel.h"

#include <Qt>
#include <cstdint>

// Colours as 0xAARRGGBB.
struct GridHighlightColors {
    std::uint32_t background;  // the system highlight
    std::uint32_t text;        // the system highlighted text
};

struct GridCellLook {
    std::uint32_t background;
    std::uint32_t text;
    Qt::Alignment alignment;  // one line, vertically centred, no inner margin
    bool fixedEdge;           // header row and number column carry a raised edge
    bool focusFrame;          // the current cell while the grid has the focus
};

inline constexpr std::uint32_t kGridCellBackground = 0xff000000;
inline constexpr std::uint32_t kGridCellText = 0xffffffff;
inline constexpr std::uint32_t kGridLineColor = 0xff808080;

// Every cell, fixed ones included, is black with white text unless it lies in
// the selection; the content never changes the colours.
GridCellLook gridCellLook(const TGridModel& grid, int col, int row, bool gridFocused,
                          const GridHighlightColors& highlight);
