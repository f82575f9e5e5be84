#pragma once

#include <nucleo/Modelo.h>

#include <QAbstractListModel>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace rebisco {

class EstadoApp;

// Las filas de la lista visible del estado, sin copiarla: solo recuerda los ids que ya
// anunció a la vista. Cuando la lista cambia, anuncia lo quitado, lo movido y lo añadido
// (no un reinicio), así que la vista conserva su desplazamiento y lo que tenía delante.
class ModeloRecortes : public QAbstractListModel {
    Q_OBJECT
public:
    enum Rol { rolId = Qt::UserRole + 1 };

    explicit ModeloRecortes(EstadoApp& estado, QObject* padre = nullptr);

    int rowCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;

    // El recorte de esa fila, si la fila existe.
    const nucleo::Recorte* recorte(int fila) const;
    const nucleo::Recorte* recorte(const QModelIndex& indice) const {
        return recorte(indice.row());
    }
    // El id de esa fila, tal como la vista la conoce (también mientras se pone al día).
    std::optional<std::int64_t> idDe(int fila) const;
    // La fila de ese recorte.
    std::optional<int> fila(std::int64_t id) const;
    EstadoApp& estado() const { return estado_; }

    // Pone las filas al día con la lista del estado.
    void seguir();

signals:
    // Alrededor de cada puesta al día, para que la vista guarde y recupere lo que tenía delante.
    void antesDeSeguir();
    void despuesDeSeguir();

private:
    void quitarLosQueFaltan(const std::unordered_map<std::int64_t, std::size_t>& nuevos);
    void ordenarComo(const std::vector<std::int64_t>& destino);
    void anadirLosNuevos(const std::vector<std::int64_t>& destino);

    EstadoApp& estado_;
    std::vector<std::int64_t> ids;
    // Dónde está cada id en la lista del estado.
    std::unordered_map<std::int64_t, std::size_t> posiciones;
};

} // namespace rebisco
