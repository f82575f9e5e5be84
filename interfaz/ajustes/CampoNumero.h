#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace rebisco {

class AlmacenPreferencias;

// Un entero de las preferencias con su campo de texto, sus flechas y su unidad. El valor se
// ajusta al rango y se guarda al terminar de editar (Intro o al salir del campo), nunca a
// cada tecla: el 4 de 450 no debe ser un límite de 10 que borre recortes.
class CampoNumero : public QWidget {
    Q_OBJECT
public:
    CampoNumero(AlmacenPreferencias& preferencias, const char* clave, const QString& titulo,
                qint64 minimo, qint64 maximo, qint64 paso, const QString& unidad,
                QWidget* padre = nullptr);

    QLineEdit& texto() const { return *texto_; }
    QToolButton& mas() const { return *mas_; }
    QToolButton& menos() const { return *menos_; }

    // Guarda el valor, ajustado al rango.
    void confirmar(qint64 valor);

private:
    void mostrar();
    void alTerminarDeEditar();

    AlmacenPreferencias& preferencias;
    const char* clave;
    qint64 minimo, maximo, paso;
    QLineEdit* texto_;
    QToolButton* mas_;
    QToolButton* menos_;
};

} // namespace rebisco
