// The four-way volume control's logic: which arrow a press hits, the step changes of the left and
// right volume, and the held arrows that the repeat timer carries on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace snx {

enum class VolumeArrow { Up, Down, Left, Right, Middle };

constexpr std::int32_t kVolumeStep = 653;  // one hundredth of the range, rounded down
constexpr std::int32_t kVolumeMax = 65535;

// The arrow whose zone holds (x, y) in the 30 x 30 control, tried middle, up, down, left, right.
std::optional<VolumeArrow> VolumeZoneAt(int x, int y);

class VolumeControl {
  public:
    // left and right are the volumes it changes; changed runs after every change (gauges,
    // applying the volume to the device).
    VolumeControl(std::int32_t& left, std::int32_t& right, std::function<void()> changed);

    void IncreaseVolume(bool leftChannel, bool rightChannel);
    void DecreaseVolume(bool leftChannel, bool rightChannel);

    // iFourWayMouseDown: marks the arrow under (x, y) held and carries out its action once.
    void Press(int x, int y);
    // tmrVolumeTimer: the actions of the held arrows; the middle never repeats.
    void Repeat();
    // iFourWayMouseUp: nothing is held any more.
    void Release();

    // One step of the arrow, as a press of it or its arrow key gives.
    void Act(VolumeArrow arrow);

    bool Held(VolumeArrow arrow) const { return held_[static_cast<std::size_t>(arrow)]; }
    std::array<bool, 5> HeldArrows() const { return held_; }

  private:
    std::int32_t& left_;
    std::int32_t& right_;
    std::function<void()> changed_;
    std::array<bool, 5> held_{};
};

}  // namespace snx
