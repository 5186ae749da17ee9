// The two pictures the program brings along: "general.bmp", shown in the track panel for a disc
// without a picture of its own, and "sandblst.bmp", the default window background tile.
#pragma once

#include <QImage>
#include <filesystem>

namespace snx {

QImage GeneralBitmap();
QImage SandblastBitmap();

// Writes either picture into the data directory when no file of that name (in any case) is
// there. Failures are ignored: the panel stays empty and the window untiled.
void WriteDefaultBitmaps(const std::filesystem::path& dataDirectory);

}  // namespace snx
