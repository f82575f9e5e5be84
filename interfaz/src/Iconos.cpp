#include "interfaz/Iconos.h"

#include "DelProceso.h"

#include <plataforma/EntradasEscritorio.h>

#include <QFileInfo>
#include <QStandardPaths>

#include <map>

namespace rebisco::Iconos {

namespace {

bool pintable(const QIcon& icono) {
    return !icono.isNull() && !icono.pixmap(32).isNull();
}

QIcon deArchivo(const QString& ruta) {
    if (!QFileInfo(ruta).isFile()) return {};
    QIcon icono(ruta);
    return pintable(icono) ? icono : QIcon();
}

// Icon= es un nombre del tema ("org.gnome.Calculator"), un nombre con extensión de la carpeta
// pixmaps ("app.png") o una ruta absoluta.
QIcon resolver(const QString& valor) {
    if (QFileInfo(valor).isAbsolute()) return deArchivo(valor);
    if (valor.contains(u'/')) return {};
    auto icono = QIcon::fromTheme(valor);
    if (pintable(icono)) return icono;
    const QString nombres[] = {valor, valor + QStringLiteral(".png"),
                               valor + QStringLiteral(".svg"), valor + QStringLiteral(".xpm")};
    for (const auto& nombre : nombres) {
        const auto ruta = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                 QStringLiteral("pixmaps/") + nombre);
        if (auto icono = deArchivo(ruta); !icono.isNull()) return icono;
    }
    return {};
}

} // namespace

std::optional<QIcon> deApp(const std::optional<std::string>& appId) {
    if (!appId || appId->empty()) return std::nullopt;
    auto& guardados = detalle::delProceso<std::map<std::string, QIcon>>();
    if (const auto it = guardados.find(*appId); it != guardados.end()) return it->second;
    // Sin entrada o sin icono no se guarda nada: instalarlo después lo hace aparecer.
    const auto entrada = plataforma::buscarEntrada(*appId);
    if (!entrada || !entrada->icono) return std::nullopt;
    const auto icono = resolver(QString::fromStdString(*entrada->icono));
    if (icono.isNull()) return std::nullopt;
    guardados.emplace(*appId, icono);
    return icono;
}

} // namespace rebisco::Iconos
