#pragma once

#include <QWebEngineView>

namespace velaria {

// The embedded browser `WebBrowser1`: every link is followed inside it, also a link that asks
// for a new window.
class WebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    using QWebEngineView::QWebEngineView;

protected:
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType type) override;
};

} // namespace velaria
