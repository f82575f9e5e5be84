#include "Ayudas.h"

#include <gtest/gtest.h>

using namespace nucleo;

TEST(Imagenes, MideUnPng) {
    EXPECT_EQ(Imagenes::dimensiones(pruebas::pngDePrueba(800, 600)), (Dimensiones{800, 600}));
}

struct CasoMiniatura {
    int ancho, alto, lado;
    Dimensiones esperada;
};

class Miniaturas : public testing::TestWithParam<CasoMiniatura> {};

TEST_P(Miniaturas, ReduceSinAmpliarNiPasarse) {
    const auto& c = GetParam();
    const auto mini = Imagenes::miniatura(pruebas::pngDePrueba(c.ancho, c.alto), c.lado);
    ASSERT_TRUE(mini);
    EXPECT_EQ(Imagenes::dimensiones(*mini), c.esperada);
}

INSTANTIATE_TEST_SUITE_P(Imagenes, Miniaturas,
                         testing::Values(CasoMiniatura{800, 600, 320, {320, 240}},
                                         CasoMiniatura{100, 4000, 320, {8, 320}},
                                         CasoMiniatura{4000, 100, 320, {320, 8}},
                                         CasoMiniatura{321, 321, 320, {320, 320}},
                                         CasoMiniatura{641, 319, 320, {320, 159}},
                                         CasoMiniatura{50, 30, 320, {50, 30}},
                                         CasoMiniatura{1, 5000, 320, {1, 320}},
                                         CasoMiniatura{999, 997, 7, {7, 7}}));

TEST(Imagenes, MiniaturaSigueLaOrientacion) {
    // Orientación 6: la imagen guardada apaisada se ve vertical.
    const Bytes tiff = pruebas::tiffDePrueba(200, 100, {50}, 6);
    EXPECT_EQ(Imagenes::dimensiones(tiff), (Dimensiones{200, 100}));
    const auto mini = Imagenes::miniatura(tiff, 320);
    ASSERT_TRUE(mini);
    EXPECT_EQ(Imagenes::dimensiones(*mini), (Dimensiones{100, 200}));
}

TEST(Imagenes, TiffDeDosPaginasDaLaPrimera) {
    const auto png = Imagenes::aPNG(pruebas::tiffDePrueba(20, 10, {10, 240}));
    ASSERT_TRUE(png);
    EXPECT_EQ(Imagenes::dimensiones(*png), (Dimensiones{20, 10}));
    EXPECT_EQ(pruebas::pixel(*png, 3, 2), (std::vector<int>{10, 3, 2, 255}));
}

TEST(Imagenes, CodificaFielYDeterminista) {
    const auto img = pruebas::imagenDePrueba(33, 17, 77);
    const auto a = Imagenes::codificarPNG(img);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, Imagenes::codificarPNG(img));
    EXPECT_EQ(Imagenes::dimensiones(*a), (Dimensiones{33, 17}));
    EXPECT_EQ(pruebas::pixel(*a, 32, 16), (std::vector<int>{77, 32, 16, 255}));
    // Volver a convertir el PNG no cambia sus bytes: la huella de una imagen es estable.
    EXPECT_EQ(Imagenes::aPNG(*a), a);
}

TEST(Imagenes, BytesQueNoSonImagen) {
    for (const Bytes& basura :
         {Bytes{}, pruebas::bytes("no soy una imagen"),
          pruebas::bytes("\x89PNG\r\n\x1a\n truncado"), pruebas::bytes("II*\0\x08\0\0\0")}) {
        EXPECT_EQ(Imagenes::dimensiones(basura), std::nullopt);
        EXPECT_EQ(Imagenes::aPNG(basura), std::nullopt);
        EXPECT_EQ(Imagenes::miniatura(basura, 320), std::nullopt);
    }
}

TEST(Imagenes, PngTruncadoNoSeDecodifica) {
    Bytes png = pruebas::pngDePrueba(300, 300);
    png.resize(png.size() / 2);
    EXPECT_EQ(Imagenes::aPNG(png), std::nullopt);
    EXPECT_EQ(Imagenes::miniatura(png, 320), std::nullopt);
}

TEST(Imagenes, ImagenesRGBAInvalidas) {
    EXPECT_EQ(Imagenes::codificarPNG({.ancho = 0, .alto = 0}), std::nullopt);
    EXPECT_EQ(Imagenes::codificarPNG({.ancho = 2, .alto = 2, .pixeles = Bytes(15)}), std::nullopt);
    EXPECT_EQ(Imagenes::codificarPNG({.ancho = -2, .alto = -2, .pixeles = Bytes(16)}),
              std::nullopt);
    EXPECT_EQ(Imagenes::miniatura(pruebas::pngDePrueba(10, 10), 0), std::nullopt);
}

TEST(Imagenes, MiniaturaNuncaPasaDelLado) {
    for (const int ancho : {1, 2, 319, 321, 643, 1001}) {
        for (const int alto : {1, 3, 320, 641, 997}) {
            const auto mini = Imagenes::miniatura(pruebas::pngDePrueba(ancho, alto), 320);
            ASSERT_TRUE(mini) << ancho << "x" << alto;
            const auto d = Imagenes::dimensiones(*mini).value();
            EXPECT_TRUE(d.ancho >= 1 && d.ancho <= 320 && d.alto >= 1 && d.alto <= 320)
                << ancho << "x" << alto << " -> " << d.ancho << "x" << d.alto;
            EXPECT_EQ(std::max(d.ancho, d.alto), std::min(std::max(ancho, alto), 320))
                << ancho << "x" << alto;
        }
    }
}

TEST(Imagenes, MiniaturaConservaLaTransparencia) {
    // Mitad izquierda roja opaca, mitad derecha transparente con color negro debajo.
    ImagenRGBA img{.ancho = 800, .alto = 400};
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 800; ++x) {
            const bool opaco = x < 400;
            img.pixeles.insert(img.pixeles.end(), {static_cast<std::uint8_t>(opaco ? 255 : 0), 0, 0,
                                                   static_cast<std::uint8_t>(opaco ? 255 : 0)});
        }
    }
    const auto mini = Imagenes::miniatura(Imagenes::codificarPNG(img).value(), 320);
    ASSERT_TRUE(mini);
    EXPECT_EQ(Imagenes::dimensiones(*mini), (Dimensiones{320, 160}));
    EXPECT_EQ(pruebas::pixel(*mini, 10, 80), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(pruebas::pixel(*mini, 300, 80).at(3), 0);
    // Junto al borde, el rojo no se oscurece con el negro de los píxeles transparentes.
    EXPECT_GE(pruebas::pixel(*mini, 159, 80).at(0), 253);
}
