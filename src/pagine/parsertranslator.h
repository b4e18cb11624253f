#pragma once

#include <QTranslator>

namespace velaria {

// Italian for the few texts of Qt's command-line parser: its help headings and its error
// messages. Everything else passes through untranslated.
class ParserTranslator : public QTranslator
{
    Q_OBJECT
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace velaria
