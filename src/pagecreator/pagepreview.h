#pragma once

#include <QImage>
#include <QWidget>

namespace velaria {

// The page as the user sees it: shows the composed preview image, nothing else.
class PagePreview : public QWidget
{
    Q_OBJECT
public:
    explicit PagePreview(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

} // namespace velaria
