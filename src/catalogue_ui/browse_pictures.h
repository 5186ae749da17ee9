// The browse tree's node pictures, drawn in code: a list for headings, a disc, a disc with
// sound, and an orphan disc (catalogued without ever having been in the drive).
#pragma once

#include <QIcon>
#include <array>

namespace snx {

// LIST, CD, SOUND and ORPHAN, in the order of NodePicture.
std::array<QIcon, 4> BrowsePictures();

// The picture with a green tick in its corner: the disc has a verified archive copy.
QIcon ArchivedPicture(const QIcon& picture);

}  // namespace snx
