#include "Registro.h"

Q_LOGGING_CATEGORY(registroX11, "rebisco.x11", QtWarningMsg)
