#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <vector>

class QLabel;

class QPushButton;

namespace rebisco {

class CampoNumero;
class EstadoApp;

// La pestaña del historial: cuánto se conserva, qué se guarda, cuánto hay y borrarlo.
class AjustesHistorial : public QWidget {
    Q_OBJECT
public:
    explicit AjustesHistorial(EstadoApp& estado, QWidget* padre = nullptr);

    CampoNumero& campo(const char* clave) const;
    QString enUso() const;
    QPushButton& borrar() const { return *borrar_; }
    // La confirmación de borrar, mientras se muestra.
    QMessageBox* confirmacion() const { return confirmacion_; }

private:
    // Los tres límites en vigor, -1 el que está apagado.
    std::vector<qint64> limites() const;
    void alCambiarPreferencia(const QString& clave);
    void actualizarUso();
    void confirmarBorrado();

    EstadoApp& estado;
    std::vector<std::pair<const char*, CampoNumero*>> campos;
    std::vector<std::pair<const char*, QWidget*>> filasDeLimite; // interruptor -> su campo
    std::vector<qint64> ultimos;
    QLabel* textoUso;
    QPushButton* borrar_;
    QPointer<QMessageBox> confirmacion_;
};

} // namespace rebisco
