#pragma once

#include <QtPlugin>

class QUrl;
class QWidget;

namespace velaria {

// What the web window plugin offers: a new top-level window that shows a page. The window
// deletes itself when it is closed.
class WebWindowFactory
{
public:
    virtual ~WebWindowFactory() = default;
    virtual QWidget *createWebWindow(const QUrl &page) = 0;
};

} // namespace velaria

#define VelariaWebWindowFactory_iid "org.velaria.WebWindowFactory/1.0"
Q_DECLARE_INTERFACE(velaria::WebWindowFactory, VelariaWebWindowFactory_iid)
