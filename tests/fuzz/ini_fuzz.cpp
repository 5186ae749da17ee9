// Feeds arbitrary bytes to the INI reader and checks that a parse, a lookup, an update and a
// re-parse of the written text agree.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/profile_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    snx::IniFile ini = snx::IniFile::Parse(text);
    if (const auto value = ini.Get("General", "Skip time")) {
        snx::ParseProfileInteger(*value);
    }
    ini.Set("General", "Skip time", "130");
    const snx::IniFile again = snx::IniFile::Parse(ini.ToText());
    if (again.Get("General", "Skip time") != std::optional<std::string>("130")) {
        std::abort();
    }
    return 0;
}
