#include "displayhost.h"

#include "ui/skinfonts.h"

namespace microbench {

Display &DisplayHost::display()
{
    if (!m_display) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        installFontSubstitutes();
        m_display = std::make_unique<Display>();
    }
    return *m_display;
}

} // namespace microbench
