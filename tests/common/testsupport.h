#pragma once

// Helpers shared by the widget tests: answering modal boxes and file dialogs, and sampling
// colours of a grabbed image. The file helpers of testfiles.h come along.

#include "testfiles.h"

#include <QApplication>
#include <QColor>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QRect>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace velaria::testing {

// Runs `answer` on the next modal widget that opens (a message box, an input box, a file
// dialog); the modal loop that opens it keeps running until `answer` closes it.
inline void answerNextModal(std::function<void(QWidget *)> answer, int attempts = 200)
{
    QTimer::singleShot(10, qApp, [answer = std::move(answer), attempts]() mutable {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            answer(modal);
        } else if (attempts > 0) {
            answerNextModal(std::move(answer), attempts - 1);
        }
    });
}

// Answers the next file dialog as a user would. A dialog that refuses the answer is closed,
// so that the test fails instead of waiting for ever.
inline void answerNextFileDialog(std::function<void(QFileDialog *)> answer)
{
    answerNextModal([answer = std::move(answer)](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (dialog)
            answer(dialog);
        if (modal->isVisible()) {
            qWarning("the dialog did not take the answer");
            modal->close();
        }
    });
}

// Types `names` into the dialog's file name box in `folder` and opens them. The box has the
// focus, as where a user types: then the names replace the files selected in the list.
inline void openFiles(QFileDialog *dialog, const QString &folder, const QString &names)
{
    dialog->setDirectory(folder);
    auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    box->setFocus();
    if (!QTest::qWaitFor([box] { return box->hasFocus(); }, 1000))
        qWarning("the file name box did not get the focus");
    box->setText(names);
    static_cast<QDialog *>(dialog)->accept(); // as the Open button does
}

// How many pixels inside `area` have exactly this colour.
inline int countColour(const QImage &image, const QRect &area, const QColor &colour)
{
    const QRect inside = area.intersected(image.rect());
    const QRgb wanted = colour.rgb();
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF))
                ++count;
        }
    }
    return count;
}

} // namespace velaria::testing
