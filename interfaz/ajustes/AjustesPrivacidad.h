#pragma once

#include "ajustes/ElegirApps.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

namespace rebisco {

class EstadoApp;

class Interruptor;

// La pestaña de privacidad: la pausa, lo confidencial, las apps excluidas y el permiso de
// leer el portapapeles.
class AjustesPrivacidad : public QWidget {
    Q_OBJECT
public:
    explicit AjustesPrivacidad(EstadoApp& estado, QWidget* padre = nullptr);

    Interruptor& pausa() const { return *pausa_; }
    QListWidget& lista() const { return *lista_; }
    QLabel& ninguna() const { return *ninguna_; }
    QPushButton& anadirBoton() const { return *anadir_; }
    QPushButton& quitarBoton() const { return *quitar_; }
    QString textoAcceso() const;
    QLabel& pieDatos() const;
    // El selector de aplicaciones, mientras está abierto.
    ElegirApps* selector() const { return selector_; }

    void anadir();
    void quitar();

    // Alto de la lista para tantas apps: crece con ella hasta 150 puntos y luego se desplaza.
    static int altoDeLista(int filas);

private:
    void actualizarLista();
    void actualizarAcceso();
    std::optional<std::string> elegida() const;

    EstadoApp& estado;
    Interruptor* pausa_;
    QListWidget* lista_;
    QLabel* ninguna_;
    QPushButton* anadir_;
    QPushButton* quitar_;
    QLabel* acceso_;
    QLabel* pie_;
    QPointer<ElegirApps> selector_;
};

} // namespace rebisco
