#pragma once

#include <QWidget>

class QVBoxLayout;

namespace rebisco {

class CampoBusqueda;
class ControlPanel;
class Encabezado;
class EstadoApp;
class ListaHistorial;
class Pie;
class SinContenido;

// Lo que llena la tarjeta del panel: la cabecera con la búsqueda, los avisos, la lista del
// historial (o lo que se ve cuando está vacía) y el pie. Lee el estado y llama a sus
// acciones; no guarda copia de nada. Instala en el estado los cierres del campo.
class VistaHistorial : public QWidget {
    Q_OBJECT
public:
    VistaHistorial(EstadoApp& estado, ControlPanel& control, QWidget* padre = nullptr);

    Encabezado& encabezado() const { return *encabezado_; }
    CampoBusqueda& campo() const;
    ListaHistorial& lista() const { return *lista_; }
    SinContenido& sinContenido() const { return *sinContenido_; }
    Pie& pie() const { return *pie_; }
    // Los ids de los avisos a la vista, en orden.
    QStringList avisos() const;

private:
    void rehacerAvisos();
    void actualizar();

    EstadoApp& estado;
    ControlPanel& control;
    Encabezado* encabezado_;
    QWidget* cajaAvisos;
    QVBoxLayout* capaAvisos;
    ListaHistorial* lista_;
    SinContenido* sinContenido_;
    Pie* pie_;
};

} // namespace rebisco
