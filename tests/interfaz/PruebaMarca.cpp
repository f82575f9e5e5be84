#include "AyudasUi.h"

#include <interfaz/Marca.h>
#include <interfaz/Simbolos.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace Marca = rebisco::Marca;
using rebisco::Dibujo;

namespace {

// Dibujado a dos píxeles por punto, como lo mira la autoprueba.
QImage aDosPorPunto(const Dibujo& d) {
    return d.imagen(QSize(36, 36), Qt::black);
}

struct Punto {
    int x, y;
    double minimo, maximo; // opacidad aceptable, excluidos los extremos
};

TEST(Marca, LosSimbolosDeLaBandejaSonLaNaveLaHojaYElHaz) {
    struct Caso {
        const char* nombre;
        const Dibujo& dibujo;
        std::vector<Punto> puntos;
    };
    const Caso casos[] = {
        {"normal",
         Marca::barraNormal(),
         {{18, 9, 0.9, 1.01}, {18, 25, 0.9, 1.01}, {10, 30, 0.15, 0.5}}},
        {"pausa",
         Marca::barraPausa(),
         {{18, 9, 0.9, 1.01}, {18, 25, 0.9, 1.01}, {10, 30, -1, 0.02}}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        EXPECT_TRUE(caso.dibujo.plantilla());
        EXPECT_EQ(caso.dibujo.tamano(), QSizeF(18, 18));
        const auto imagen = aDosPorPunto(caso.dibujo);
        pruebas::guardarCaptura(imagen.scaled(144, 144),
                                QStringLiteral("barra-%1.png").arg(caso.nombre));
        for (const auto& p : caso.puntos) {
            SCOPED_TRACE(testing::Message() << "(" << p.x << ", " << p.y << ")");
            const double a = pruebas::alfa(imagen, p.x, p.y);
            EXPECT_GT(a, p.minimo);
            EXPECT_LT(a, p.maximo);
        }
    }
    EXPECT_TRUE(Marca::enPaquete());
}

TEST(Marca, UnaPlantillaSeTineEntera) {
    // Cada píxel del dibujo toma el color pedido y conserva su opacidad.
    const auto negra = Marca::barraNormal().imagen(QSize(72, 72), Qt::black);
    const auto indigo = Marca::barraNormal().imagen(QSize(72, 72), Marca::acento(false));
    int pintados = 0;
    for (int y = 0; y < 72; ++y) {
        for (int x = 0; x < 72; ++x) {
            const auto c = indigo.pixelColor(x, y);
            ASSERT_EQ(c.alpha(), negra.pixelColor(x, y).alpha());
            if (c.alpha() < 255) continue;
            ++pintados;
            ASSERT_TRUE(pruebas::parecido(c, Marca::acento(false))) << x << "," << y;
        }
    }
    EXPECT_GT(pintados, 72 * 72 / 8);
}

TEST(Marca, SinDibujosPropiosQuedanLosSimbolosDeRespaldo) {
    pruebas::CarpetaTemporal vacia;
    const auto paquete = Marca::cargar(QString::fromStdString(vacia.ruta().string()));
    EXPECT_FALSE(paquete.enPaquete);
    EXPECT_FALSE(paquete.logotipoLetras.has_value());
    EXPECT_FALSE(paquete.logotipoAcento.has_value());
    struct Caso {
        const Dibujo& dibujo;
        const char* respaldo;
    };
    const Caso casos[] = {{paquete.barraNormal, "list.clipboard"},
                          {paquete.barraPausa, "pause.circle"}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.respaldo);
        const auto simbolo = rebisco::Simbolos::llamado(QString::fromUtf8(caso.respaldo));
        ASSERT_TRUE(simbolo.has_value());
        EXPECT_FALSE(caso.dibujo.vacio());
        EXPECT_TRUE(caso.dibujo.plantilla());
        EXPECT_EQ(caso.dibujo.imagen(QSize(36, 36), Qt::black),
                  simbolo->imagen(QSize(36, 36), Qt::black));
    }
}

TEST(Marca, UnPaqueteIncompletoNoEstaEnPaquete) {
    pruebas::CarpetaTemporal carpeta;
    const auto destino = QString::fromStdString(carpeta.ruta().string());
    for (const char* nombre : {"BarraNormal", "BarraPausa", "LogotipoLetras"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(":/rebisco/marca/%1.svg").arg(nombre),
                                QStringLiteral("%1/%2.svg").arg(destino, nombre)));
    // Un archivo que no es SVG cuenta como ausente.
    QFile roto(destino + QStringLiteral("/LogotipoAcento.svg"));
    ASSERT_TRUE(roto.open(QIODevice::WriteOnly));
    roto.write("<svg");
    roto.close();
    const auto paquete = Marca::cargar(destino);
    EXPECT_FALSE(paquete.enPaquete);
    EXPECT_TRUE(paquete.logotipoLetras.has_value());
    EXPECT_FALSE(paquete.logotipoAcento.has_value());
    EXPECT_EQ(paquete.barraNormal.imagen(QSize(36, 36), Qt::black),
              Marca::barraNormal().imagen(QSize(36, 36), Qt::black));
}

TEST(Marca, ElAcentoEsElIndigoMasClaroEnOscuro) {
    // Cada componente a menos de 0,03 (en 0–1) del índigo de la marca.
    struct Caso {
        QColor ventana;
        int r, g, b;
    };
    const Caso casos[] = {
        {QColor(246, 246, 246), 88, 86, 214},
        {QColor(255, 255, 255), 88, 86, 214},
        {QColor(30, 30, 30), 125, 122, 255},
        {QColor(60, 60, 64), 125, 122, 255},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.ventana.name().toStdString());
        QPalette paleta(caso.ventana);
        const auto acento = Marca::acento(paleta);
        EXPECT_NEAR(acento.redF(), caso.r / 255.0, 0.03);
        EXPECT_NEAR(acento.greenF(), caso.g / 255.0, 0.03);
        EXPECT_NEAR(acento.blueF(), caso.b / 255.0, 0.03);
        Marca::aplicarAcento(paleta);
        EXPECT_EQ(paleta.color(QPalette::Active, QPalette::Highlight), acento);
        EXPECT_EQ(paleta.color(QPalette::Inactive, QPalette::Highlight), acento);
    }
}

TEST(Marca, ElIconoDeLaAppEsLaNaveSobreElFondoDeLaMarca) {
    const auto icono = Marca::iconoApp();
    ASSERT_FALSE(icono.isNull());
    for (int lado : {16, 48, 256}) {
        SCOPED_TRACE(lado);
        const auto imagen = icono.pixmap(lado).toImage();
        ASSERT_EQ(imagen.size(), QSize(lado, lado));
        if (lado == 256) pruebas::guardarCaptura(imagen, QStringLiteral("icono-256.png"));
        // Las esquinas quedan fuera del cuadrado redondeado.
        EXPECT_LT(pruebas::alfa(imagen, 0, 0), 0.05);
        EXPECT_LT(pruebas::alfa(imagen, lado - 1, lado - 1), 0.05);
        // El fondo, a un lado de la nave, es índigo y opaco.
        const auto fondo = imagen.pixelColor(lado * 12 / 100, lado / 2);
        EXPECT_GT(fondo.alphaF(), 0.95);
        EXPECT_GT(fondo.blue(), fondo.red() + 60);
        // La nave, en el centro de su disco, es clara.
        const auto nave = imagen.pixelColor(lado / 2 - lado / 10, lado * 30 / 100);
        EXPECT_GT(nave.lightness(), 200) << nave.name().toStdString();
    }
}

TEST(Simbolos, CadaSimboloEsUnaPlantillaQuePinta) {
    const char* nombres[] = {"magnifyingglass",
                             "pin.fill",
                             "text.alignleft",
                             "link",
                             "photo",
                             "doc.on.doc",
                             "exclamationmark.triangle.fill",
                             "xmark.circle.fill",
                             "pause.circle.fill",
                             "list.clipboard",
                             "pause.circle"};
    for (const char* nombre : nombres) {
        SCOPED_TRACE(nombre);
        const auto simbolo = rebisco::Simbolos::llamado(QString::fromUtf8(nombre));
        ASSERT_TRUE(simbolo.has_value());
        EXPECT_TRUE(simbolo->plantilla());
        const auto imagen = simbolo->imagen(QSize(24, 24), Qt::black);
        int opacos = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                opacos += pruebas::alfa(imagen, x, y) > 0.5;
        EXPECT_GT(opacos, 24 * 24 / 10);     // se ve algo
        EXPECT_LT(opacos, 24 * 24 * 9 / 10); // y no es un cuadrado lleno
    }
    for (const char* nombre : {"no.existe", "", "../marca/BarraNormal"})
        EXPECT_EQ(rebisco::Simbolos::llamado(QString::fromUtf8(nombre)), std::nullopt) << nombre;
}

TEST(Dibujo, UnoVacioNoPintaNada) {
    const Dibujo vacio;
    EXPECT_TRUE(vacio.vacio());
    EXPECT_TRUE(vacio.icono(Qt::black).isNull());
    const auto imagen = vacio.imagen(QSize(8, 8), Qt::black);
    ASSERT_EQ(imagen.size(), QSize(8, 8));
    EXPECT_EQ(pruebas::alfa(imagen, 4, 4), 0.0);
    EXPECT_EQ(Dibujo::cargar(QStringLiteral(":/rebisco/no-esta.svg"), true), std::nullopt);
}

} // namespace
