#pragma once

#include <QWidget>

#include <optional>

class QLabel;

namespace rebisco {

class EstadoApp;
class GrabadorAtajo;
class Interruptor;

// La pestaña general: abrir al iniciar sesión, el atajo global y el pegado al elegir.
class AjustesGenerales : public QWidget {
    Q_OBJECT
public:
    explicit AjustesGenerales(EstadoApp& estado, QWidget* padre = nullptr);

    Interruptor& alIniciar() const { return *alIniciar_; }
    GrabadorAtajo& grabador() const { return *grabador_; }
    // El texto del aviso del atajo; vacío si no hay nada que avisar.
    QString avisoAtajo() const;
    std::optional<QString> errorInicio() const { return errorInicio_; }

private:
    void cambiarInicio(bool encender);
    void actualizarAviso();
    void actualizarPegado();

    EstadoApp& estado;
    Interruptor* alIniciar_;
    QLabel* textoError;
    GrabadorAtajo* grabador_;
    QWidget* filaAviso;
    QLabel* textoAviso;
    QWidget* filaPermiso;
    QLabel* textoPermiso;
    std::optional<QString> errorInicio_;
};

} // namespace rebisco
