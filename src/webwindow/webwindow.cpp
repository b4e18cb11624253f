#include "webwindow.h"

#include "twips.h"
#include "webbrowser.h"
#include "webwindowicon.h"

namespace velaria {

WebWindow::WebWindow(const QUrl &page, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Finestra di navigazione"));
    setWindowIcon(WebWindowIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(px(ClientWidth), px(ClientHeight));

    m_browser = new WebBrowser(this);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setAccessibleName(QStringLiteral("Pagina del sito"));
    m_browser->move(px(BrowserLeft), px(BrowserTop));
    // The browser takes the inner size of the window; its corner stays where it is, so the
    // window does not follow later resizing.
    m_browser->resize(width(), height());
    m_browser->setUrl(page);
}

} // namespace velaria
