#pragma once

#include "pagineoptions.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace velaria {

// Where the pages go: one PDF with a page per month, one bitmap per month, or one print job
// on the default printer. The PDF and the printer place the page on the sheet alike.
class PageOutput
{
public:
    explicit PageOutput(const PagineOptions &options);
    ~PageOutput();
    PageOutput(const PageOutput &) = delete;
    PageOutput &operator=(const PageOutput &) = delete;

    // Each returns an empty text on success, otherwise an Italian description of the failure.
    // After a failure nothing is written: a PDF that was begun is dropped, a print job is
    // cancelled.
    QString open();
    // `name` is the month name in capitals, the bitmap's name.
    QString add(const QImage &canvas, const QString &name);
    QString close();

    // The PDF file, the bitmap folder or the printer, for messages.
    QString destination() const;

private:
    void abandon();

    PagineOptions m_options;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    std::unique_ptr<QPrinter> m_printer;
    QString m_printerName;
    QPainter m_painter;
    int m_pages = 0;
};

} // namespace velaria
