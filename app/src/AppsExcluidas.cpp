#include "rebisco/AppsExcluidas.h"

#include "rebisco/Preferencias.h"

#include <QStringList>

#include <algorithm>

namespace rebisco::AppsExcluidas {

namespace {

std::vector<std::string> leer(const QString& guardada) {
    return Preferencias::lineas(guardada.toStdString());
}

QString unir(const std::vector<std::string>& lineas) {
    QStringList partes;
    for (const auto& linea : lineas)
        partes << QString::fromStdString(linea);
    return partes.join(u'\n');
}

} // namespace

QString anadir(const QString& guardada, const std::vector<std::string>& nuevas) {
    auto lista = leer(guardada);
    for (const auto& id : nuevas) {
        if (id.empty() || std::find(lista.begin(), lista.end(), id) != lista.end()) continue;
        lista.push_back(id);
    }
    return unir(lista);
}

QString quitar(const QString& guardada, const std::optional<std::string>& elegida) {
    auto lista = leer(guardada);
    if (elegida) std::erase(lista, *elegida);
    return unir(lista);
}

} // namespace rebisco::AppsExcluidas
