#pragma once

#include <QLabel>

namespace velaria {

// A status line whose messages a screen reader says as they appear, as it says a desktop
// notification, wherever the keyboard is; it reads the text the line shows.
class MessageLine : public QLabel
{
    Q_OBJECT
public:
    explicit MessageLine(QWidget *parent = nullptr);

    // Shows a message and has it said; an empty one clears the line without a word.
    void showMessage(const QString &text);
};

} // namespace velaria
