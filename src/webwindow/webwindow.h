#pragma once

#include <QUrl>
#include <QWidget>

namespace velaria {

class WebBrowser;

// The web window `Form2`: the embedded browser `WebBrowser1` showing one page of the maker's
// site. It has no address bar and no buttons, and it deletes itself when closed.
class WebWindow : public QWidget
{
    Q_OBJECT
public:
    // Client area, and the browser's corner, which lies outside it so its border is not seen.
    static constexpr int ClientWidth = 7035;
    static constexpr int ClientHeight = 5130;
    static constexpr int BrowserLeft = -30;
    static constexpr int BrowserTop = -30;

    explicit WebWindow(const QUrl &page, QWidget *parent = nullptr);

private:
    WebBrowser *m_browser = nullptr;
};

} // namespace velaria
