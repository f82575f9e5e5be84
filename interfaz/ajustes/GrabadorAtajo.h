#pragma once

#include <QPushButton>

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace plataforma {
class Teclado;
}

namespace rebisco {

class EstadoApp;

// El botón que graba el atajo global. En reposo muestra la combinación guardada; al hacer clic
// suelta el atajo y espera la nueva: una aceptada se guarda y se registra al momento; Escape,
// otro clic o que el botón deje de verse devuelven la anterior.
class GrabadorAtajo : public QPushButton {
    Q_OBJECT
public:
    explicit GrabadorAtajo(EstadoApp& estado, QWidget* padre = nullptr);
    ~GrabadorAtajo() override;

    bool grabando() const { return grabando_; }

    // Por qué no vale una combinación (banderas en los bits de plataforma::Modificador), o
    // nada si vale.
    static std::optional<QString> motivoDeRechazo(plataforma::Teclado& teclado, int codigo,
                                                  int banderas, const QString& letra);

    bool eventFilter(QObject* objeto, QEvent* evento) override;

protected:
    void hideEvent(QHideEvent* evento) override;

private:
    void empezar();
    void terminar(bool restaurar);
    void atender(const QKeyEvent& tecla);
    void actualizar();

    EstadoApp& estado;
    bool grabando_ = false;
    bool vigilando = false;
};

} // namespace rebisco
