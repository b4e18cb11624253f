#include "webwindowplugin.h"

#include "webwindow.h"

namespace velaria {

QWidget *WebWindowPlugin::createWebWindow(const QUrl &page)
{
    return new WebWindow(page);
}

} // namespace velaria
