#include "settings/file_names.h"

#include <optional>
#include <string>

#include "util/text.h"

namespace snx {

std::filesystem::path ResolveFileName(const std::filesystem::path& directory,
                                      std::string_view name) {
    const std::filesystem::path exact = directory / std::string(name);
    std::error_code error;
    if (std::filesystem::exists(exact, error)) {
        return exact;
    }
    std::optional<std::string> best;
    std::filesystem::directory_iterator it(directory, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (EqualsIgnoreCase(candidate, name) && (!best || candidate < *best)) {
            best = candidate;
        }
    }
    return best ? directory / *best : exact;
}

}  // namespace snx
