// Tells a screen reader that a handset's display changed track or mode; the time alone changing
// is read on demand, not announced every second.
#pragma once

#include <QAccessible>
#include <QWidget>
#include <string>

#include "player/player_engine.h"
#include "player/spoken_display.h"

namespace snx {

class DisplayAnnouncer {
  public:
    void Update(QWidget& display, const PlayerEngine& engine) {
        std::string trackAndMode = SpokenTrackAndMode(engine.State, engine.ModeLine());
        if (trackAndMode == spoken_) {
            return;
        }
        spoken_ = std::move(trackAndMode);
        QAccessibleEvent changed(&display, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }

  private:
    std::string spoken_;
};

}  // namespace snx
