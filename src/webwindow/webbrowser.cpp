#include "webbrowser.h"

namespace velaria {

QWebEngineView *WebBrowser::createWindow(QWebEnginePage::WebWindowType)
{
    return this;
}

} // namespace velaria
