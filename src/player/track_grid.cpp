#include "player/track_grid.h"

namespace snx {

TrackCell TrackCellOf(int track, int imageWidth) {
    const int side = imageWidth / kTrackGridColumns;
    const int column = (track - 1) % kTrackGridColumns;
    const int row = (track - 1) / kTrackGridColumns;
    return {column * side, row * side, side};
}

int TrackAtPoint(int x, int y, int imageWidth, int trackCount) {
    const int side = imageWidth / kTrackGridColumns;
    if (side <= 0) {
        return 0;
    }
    const int column = (x - 1) / side;
    // The strip right of the eighth column belongs to no cell; counted on, it would give the
    // first track of the next row.
    if (column >= kTrackGridColumns) {
        return 0;
    }
    const int track = column + (y - 1) / side * kTrackGridColumns + 1;
    return track <= trackCount ? track : 0;
}

}  // namespace snx
