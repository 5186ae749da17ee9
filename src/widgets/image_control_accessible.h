// The accessible interfaces of widgets described by an ImageControlAccess (every ImageControl,
// and any other widget its owner describes so), made by a factory that Qt asks first.
#pragma once

#include "widgets/image_control_access.h"

class QWidget;

namespace snx {

// Installs the factory once; later calls do nothing.
void InstallImageControlAccessibility();

// What widget tells a screen reader from now on, in place of what Qt reads of it; set it before
// the widget is first shown. It lives as long as the widget.
ImageControlAccess& ReaderAccess(QWidget& widget);

// Tells a reader that the values of widget's items changed (a volume step).
void AnnounceValues(QWidget& widget);

// Tells a reader that what widget says changed.
void AnnounceName(QWidget& widget);

// The two channels of a volume control as sliders "Left volume" and "Right volume"; value gives
// channel 0 (left) or 1 (right).
void DescribeVolumeChannels(ImageControlAccess& access, std::function<int(int channel)> value,
                            int maximum, int step);

}  // namespace snx
