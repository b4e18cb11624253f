#include "fonts.h"

#include <QFont>
#include <QStringList>

namespace velaria {

void installFontSubstitutions()
{
    const QStringList sans = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("MS Serif"), {QStringLiteral("Times New Roman"),
                                                            QStringLiteral("Liberation Serif")});
}

} // namespace velaria
