#include "AyudasUi.h"

#include <autoprueba/Diagnostico.h>

#include <gtest/gtest.h>

namespace {

TEST(Diagnostico, LaHojaDeSimbolosTieneCuatroBaldosas) {
    const auto png = rebisco::Diagnostico::dibujarSimbolos();
    ASSERT_TRUE(png.has_value());
    ASSERT_TRUE(png->startsWith("\x89PNG"));
    // Profundidad 8 y tipo de color 6 (RGBA) en la cabecera IHDR.
    EXPECT_EQ(static_cast<unsigned char>(png->at(24)), 8);
    EXPECT_EQ(static_cast<unsigned char>(png->at(25)), 6);
    const auto hoja = QImage::fromData(*png, "PNG");
    ASSERT_EQ(hoja.size(), QSize(768, 192));
    pruebas::guardarCaptura(hoja, QStringLiteral("simbolos.png"));

    const QColor claro = QColor::fromRgbF(0.93f, 0.93f, 0.93f);
    const QColor oscuro = QColor::fromRgbF(0.16f, 0.16f, 0.16f);
    struct Baldosa {
        const char* nombre;
        QColor fondo, simbolo;
        bool conHaz;
    };
    const Baldosa baldosas[] = {
        {"normal sobre claro", claro, Qt::black, true},
        {"pausa sobre claro", claro, Qt::black, false},
        {"normal sobre oscuro", oscuro, Qt::white, true},
        {"pausa sobre oscuro", oscuro, Qt::white, false},
    };
    for (int i = 0; i < 4; ++i) {
        const auto& b = baldosas[i];
        SCOPED_TRACE(b.nombre);
        // Un píxel del símbolo a 36 píxeles es aquí un cuadro de 4 × 4 desde el margen de 24.
        const auto en = [&](int x, int y) {
            return hoja.pixelColor(i * 192 + 24 + x * 4 + 2, 24 + y * 4 + 2);
        };
        EXPECT_TRUE(pruebas::parecido(hoja.pixelColor(i * 192 + 4, 4), b.fondo));
        EXPECT_TRUE(pruebas::parecido(hoja.pixelColor(i * 192 + 100, 186), b.fondo));
        EXPECT_TRUE(pruebas::parecido(en(18, 9), b.simbolo, 30));  // la nave
        EXPECT_TRUE(pruebas::parecido(en(18, 25), b.simbolo, 30)); // la hoja
        const auto haz = en(10, 30);
        if (b.conHaz) {
            // Ni el fondo ni el símbolo: una mezcla tenue.
            EXPECT_FALSE(pruebas::parecido(haz, b.fondo, 20));
            EXPECT_FALSE(pruebas::parecido(haz, b.simbolo, 60));
        } else {
            EXPECT_TRUE(pruebas::parecido(haz, b.fondo, 5));
        }
    }
}

} // namespace
