#pragma once

#include <QWidget>

class QLabel;

namespace rebisco {

class EstadoApp;

// El pie de la tarjeta: el resumen (o el aviso breve del momento) y la leyenda de teclas.
class Pie : public QWidget {
    Q_OBJECT
public:
    explicit Pie(EstadoApp& estado, QWidget* padre = nullptr);

    QString texto() const;
    void actualizar();

private:
    EstadoApp& estado;
    QLabel* resumen;
};

// Una tecla de la leyenda, sobre su recuadro, y lo que hace.
class Leyenda : public QWidget {
    Q_OBJECT
public:
    Leyenda(const QString& tecla, const QString& nombre, QWidget* padre = nullptr);

protected:
    void changeEvent(QEvent* evento) override;

private:
    void pintar();

    QLabel* tecla;
    QLabel* nombre;
};

} // namespace rebisco
