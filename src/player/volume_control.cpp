#include "player/volume_control.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace snx {

namespace {

struct Zone {
    VolumeArrow Arrow;
    int CentreX;
    int CentreY;
    int Radius;
};

// A diamond cut by its bounding square; the order settles the points two zones share.
constexpr std::array<Zone, 5> kZones = {{{VolumeArrow::Middle, 14, 14, 4},
                                         {VolumeArrow::Up, 14, 7, 7},
                                         {VolumeArrow::Down, 14, 21, 7},
                                         {VolumeArrow::Left, 7, 14, 7},
                                         {VolumeArrow::Right, 21, 14, 7}}};

bool Contains(const Zone& zone, int x, int y) {
    const int dx = std::abs(x - zone.CentreX);
    const int dy = std::abs(y - zone.CentreY);
    return dx <= zone.Radius && dy <= zone.Radius && dx + dy <= zone.Radius + 1;
}

}  // namespace

std::optional<VolumeArrow> VolumeZoneAt(int x, int y) {
    for (const Zone& zone : kZones) {
        if (Contains(zone, x, y)) {
            return zone.Arrow;
        }
    }
    return std::nullopt;
}

VolumeControl::VolumeControl(std::int32_t& left, std::int32_t& right, std::function<void()> changed)
    : left_(left), right_(right), changed_(std::move(changed)) {}

void VolumeControl::IncreaseVolume(bool leftChannel, bool rightChannel) {
    if (leftChannel) {
        left_ = std::min(left_ + kVolumeStep, kVolumeMax);
    }
    if (rightChannel) {
        right_ = std::min(right_ + kVolumeStep, kVolumeMax);
    }
    changed_();
}

void VolumeControl::DecreaseVolume(bool leftChannel, bool rightChannel) {
    if (leftChannel) {
        left_ = std::max(left_ - kVolumeStep, 0);
    }
    if (rightChannel) {
        right_ = std::max(right_ - kVolumeStep, 0);
    }
    changed_();
}

void VolumeControl::Act(VolumeArrow arrow) {
    switch (arrow) {
        case VolumeArrow::Up:
            IncreaseVolume(true, true);
            break;
        case VolumeArrow::Down:
            DecreaseVolume(true, true);
            break;
        case VolumeArrow::Left:
            IncreaseVolume(true, false);
            break;
        case VolumeArrow::Right:
            IncreaseVolume(false, true);
            break;
        case VolumeArrow::Middle:
            right_ = left_;
            changed_();
            break;
    }
}

void VolumeControl::Press(int x, int y) {
    if (const auto arrow = VolumeZoneAt(x, y)) {
        held_[static_cast<std::size_t>(*arrow)] = true;
        Act(*arrow);
    }
}

void VolumeControl::Repeat() {
    for (const VolumeArrow arrow :
         {VolumeArrow::Up, VolumeArrow::Down, VolumeArrow::Left, VolumeArrow::Right}) {
        if (Held(arrow)) {
            Act(arrow);
        }
    }
}

void VolumeControl::Release() {
    held_ = {};
}

}  // namespace snx
