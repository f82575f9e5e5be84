#pragma once

#include <QListView>

#include <cstdint>
#include <optional>

class QMenu;

namespace rebisco {

class BarraSuperpuesta;
class DelegadoFila;
class EstadoApp;
class ModeloRecortes;

// La lista del historial. La selección es la del estado: un clic la pone, un doble clic pega,
// el menú contextual ofrece las acciones de la fila. Cuando la lista cambia, lo que estaba a
// la vista sigue en su sitio; cuando la selección cambia, se desplaza lo justo para verla.
class ListaHistorial : public QListView {
    Q_OBJECT
public:
    explicit ListaHistorial(EstadoApp& estado, QWidget* padre = nullptr);

    ModeloRecortes& modelo() const { return *modelo_; }
    DelegadoFila& delegado() const { return *delegado_; }
    BarraSuperpuesta& barra() const { return *barra_; }
    EstadoApp& estado() const { return estado_; }

    // El menú contextual de esa fila (de quien lo pide), vacío si la fila no existe.
    QMenu* menuDe(int fila, QWidget* padre);

    // Las acciones de una fila, por nombre; false si la fila o la acción no existen.
    enum class Accion { pegar, pegarSinFormato, copiar, alternarFijado, eliminar };
    bool ejecutar(int fila, Accion accion);

protected:
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseDoubleClickEvent(QMouseEvent* evento) override;
    void contextMenuEvent(QContextMenuEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void seguirSeleccion();
    void recordarAncla();
    void volverAlAncla();

    EstadoApp& estado_;
    ModeloRecortes* modelo_;
    DelegadoFila* delegado_;
    BarraSuperpuesta* barra_;
    // La fila que estaba arriba del todo antes de un cambio, y a qué altura.
    struct Ancla {
        std::int64_t id;
        int arriba;
    };
    std::optional<Ancla> ancla;
};

} // namespace rebisco
