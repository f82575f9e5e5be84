#include "interfaz/Simbolos.h"

#include "DelProceso.h"

#include <map>

namespace rebisco::Simbolos {

std::optional<Dibujo> llamado(const QString& nombre) {
    auto& guardados = detalle::delProceso<std::map<QString, std::optional<Dibujo>>>();
    if (const auto it = guardados.find(nombre); it != guardados.end()) return it->second;
    auto dibujo =
        nombre.contains(u'/')
            ? std::nullopt
            : Dibujo::cargar(QStringLiteral(":/rebisco/simbolos/%1.svg").arg(nombre), true);
    guardados.emplace(nombre, dibujo);
    return dibujo;
}

} // namespace rebisco::Simbolos
