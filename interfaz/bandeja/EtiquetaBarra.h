#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QMenu;

namespace rebisco {

class EstadoApp;

// El icono de la bandeja: el símbolo de la nave, sin el haz mientras la captura está en pausa,
// con su nombre para quien no lo ve. Los dos clics abren el mismo menú: el de la ventana, o el
// de D-Bus como menú del ítem donde la bandeja es de D-Bus (el clic principal abre allí el de la
// ventana, que el anfitrión no dibuja).
class EtiquetaBarra : public QObject {
    Q_OBJECT
public:
    EtiquetaBarra(EstadoApp& estado, QMenu& menu, QMenu& menuDbus, QObject* padre = nullptr);

    QSystemTrayIcon& icono() { return icono_; }
    // "rebisco", o "rebisco, en pausa" mientras la captura está en pausa.
    static QString nombre(bool pausado);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void actualizar();

    EstadoApp& estado;
    QMenu& menu;
    QSystemTrayIcon icono_;
};

} // namespace rebisco
