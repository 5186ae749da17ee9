// The table of settings keys: section, key and field, in the order they are read and written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "settings/settings.h"

namespace snx {

// A MinSec field, stored as the value x 100.
struct MinSecField {
    MinSec Settings::*Field;
};

using SettingField =
    std::variant<std::string Settings::*, std::int32_t Settings::*, bool Settings::*, MinSecField>;

struct SettingKey {
    const char* Section;
    const char* Key;
    SettingField Field;
};

constexpr std::size_t kSettingKeyCount = 63;

extern const std::array<SettingKey, kSettingKeyCount> kSettingKeys;

}  // namespace snx
