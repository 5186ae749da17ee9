// The catalogue commands of sonatrix-catalogue: list, show, delete, check and rebuild.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "catalogue/browse_tree.h"
#include "catalogue/disc_catalogue.h"

namespace snx {

// The catalogue of one data directory, opened for the length of one command.
class CommandCatalogue {
  public:
    explicit CommandCatalogue(const std::filesystem::path& dataDirectory);
    ~CommandCatalogue();
    CommandCatalogue(const CommandCatalogue&) = delete;
    CommandCatalogue& operator=(const CommandCatalogue&) = delete;

    DiscCatalogue& Catalogue() { return catalogue_; }
    const std::filesystem::path& DataDirectory() const { return dataDirectory_; }

  private:
    std::filesystem::path dataDirectory_;
    Tfvlf holder_;
    DiscCatalogue catalogue_;
};

// The options that choose the browse tree, shared by list and print: --by VIEW, and the filter
// texts --name (or --filter-name), --ref (--filter-reference) and --track (--filter-track).
enum class BrowseOption { Taken, Unknown, BadView };
BrowseOption TakeBrowseOption(std::string_view option, const std::string& value, BrowseView& view,
                              BrowseFilter& filter);

// Each command takes its own arguments (after the command's name), writes its output to out and
// returns the exit status. Errors go to standard error.
int ListCommand(CommandCatalogue& session, const std::vector<std::string>& args, std::ostream& out);
int ShowCommand(CommandCatalogue& session, const std::vector<std::string>& args, std::ostream& out);
int DeleteCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                  std::ostream& out);
int CheckCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                 std::ostream& out);
int RebuildCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                   std::ostream& out);

}  // namespace snx
