#pragma once

#include <thread>

namespace velaria {

// Reads the system's font configuration on a thread of its own. Made before the application
// connects to the display, it has the configuration ready by the time the window first measures
// a text, which would otherwise wait some ten milliseconds for it. Where the system has no
// fontconfig it does nothing.
class FontConfigurationLoader
{
public:
    FontConfigurationLoader();

    // Returns once the configuration is read.
    void wait();

private:
    std::jthread m_reading;
};

} // namespace velaria
