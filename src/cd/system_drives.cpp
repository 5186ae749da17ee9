#include "cd/system_drives.h"

namespace snx {

SystemDrives::SystemDrives(const std::vector<std::string>& devices, Clock& clock,
                           const AudioOutputFactory& outputFactory)
    : virtual_(clock, outputFactory) {
    for (const std::string& device : devices) {
        cdroms_.push_back(std::make_unique<CdromDrive>(device, clock, outputFactory));
    }
}

DriveBackend& SystemDrives::Drive(int index) {
    if (index < static_cast<int>(cdroms_.size())) {
        return *cdroms_[static_cast<std::size_t>(index)];
    }
    return virtual_;
}

}  // namespace snx
