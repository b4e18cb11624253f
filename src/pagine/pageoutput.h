#pragma once

#include "pageexport.h"
#include "pagineoptions.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

class QFileDevice;
class QPdfWriter;

namespace velaria {

// Where the pages go: one PDF with a page per month, one bitmap per month, or one print job
// on the default printer. A print job is the PDF that --pdf writes, handed to the spooler.
class PageOutput
{
public:
    explicit PageOutput(const PagineOptions &options);
    ~PageOutput();
    PageOutput(const PageOutput &) = delete;
    PageOutput &operator=(const PageOutput &) = delete;

    // Each returns an empty text on success, otherwise an Italian description of the failure.
    // After a failure nothing is written: a PDF that was begun is dropped, no job is sent.
    [[nodiscard]] QString open();
    // `name` is the month name in capitals, the bitmap's name. Bitmaps may be added from
    // several threads at once, in any order; the pages of a PDF one at a time, in order, drawn
    // from their content.
    [[nodiscard]] QString add(ExportPage &page, const QString &name);
    [[nodiscard]] QString add(const PageContent &page, const QString &name);
    bool takesPagesInOrder() const { return m_options.target != PageTarget::Bitmaps; }
    [[nodiscard]] QString close();

    // The PDF file, the bitmap folder or the printer, for messages.
    QString destination() const;

private:
    QString beginPdf();
    void abandon();

    PagineOptions m_options;
    std::unique_ptr<QFileDevice> m_file; // the PDF, or the print job's temporary PDF
    std::unique_ptr<QPdfWriter> m_pdf;
    QString m_printerName;
    QPainter m_painter;
    int m_pages = 0; // of the PDF
};

} // namespace velaria
