#pragma once

#include <QApplication>
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QWidget>

namespace velaria::testing {

// Takes the place of the user's browser for http addresses while it lives, and keeps what it
// was asked to open.
class BrowserStandIn : public QObject
{
    Q_OBJECT
public:
    BrowserStandIn() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl"); }
    ~BrowserStandIn() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    QList<QUrl> opened;

public slots:
    void openUrl(const QUrl &url) { opened << url; }
};

// The web windows `Form2` that are open.
inline QList<QWidget *> webWindows()
{
    QList<QWidget *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("Form2"))
            found << widget;
    }
    return found;
}

} // namespace velaria::testing
