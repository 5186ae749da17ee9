// What the player engine asks of the main handset: button patterns, panels, the display, the
// repeat button, window position and the two timers. The handset implements it; tests fake it.
#pragma once

#include <string_view>

namespace snx {

class PlayerEngine;

enum class ButtonPattern { Playing, Stopped, Idle };
struct CommandAvailability;

class PlayerView {
  public:
    virtual ~PlayerView() = default;

    // The controls of each command enabled as can says; pattern is what it was computed from.
    virtual void SetButtons(ButtonPattern pattern, const CommandAvailability& can) = 0;
    // First tick with a disc: the track panel and the disc data panel from the engine's record.
    virtual void ShowDisc(const PlayerEngine& engine) = 0;
    virtual void SetVolumeGauges(int left, int right) = 0;
    // Status lines, track highlight, times and application title from the engine's state.
    virtual void Redraw(const PlayerEngine& engine) = 0;
    // The disc was removed: empty track panel, blank display, four disc data labels emptied.
    virtual void ClearDisc() = 0;
    virtual void SetTitle(std::string_view title) = 0;
    // Check mark of the repeat menu item and the repeat button's glyph ("LEDON"/"LEDOFF").
    virtual void SetRepeat(bool on, std::string_view glyph) = 0;
    virtual int WindowTop() const = 0;
    virtual int WindowLeft() const = 0;
    virtual void OpenSmallHandset() = 0;

    // The tick's timer and the hold-to-repeat timer of the skip buttons.
    virtual void SetTickEnabled(bool enabled) = 0;
    virtual void SetTickInterval(int milliseconds) = 0;
    virtual void SetSkipTimer(bool enabled, int milliseconds) = 0;
};

}  // namespace snx
