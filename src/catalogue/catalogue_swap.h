// Puts a rebuilt catalogue in place of the old one so that an interruption at any moment leaves
// either the whole old set or the whole new set. The new set is built complete as "disc2.*"; a
// small journal file then marks it complete, and the renames that follow are finished by
// RecoverCatalogueSwap when the program next opens the catalogue. The previous set is kept as
// "disc-old.*" until the next rebuild.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string_view>

namespace snx {

constexpr std::array<std::string_view, 3> kCatalogueExtensions = {".DAT", ".IX", ".VLF"};
constexpr std::string_view kJournalName = "disc-rebuild.journal";

enum class SwapRecovery {
    Nothing,          // no rebuild was interrupted
    DiscardedNewSet,  // an incomplete "disc2.*" was removed; the old catalogue stands
    FinishedSwap,     // a complete new set was put in place
};

// Called before each step of the swap, for tests that stop a rebuild at every point.
using SwapCheckpoint = std::function<void(std::string_view step)>;

// Requires: "disc2.DAT", "disc2.IX" and "disc2.VLF" are complete and closed. Throws
// std::filesystem::filesystem_error or FileWriteError; what is left is finished by recovery.
void SwapInRebuiltCatalogue(const std::filesystem::path& dataDirectory,
                            const SwapCheckpoint& checkpoint = {});

// Finishes or discards an interrupted rebuild. Safe to call at any time.
SwapRecovery RecoverCatalogueSwap(const std::filesystem::path& dataDirectory);

// Makes every transaction over the catalogue's files finish or discard an interrupted rebuild
// before its first scope is held. Called by whatever opens the catalogue; idempotent.
void InstallSwapRecovery();

// Removes the files of an unfinished new set ("disc2.*"), before a rebuild starts one.
void RemoveRebuildFiles(const std::filesystem::path& dataDirectory);

}  // namespace snx
