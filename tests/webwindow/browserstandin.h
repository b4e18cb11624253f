#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

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

} // namespace velaria::testing
