#pragma once

#include "webwindowfactory.h"

#include <QObject>

namespace velaria {

// The plugin that carries the browser engine: it makes web windows for the launcher.
class WebWindowPlugin : public QObject, public WebWindowFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VelariaWebWindowFactory_iid)
    Q_INTERFACES(velaria::WebWindowFactory)
public:
    QWidget *createWebWindow(const QUrl &page) override;
};

} // namespace velaria
