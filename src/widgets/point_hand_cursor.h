// The pointing-hand cursor over the handset's clickable pictures, painted in code.
#pragma once

#include <QCursor>

namespace snx {

QCursor PointHandCursor();

}  // namespace snx
