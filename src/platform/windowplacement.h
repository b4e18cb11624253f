#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace velaria {

// Where a window's frame goes: given the frame's size (title bar and borders included) and the
// screen's available area, the frame's top-left corner.
using FramePlacement = std::function<QPoint(QSize frame, QRect available)>;

// Places a top-level window by its frame when it is first shown. The window manager frames a
// window only after it is mapped, so the place is worked out again while the frame's margins
// are still changing, during the first moments after the window appears.
void placeByFrame(QWidget *window, FramePlacement placement);

// The frame centred in the available area.
QPoint centred(QSize frame, QRect available);
// The frame at the top of the available area, centred across it.
QPoint topCentre(QSize frame, QRect available);

} // namespace velaria
