#include "messageline.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace velaria {

namespace {

class MessageLineAccessible : public QAccessibleWidget
{
public:
    explicit MessageLineAccessible(QWidget *line)
        : QAccessibleWidget(line, QAccessible::Notification)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *messageLineFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("velaria::MessageLine") && object->isWidgetType())
        return new MessageLineAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

MessageLine::MessageLine(QWidget *parent) : QLabel(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(messageLineFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void MessageLine::showMessage(const QString &text)
{
    setText(text);
    if (text.isEmpty())
        return;
    // A screen reader says a notification when it shows.
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace velaria
