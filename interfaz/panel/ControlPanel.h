#pragma once

#include "panel/TeclasPanel.h"

#include <plataforma/Escritorio.h>

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QEvent;
class QKeyEvent;
class QScreen;
class QMenu;
class QWidget;

namespace rebisco {

class EstadoApp;
class PanelFlotante;
class ControlPanel;

// Hace la vista que llena la tarjeta del panel (la del historial).
using FabricaContenido = std::function<QWidget*(EstadoApp&, ControlPanel&)>;

// Crea, coloca, muestra y oculta el panel del historial, le da el teclado y, al cerrarse,
// devuelve el foco a la ventana que estaba activa antes. Atiende las teclas del panel.
class ControlPanel : public QObject {
    Q_OBJECT
public:
    explicit ControlPanel(EstadoApp& estado, FabricaContenido fabrica = {},
                          QObject* padre = nullptr);
    ~ControlPanel() override;

    // El controlador vivo del proceso (el que crea el programa).
    static ControlPanel& compartido();

    // Instala los cierres en el estado y empieza a seguir la ventana activa.
    void conectar();
    void mostrar();
    void ocultar();
    bool visible() const;
    // La ventana activa es de este proceso.
    bool appEnPrimerPlano() const;

    // Entrega un evento al panel como lo hace la propia ventana (para la autoprueba).
    void entregar(QEvent& evento);

    // Para las fotos del programa y la autoprueba; no intervienen en el uso normal.
    // La vista del panel pintada fuera de la pantalla, en PNG, con la paleta de la aplicación.
    QByteArray instantanea();
    // El panel a la vista en su sitio de la pantalla principal y su captura de la pantalla en
    // PNG: con lo que hay detrás (conFondo) o la ventana sola. Vacío si no se pudo.
    QByteArray capturaReal(bool conFondo);
    // Preparado como al mostrarlo, delante pero fuera de la pantalla y sin el teclado.
    void mostrarParaPruebas();

    // Abre los ajustes; el programa lo sustituye. Por omisión no hay ajustes que abrir.
    std::function<void()> abrirAjustes = [] {};

    // El menú de la bandeja cuando no hay bandeja: el encabezado del panel lo ofrece.
    QMenu* menuSinBandeja() const;
    void ponerMenuSinBandeja(QMenu* menu);

    // La última ventana activa de otro proceso.
    std::optional<plataforma::Ventana> appAnterior() const { return appAnterior_; }
    // El panel, si ya se creó.
    PanelFlotante* panel() const { return panel_.get(); }

signals:
    void cambioMenuSinBandeja();

private:
    PanelFlotante& crear();
    void devolverPrimerPlano();
    void alCambiarEscritorio();
    void preparar();
    void colocar(QScreen* pantalla);
    void alDesactivarse();
    bool atender(QKeyEvent& evento);
    void ejecutar(const TeclasPanel::Decision& decision);

    plataforma::Escritorio& escritorio() const;

    EstadoApp& estado;
    FabricaContenido fabrica;
    std::unique_ptr<PanelFlotante> panel_;
    std::optional<plataforma::Ventana> appAnterior_;
    QPointer<QMenu> menuSinBandeja_;
    std::optional<plataforma::Escritorio::Observador> observador;
    // El panel llegó a estar activo desde que se mostró.
    bool estuvoActivo = false;
};

} // namespace rebisco
