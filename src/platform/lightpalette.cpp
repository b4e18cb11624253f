#include "lightpalette.h"

#include <QPalette>

namespace velaria {

QPalette lightPalette()
{
    const QColor window(239, 239, 239);
    const QColor dark = window.darker(150);
    const QColor mid = window.darker(130);
    QPalette colours(Qt::black, window, window.lighter(150), dark, mid, Qt::black, Qt::white);
    colours.setColor(QPalette::Midlight, mid.lighter(110));
    colours.setColor(QPalette::Shadow, dark.darker(135));
    colours.setColor(QPalette::Highlight, QColor(48, 140, 198));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    colours.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    colours.setColor(QPalette::ToolTipText, Qt::black);
    QColor placeholder(Qt::black);
    placeholder.setAlpha(128);
    colours.setColor(QPalette::PlaceholderText, placeholder);
    const QColor disabledText(190, 190, 190);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        colours.setColor(QPalette::Disabled, role, disabledText);
    colours.setColor(QPalette::Disabled, QPalette::Base, window);
    colours.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
    return colours;
}

} // namespace velaria
