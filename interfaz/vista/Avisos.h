#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace rebisco {

class ControlPanel;
class EstadoApp;

// Un aviso que pide la atención del usuario encima de la lista.
struct Aviso {
    QString id;
    QString texto;
    std::optional<QString> boton;
    std::function<void()> accion;
};

// Los avisos que tocan ahora, en su orden: el almacén, el acceso, el pegado y el atajo.
std::vector<Aviso> avisosDe(EstadoApp& estado, ControlPanel& control);

// La fila que muestra un aviso: el triángulo, el texto y, si lo tiene, su botón.
class FilaAviso : public QWidget {
    Q_OBJECT
public:
    explicit FilaAviso(Aviso aviso, QWidget* padre = nullptr);
    const Aviso& aviso() const { return aviso_; }

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    Aviso aviso_;
};

} // namespace rebisco
