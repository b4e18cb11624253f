#include "webwindow.h"

#include "twips.h"
#include "webbrowser.h"
#include "webwindowicon.h"

namespace velaria {

WebWindow::WebWindow(const QUrl &page, QWidget *parent) : QWidget(parent, Qt::Window), m_page(page)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Finestra di navigazione"));
    setWindowIcon(WebWindowIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(px(ClientWidth), px(ClientHeight));

    m_webBrowser1 = new WebBrowser(this);
    m_webBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    m_webBrowser1->move(px(BrowserLeft), px(BrowserTop));
    Form_Load();
}

void WebWindow::Form_Load()
{
    // The browser takes the inner size of the window; its corner stays where it is, so the
    // window does not follow later resizing.
    m_webBrowser1->resize(width(), height());
    m_webBrowser1->setUrl(m_page);
}

} // namespace velaria
