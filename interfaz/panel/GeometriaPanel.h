#pragma once

#include <QRect>

namespace rebisco::GeometriaPanel {

// Medidas en puntos (píxeles independientes del dispositivo de Qt).
inline constexpr int anchoTarjeta = 680, altoTarjeta = 460;
inline constexpr int margen = 52; // el margen transparente que lleva la sombra
inline constexpr int radio = 26;
inline constexpr int separacionInferior = 20;
inline constexpr double alturaRelativa = 0.16;

// El margen de la ventana: solo hay sombra donde un compositor pinta la transparencia.
constexpr int margenCon(bool compositor) {
    return compositor ? margen : 0;
}

// El rectángulo de la tarjeta en la zona visible de una pantalla (origen arriba a la
// izquierda): centrada en horizontal, su borde de arriba a un 16 % de la altura bajo el de
// la zona, y subida si hace falta para que quede a 20 puntos del borde de abajo.
QRect tarjetaEn(const QRect& zonaVisible);

// El marco de la ventana del panel para esa tarjeta.
QRect marcoPara(const QRect& tarjeta, bool compositor);

} // namespace rebisco::GeometriaPanel
