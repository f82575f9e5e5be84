#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace rebisco {

class CampoBusqueda;
class EstadoApp;

// La cabecera de la tarjeta: la lupa, el campo de búsqueda, "En pausa" mientras la captura
// está en pausa, el botón que borra la búsqueda cuando hay una y, donde no hay bandeja, el
// botón con el menú de la bandeja.
class Encabezado : public QWidget {
    Q_OBJECT
public:
    explicit Encabezado(EstadoApp& estado, QWidget* padre = nullptr);

    CampoBusqueda& campo() const { return *campo_; }
    QWidget& enPausa() const { return *pausa; }
    QToolButton& borrar() const { return *borrar_; }
    QToolButton& menu() const { return *menu_; }

    // El menú del botón; sin menú, el botón no se ve.
    void ponerMenu(QMenu* menu);
    QMenu* menuDelBoton() const { return menuDelBoton_; }
    void actualizar();

protected:
    void changeEvent(QEvent* evento) override;

private:
    void pintarBotones();

    EstadoApp& estado;
    CampoBusqueda* campo_;
    QWidget* pausa;
    QToolButton* borrar_;
    QToolButton* menu_;
    QPointer<QMenu> menuDelBoton_;
};

} // namespace rebisco
