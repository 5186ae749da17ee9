// Edit boxes for stored text fields: what can be typed is what the field stores, counted in the
// UTF-8 bytes it will be stored as, so nothing typed is dropped when the dialog is accepted.
#pragma once

#include <cstddef>

class QLineEdit;

namespace snx {

// Limits edit to width bytes of UTF-8, whole characters only. A text already longer (a stored
// entry shown as it is) stays whole and may be shortened, never lengthened again. Call after the
// box holds its first text; it replaces any limit in characters.
void LimitToStoredWidth(QLineEdit* edit, std::size_t width);

}  // namespace snx
