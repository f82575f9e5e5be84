#include "ajustes/FrasePrivacidad.h"

#include <rebisco/Entorno.h>
#include <rebisco/Preferencias.h>
#include <rebisco/Textos.h>

#include <QDir>

namespace rebisco {

namespace {

// La carpeta con ~ en lugar de la del usuario.
QString conCasa(const std::filesystem::path& carpeta) {
    const auto ruta = QDir::cleanPath(QString::fromStdString(carpeta.string()));
    const auto casa = QDir::cleanPath(QDir::homePath());
    if (ruta == casa) return QStringLiteral("~");
    if (ruta.startsWith(casa + u'/')) return QStringLiteral("~") + ruta.mid(casa.size());
    return ruta;
}

} // namespace

QString frasePrivacidad(const Entorno& entorno) {
    return localizable("El historial se guarda solo en este equipo, en %1, sin cifrado propio. "
                       "rebisco no envía nada por la red.")
        .arg(conCasa(Preferencias::carpetaDatos(entorno)));
}

} // namespace rebisco
