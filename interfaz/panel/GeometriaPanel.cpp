#include "GeometriaPanel.h"

#include <algorithm>
#include <cmath>

namespace rebisco::GeometriaPanel {

QRect tarjetaEn(const QRect& zona) {
    const int izquierda = zona.x() + zona.width() / 2 - anchoTarjeta / 2;
    const int bajoElBorde =
        zona.y() + static_cast<int>(std::lround(alturaRelativa * zona.height()));
    const int tope = zona.y() + zona.height() - separacionInferior - altoTarjeta;
    return {izquierda, std::min(bajoElBorde, tope), anchoTarjeta, altoTarjeta};
}

QRect marcoPara(const QRect& tarjeta, bool compositor) {
    const int m = margenCon(compositor);
    return tarjeta.adjusted(-m, -m, m, m);
}

} // namespace rebisco::GeometriaPanel
