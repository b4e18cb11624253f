// Linked beside the program's own main() into velaria_startup_probe, the copy of the calendar
// that the start-up benchmark times: as the application starts, it has it quit once the month
// is first painted, saying when that was.
#include "firstpaint.h"

#include <QCoreApplication>

namespace {

void quitAfterFirstMonth()
{
    // Watches every object of the application for the month's first paint.
    qApp->installEventFilter(new QuitAfterFirstPaint(QStringLiteral("picMonth"), qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(quitAfterFirstMonth)
