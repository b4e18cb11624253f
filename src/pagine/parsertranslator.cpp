#include "parsertranslator.h"

#include <QLatin1StringView>

#include <array>

namespace velaria {

namespace {

struct Translation
{
    QLatin1StringView source;
    const char16_t *italian;
};

const std::array<Translation, 9> Translations = {{
    {QLatin1StringView("Usage: %1"), u"Uso: %1"},
    {QLatin1StringView("Options:"), u"Opzioni:"},
    {QLatin1StringView("Arguments:"), u"Argomenti:"},
    {QLatin1StringView("[options]"), u"[opzioni]"},
    {QLatin1StringView("Unknown option '%1'."), u"Opzione sconosciuta: '%1'."},
    {QLatin1StringView("Unknown options: %1."), u"Opzioni sconosciute: %1."},
    {QLatin1StringView("Missing value after '%1'."), u"Manca il valore dopo '%1'."},
    {QLatin1StringView("Unexpected value after '%1'."), u"Valore inatteso dopo '%1'."},
    {QLatin1StringView("Displays version information."), u"Mostra la versione del programma."},
}};

} // namespace

QString ParserTranslator::translate(const char *context, const char *sourceText,
                                    const char * /*disambiguation*/, int /*n*/) const
{
    if (!context || !sourceText || QLatin1StringView(context) != "QCommandLineParser")
        return {};
    for (const Translation &translation : Translations) {
        if (translation.source == QLatin1StringView(sourceText))
            return QString::fromUtf16(translation.italian);
    }
    return {};
}

} // namespace velaria
