#include "AyudasUi.h"

#include <interfaz/Logotipo.h>

#include <QFile>

#include <gtest/gtest.h>

using rebisco::Logotipo;
namespace Marca = rebisco::Marca;

namespace {

struct Cuenta {
    int acento = 0, tinta = 0;
};

// Cuántos píxeles son del índigo y cuántos del color del texto.
Cuenta contar(const QImage& imagen, QColor acento, QColor tinta) {
    Cuenta c;
    for (int y = 0; y < imagen.height(); ++y) {
        for (int x = 0; x < imagen.width(); ++x) {
            const auto color = imagen.pixelColor(x, y);
            c.acento += pruebas::parecido(color, acento, 12);
            c.tinta += pruebas::parecido(color, tinta, 12);
        }
    }
    return c;
}

QImage pintado(Logotipo& logo, QColor ventana) {
    QPalette paleta(ventana);
    logo.setPalette(paleta);
    logo.setAutoFillBackground(true);
    logo.resize(logo.sizeHint());
    return logo.grab().toImage();
}

TEST(Logotipo, LasLetrasEnElColorDelTextoYElAcentoEnIndigo) {
    struct Caso {
        const char* nombre;
        QColor ventana;
    };
    const Caso casos[] = {{"claro", QColor(246, 246, 246)}, {"oscuro", QColor(36, 36, 38)}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Logotipo logo(24);
        ASSERT_TRUE(logo.conDibujos());
        EXPECT_EQ(logo.accessibleName(), QStringLiteral("rebisco"));
        EXPECT_EQ(logo.sizeHint().height(), 24);
        // La palabra es bastante más ancha que alta.
        EXPECT_GT(logo.sizeHint().width(), 24 * 3);
        EXPECT_LT(logo.sizeHint().width(), 24 * 6);
        const auto imagen = pintado(logo, caso.ventana);
        pruebas::guardarCaptura(imagen.scaled(imagen.size() * 4),
                                QStringLiteral("logotipo-%1.png").arg(caso.nombre));
        const auto cuenta = contar(imagen, Marca::acento(logo.palette()),
                                   logo.palette().color(QPalette::WindowText));
        EXPECT_GT(cuenta.acento, 10);
        EXPECT_GT(cuenta.tinta, 5 * cuenta.acento); // las letras pesan más que el acento
    }
}

TEST(Logotipo, SinLosDosDibujosEsElTexto) {
    Marca::Paquete soloLetras;
    soloLetras.logotipoLetras = Marca::logotipoLetras();
    Marca::Paquete nada;
    for (const auto* paquete : {&soloLetras, &nada}) {
        Logotipo logo(24, *paquete);
        EXPECT_FALSE(logo.conDibujos());
        EXPECT_EQ(logo.accessibleName(), QStringLiteral("rebisco"));
        const auto imagen = pintado(logo, QColor(246, 246, 246));
        const auto cuenta =
            contar(imagen, Marca::acento(false), logo.palette().color(QPalette::WindowText));
        EXPECT_EQ(cuenta.acento, 0);
        EXPECT_GT(cuenta.tinta, 10);
        // El texto va en seminegrita y más grande que el de la ventana.
        EXPECT_GT(logo.sizeHint().height(), QFontMetrics(logo.font()).height());
    }
}

} // namespace
