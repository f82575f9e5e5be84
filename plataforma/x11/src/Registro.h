#pragma once

#include <QLoggingCategory>

// Los fallos del backend X11 que no llegan al usuario (un plazo vencido, un dueño que
// rechaza, una conexión que no se abre). Callado salvo avisos: se enciende con
// QT_LOGGING_RULES="rebisco.x11.debug=true" (o .info).
Q_DECLARE_LOGGING_CATEGORY(registroX11)
