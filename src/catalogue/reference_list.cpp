#include "catalogue/reference_list.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "settings/file_names.h"
#include "store/status.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace snx {

namespace {

constexpr ReferenceListInfo kLists[] = {
    {ReferenceListKind::Composers, data_file::kComposers.data(), 100},
    {ReferenceListKind::Artists, data_file::kArtists.data(), 100},
    {ReferenceListKind::Labels, data_file::kLabels.data(), 50},
    {ReferenceListKind::Types, data_file::kTypes.data(), 50},
};

unsigned char Fold(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

}  // namespace

const ReferenceListInfo& InfoOf(ReferenceListKind kind) {
    for (const ReferenceListInfo& info : kLists) {
        if (info.Kind == kind) {
            return info;
        }
    }
    throw std::invalid_argument("unknown reference list");
}

ReferenceListKind ReferenceListKindFromLetter(char letter) {
    for (const ReferenceListInfo& info : kLists) {
        if (static_cast<char>(info.Kind) == letter) {
            return info.Kind;
        }
    }
    throw std::invalid_argument(std::string("unknown reference list letter ") + letter);
}

bool ReferenceLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

std::size_t ReferenceList::Add(std::string entry) {
    const auto at = std::upper_bound(
        entries_.begin(), entries_.end(), entry,
        [](const std::string& a, const std::string& b) { return ReferenceLess(a, b); });
    const auto index = static_cast<std::size_t>(at - entries_.begin());
    entries_.insert(at, std::move(entry));
    return index;
}

void ReferenceList::RemoveAt(std::size_t index) {
    if (index < entries_.size()) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

int ReferenceList::Find(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (ReferenceLess(name, entries_[i])) {
            break;
        }
        if (!ReferenceLess(entries_[i], name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::filesystem::path ReferenceListPath(const std::filesystem::path& dataDirectory,
                                        ReferenceListKind kind) {
    return ResolveFileName(dataDirectory, InfoOf(kind).FileName);
}

bool ReferenceList::Load(const std::filesystem::path& file, bool cutTo255) {
    entries_.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::ofstream create(file, std::ios::binary);
        if (!create) {
            return false;
        }
        return true;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(cutTo255 ? CutText(line, 255) : std::move(line));
    }
    // Sorting the whole file once is the same as adding line by line, equal entries in order.
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return ReferenceLess(a, b);
    });
    entries_ = std::move(lines);
    return true;
}

bool ReferenceList::Save(const std::filesystem::path& file, std::string_view displayName) const {
    try {
        std::string text;
        for (const std::string& entry : entries_) {
            text += entry;
            text += "\r\n";
        }
        WriteFileAtomically(file, text);
        return true;
    } catch (const FileWriteError&) {
        ReportFailure("Cannot save " + std::string(displayName) + " file!");
        return false;
    }
}

}  // namespace snx
