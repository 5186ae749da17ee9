#include "samples/bookmark.h"

#include <algorithm>

namespace snx {

namespace {

MsfFields Relative(Msf position, Msf track1) {
    const Msf msf = FramesToMsf(MsfToFrames(position) - MsfToFrames(track1));
    return {static_cast<int>(std::min(MsfMinutes(msf), 99u)), static_cast<int>(MsfSeconds(msf)),
            static_cast<int>(MsfFrames(msf))};
}

Msf Absolute(const MsfFields& fields, Msf track1) {
    const std::int32_t frames = fields[0] * 4500 + fields[1] * 75 + fields[2];
    return FramesToMsf(frames + MsfToFrames(track1));
}

}  // namespace

BookmarkFields FieldsOfBookmark(Msf start, Msf end, Msf track1) {
    return {Relative(start, track1), Relative(end, track1)};
}

bool ReadBookmark(const BookmarkFields& fields, Msf track1, Msf& start, Msf& end) {
    start = Absolute(fields.Start, track1);
    end = Absolute(fields.End, track1);
    return MsfToFrames(end) >= MsfToFrames(start);
}

}  // namespace snx
