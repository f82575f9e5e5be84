#include "vista/ModeloRecortes.h"

#include "interfaz/Formato.h"

#include <rebisco/EstadoApp.h>

#include <algorithm>
#include <unordered_set>

namespace rebisco {

ModeloRecortes::ModeloRecortes(EstadoApp& estado, QObject* padre)
    : QAbstractListModel(padre)
    , estado_(estado) {
    seguir();
    connect(&estado, &EstadoApp::cambioRecortes, this, &ModeloRecortes::seguir);
}

int ModeloRecortes::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(ids.size());
}

const nucleo::Recorte* ModeloRecortes::recorte(int fila) const {
    if (fila < 0 || static_cast<std::size_t>(fila) >= ids.size()) return nullptr;
    const auto it = posiciones.find(ids[static_cast<std::size_t>(fila)]);
    if (it == posiciones.end()) return nullptr;
    const auto& lista = estado_.recortes();
    return it->second < lista.size() ? &lista[it->second] : nullptr;
}

std::optional<std::int64_t> ModeloRecortes::idDe(int fila) const {
    if (fila < 0 || static_cast<std::size_t>(fila) >= ids.size()) return std::nullopt;
    return ids[static_cast<std::size_t>(fila)];
}

std::optional<int> ModeloRecortes::fila(std::int64_t id) const {
    const auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end()) return std::nullopt;
    return static_cast<int>(it - ids.begin());
}

QVariant ModeloRecortes::data(const QModelIndex& indice, int rol) const {
    const auto* r = recorte(indice);
    if (!r) return {};
    switch (rol) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return Formato::titulo(*r);
    case rolId:
        return QVariant::fromValue<qint64>(r->id);
    default:
        return {};
    }
}

void ModeloRecortes::seguir() {
    emit antesDeSeguir();
    const auto& lista = estado_.recortes();
    std::vector<std::int64_t> destino;
    destino.reserve(lista.size());
    posiciones.clear();
    for (std::size_t i = 0; i < lista.size(); ++i) {
        destino.push_back(lista[i].id);
        posiciones.emplace(lista[i].id, i);
    }
    quitarLosQueFaltan(posiciones);
    ordenarComo(destino);
    anadirLosNuevos(destino);
    // Los que siguen pueden haber cambiado por dentro (fijado, usado).
    if (!ids.empty()) emit dataChanged(index(0), index(static_cast<int>(ids.size()) - 1));
    emit despuesDeSeguir();
}

void ModeloRecortes::quitarLosQueFaltan(
    const std::unordered_map<std::int64_t, std::size_t>& nuevos) {
    // Desde el final, en tramos seguidos, para que los índices de delante no se muevan.
    int fin = static_cast<int>(ids.size()) - 1;
    while (fin >= 0) {
        if (nuevos.contains(ids[static_cast<std::size_t>(fin)])) {
            --fin;
            continue;
        }
        int inicio = fin;
        while (inicio > 0 && !nuevos.contains(ids[static_cast<std::size_t>(inicio - 1)]))
            --inicio;
        beginRemoveRows({}, inicio, fin);
        ids.erase(ids.begin() + inicio, ids.begin() + fin + 1);
        endRemoveRows();
        fin = inicio - 1;
    }
}

void ModeloRecortes::ordenarComo(const std::vector<std::int64_t>& destino) {
    // El orden que deben tener los que quedan: el del destino, sin los nuevos.
    const std::unordered_set<std::int64_t> quedan(ids.begin(), ids.end());
    std::vector<std::int64_t> orden;
    orden.reserve(ids.size());
    for (const auto id : destino)
        if (quedan.contains(id)) orden.push_back(id);
    for (std::size_t i = 0; i < orden.size(); ++i) {
        if (ids[i] == orden[i]) continue;
        const auto j = static_cast<std::size_t>(
            std::find(ids.begin() + static_cast<long>(i), ids.end(), orden[i]) - ids.begin());
        const int desde = static_cast<int>(j), hasta = static_cast<int>(i);
        beginMoveRows({}, desde, desde, {}, hasta);
        const auto id = ids[j];
        ids.erase(ids.begin() + desde);
        ids.insert(ids.begin() + hasta, id);
        endMoveRows();
    }
}

void ModeloRecortes::anadirLosNuevos(const std::vector<std::int64_t>& destino) {
    std::size_t i = 0;
    while (i < destino.size()) {
        if (i < ids.size() && ids[i] == destino[i]) {
            ++i;
            continue;
        }
        // Un tramo de nuevos seguidos: hasta el siguiente que ya está.
        std::size_t fin = i;
        while (fin < destino.size() && (i >= ids.size() || destino[fin] != ids[i]))
            ++fin;
        beginInsertRows({}, static_cast<int>(i), static_cast<int>(fin) - 1);
        ids.insert(ids.begin() + static_cast<long>(i), destino.begin() + static_cast<long>(i),
                   destino.begin() + static_cast<long>(fin));
        endInsertRows();
        i = fin;
    }
}

} // namespace rebisco
