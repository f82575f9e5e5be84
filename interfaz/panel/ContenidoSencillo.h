#pragma once

#include <QWidget>

class QListWidget;

namespace rebisco {

class CampoBusqueda;
class EstadoApp;

// Un contenido mínimo para la tarjeta: el campo de búsqueda y los títulos de la lista
// visible, con la selección del estado. Instala en el estado los cierres del campo.
class ContenidoSencillo : public QWidget {
    Q_OBJECT
public:
    explicit ContenidoSencillo(EstadoApp& estado, QWidget* padre = nullptr);

    CampoBusqueda& campo() { return *campo_; }
    QListWidget& lista() { return *lista_; }

private:
    void rehacerLista();
    void seguirSeleccion();

    EstadoApp& estado;
    CampoBusqueda* campo_;
    QListWidget* lista_;
};

} // namespace rebisco
