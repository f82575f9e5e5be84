#pragma once

#include <QWidget>

class QTabBar;

namespace rebisco {

class AjustesGenerales;
class AjustesHistorial;
class AjustesPrivacidad;
class EstadoApp;

// La ventana de ajustes: 520 puntos de ancho y tres pestañas ligadas a
// EstadoApp::pestanaAjustes. Cada pestaña es un formulario agrupado a su alto natural, sin
// barra de desplazamiento: la ventana toma el alto de la pestaña elegida.
class VentanaAjustes : public QWidget {
    Q_OBJECT
public:
    static constexpr int ancho = 520;

    explicit VentanaAjustes(EstadoApp& estado, QWidget* padre = nullptr);

    // Muestra la ventana delante, en la pestaña que diga el estado.
    void mostrar();

    QTabBar& pestanas() const { return *pestanas_; }
    AjustesGenerales& general() const { return *general_; }
    AjustesHistorial& historial() const { return *historial_; }
    AjustesPrivacidad& privacidad() const { return *privacidad_; }
    QWidget& pagina(int indice) const;

protected:
    bool event(QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void elegir(int indice);
    void ajustarAlto();

    EstadoApp& estado;
    QTabBar* pestanas_;
    AjustesGenerales* general_;
    AjustesHistorial* historial_;
    AjustesPrivacidad* privacidad_;
};

} // namespace rebisco
