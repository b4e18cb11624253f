#include "fontconfiguration.h"

#if VELARIA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace velaria {

FontConfigurationLoader::FontConfigurationLoader()
{
#if VELARIA_HAVE_FONTCONFIG
    // fontconfig keeps the configuration it reads here for the whole program; Qt's font
    // database then finds it read.
    m_reading = std::jthread([] { FcInit(); });
#endif
}

void FontConfigurationLoader::wait()
{
    if (m_reading.joinable())
        m_reading.join();
}

} // namespace velaria
