#include "interfaz/Sistema.h"

#include <QDesktopServices>
#include <QUrl>

namespace rebisco::Sistema {

void abrir(const QString& texto) {
    const QUrl url(texto, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) return;
    QDesktopServices::openUrl(url);
}

} // namespace rebisco::Sistema
