#pragma once

#include <QWidget>

class QToolButton;

namespace rebisco {

class CampoBusqueda;
class EstadoApp;

// La cabecera de la tarjeta: la lupa, el campo de búsqueda, "En pausa" mientras la captura
// está en pausa y el botón que borra la búsqueda cuando hay una.
class Encabezado : public QWidget {
    Q_OBJECT
public:
    explicit Encabezado(EstadoApp& estado, QWidget* padre = nullptr);

    CampoBusqueda& campo() const { return *campo_; }
    QWidget& enPausa() const { return *pausa; }
    QToolButton& borrar() const { return *borrar_; }

    void actualizar();

protected:
    void changeEvent(QEvent* evento) override;

private:
    void pintarBoton();

    EstadoApp& estado;
    CampoBusqueda* campo_;
    QWidget* pausa;
    QToolButton* borrar_;
};

} // namespace rebisco
