// Stored texts (catalogue fields, settings) as windows show them: decoded the one way every
// layer decodes them, UTF-8 or else Windows-1252.
#pragma once

#include <QString>
#include <string_view>

#include "util/text.h"

namespace snx {

inline QString FromStored(std::string_view stored) {
    return QString::fromStdString(StoredTextToUtf8(stored));
}

}  // namespace snx
