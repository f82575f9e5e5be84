#pragma once

#include "interfaz/Dibujo.h"

#include <QWidget>

#include <functional>

namespace rebisco {

// Uno de nuestros dibujos de plantilla a un tamaño fijo, teñido con un color de la paleta
// (que se vuelve a leer si la paleta cambia). Oculto para la accesibilidad: es decoración.
class IconoSimbolo : public QWidget {
    Q_OBJECT
public:
    using Tinta = std::function<QColor(const QPalette&)>;

    IconoSimbolo(const QString& simbolo, QSizeF tamano, Tinta tinta, QWidget* padre = nullptr);
    IconoSimbolo(Dibujo dibujo, QSizeF tamano, Tinta tinta, QWidget* padre = nullptr);

    QSize sizeHint() const override { return tamano.toSize(); }
    bool vacio() const { return dibujo.vacio(); }

protected:
    void paintEvent(QPaintEvent* evento) override;

private:
    Dibujo dibujo;
    QSizeF tamano;
    Tinta tinta;
};

} // namespace rebisco
