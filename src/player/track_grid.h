// Where the track panel puts each track number: 8 columns of square cells, filled row by row.
#pragma once

namespace snx {

constexpr int kTrackGridColumns = 8;

struct TrackCell {
    int Left;
    int Top;
    int Side;
};

// The cell of track n (from 1) in a panel imageWidth pixels wide.
TrackCell TrackCellOf(int track, int imageWidth);

// The track a click at (x, y) goes to, or 0 when the cell holds no track of the disc.
int TrackAtPoint(int x, int y, int imageWidth, int trackCount);

}  // namespace snx
