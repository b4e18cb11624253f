#pragma once

#include <QLineEdit>

namespace velaria {

// A text box for a picture path that also reports a click, which selects its month.
class PathBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace velaria
