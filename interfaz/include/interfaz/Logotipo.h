#pragma once

#include "interfaz/Marca.h"

#include <QWidget>

namespace rebisco {

// La marca escrita: las letras en el color del texto y el acento en el índigo, una sobre otro,
// a la altura pedida. Sin los dos dibujos, la palabra "rebisco" en seminegrita.
class Logotipo : public QWidget {
    Q_OBJECT

public:
    explicit Logotipo(qreal alto, QWidget* padre = nullptr);
    Logotipo(qreal alto, const Marca::Paquete& paquete, QWidget* padre = nullptr);

    qreal alto() const { return alto_; }
    // Si lleva los dibujos de la marca o el texto de respaldo.
    bool conDibujos() const { return letras_.has_value(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* evento) override;
    void changeEvent(QEvent* evento) override;

private:
    QFont fuenteDeRespaldo() const;

    qreal alto_;
    std::optional<Dibujo> letras_;
    std::optional<Dibujo> acento_;
};

} // namespace rebisco
