#include "identify_command.h"

#include <ostream>

#include "cd/cdio_disc.h"
#include "cd/disc_report.h"

namespace snx::tool {

namespace {

int Identify(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() > 1) {
        err << "sonatrix-catalogue identify: too many arguments\n";
        return 1;
    }
    std::string source;
    if (arguments.empty()) {
        const std::vector<std::string> drives = ListCdDrives();
        if (drives.empty()) {
            err << "sonatrix-catalogue identify: no CD drive found; name a drive or an image\n";
            return 1;
        }
        source = drives.front();
    } else {
        source = arguments.front();
    }
    const CdioHandle cdio = OpenImageOrDrive(source);
    const std::shared_ptr<DiscInfo> disc = ReadDiscInfo(cdio.get());
    if (!disc) {
        err << "sonatrix-catalogue identify: no readable disc in " << source << "\n";
        return 1;
    }
    out << DescribeDisc(*disc);
    return 0;
}

}  // namespace

const ToolCommand kIdentifyCommand{
    "identify", "[DEVICE_OR_IMAGE]",
    "print the table of contents, playing time, identity and CD-Text of a disc", Identify};

}  // namespace snx::tool
