#include "AyudasApp.h"

#include <rebisco/Portapapeles.h>
#include <rebisco/Teclas.h>

#include <gtest/gtest.h>

namespace Teclas = rebisco::Teclas;
using plataforma::AtajoSistema;
using plataforma::memoria::TecladoMemoria;

namespace {

TEST(Teclas, TextoDeCombinaciones) {
    TecladoMemoria teclado;
    struct Caso {
        std::int64_t codigo, modificadores;
        const char* texto;
    };
    const Caso casos[] = {
        {9, 768, "Mayús+Súper+V"},
        {9, 768 + 4096, "Ctrl+Mayús+Súper+V"},
        {9, 6912, "Ctrl+Alt+Mayús+Súper+V"},
        {9, 256 | 512 | 2048 | 4096, "Ctrl+Alt+Mayús+Súper+V"}, // el orden es siempre el mismo
        {49, 256, "Súper+Espacio"},
        {53, 0, "⎋"},
        {122, 2048, "Alt+F1"},
        {111, 0, "F12"},
        {80, 6912,
         "Ctrl+Alt+Mayús+Súper+Tecla 80"}, // F19 no está en la distribución ni en la tabla fija
        {36, 0, "↩"},
        {0, 0x10000 | 256, "Súper+A"}, // los bits ajenos no se escriben
        {27, 4096, "Ctrl+-"},
        {200, 0, "Tecla 200"},
        {70000, 0, "Tecla 70000"},
        {-3, 0, "Tecla -3"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.texto);
        EXPECT_EQ(Teclas::texto(teclado, caso.codigo, caso.modificadores),
                  QString::fromUtf8(caso.texto));
    }
}

TEST(Teclas, NombreSegunLaDistribucion) {
    TecladoMemoria teclado;
    teclado.ponerDistribucion({
        {9, "ñ"},
        {10, " "},
        {11, "\t"},
        {12, " x"},
        {13, ""},
        {36, "a"},
        {49, " "},
        {14, "ß"},
        {15, "é"},
    });
    struct Caso {
        int codigo;
        const char* nombre;
    };
    const Caso casos[] = {
        {9, "Ñ"},  {10, "Tecla 10"}, {11, "Tecla 11"}, {12, " X"}, {13, "Tecla 13"},
        {36, "↩"}, {49, "Espacio"},  {14, "SS"},       {15, "É"},  {16, "Tecla 16"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.codigo);
        EXPECT_EQ(Teclas::nombre(teclado, caso.codigo), QString::fromUtf8(caso.nombre));
    }
    EXPECT_EQ(Teclas::caracter(teclado, 13), std::nullopt);
    EXPECT_EQ(Teclas::caracter(teclado, 9), QStringLiteral("ñ"));
}

TEST(Teclas, CarbonSoloCuentaLosCuatroModificadores) {
    struct Caso {
        Qt::KeyboardModifiers qt;
        int mascara;
    };
    const Caso casos[] = {
        {Qt::NoModifier, 0},
        {Qt::MetaModifier | Qt::ShiftModifier, 768},
        {Qt::MetaModifier | Qt::ShiftModifier | Qt::KeypadModifier, 768},
        {Qt::AltModifier, 2048},
        {Qt::ControlModifier, 4096},
        {Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier, 6912},
        {Qt::GroupSwitchModifier | Qt::KeypadModifier, 0},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(Teclas::carbon(caso.qt), caso.mascara) << caso.qt.toInt();
}

TEST(Teclas, AtajosDelSistema) {
    TecladoMemoria teclado;
    teclado.ponerAtajosDelSistema(std::vector<AtajoSistema>{
        {9, 768 | 0x10000, true}, // bits ajenos del sistema
        {0xFFFF, 256, true},      // sin tecla
        {3, 256, false},          // apagado
        {49, 4096, true},
    });
    EXPECT_EQ(Teclas::atajosDeMacOS(teclado),
              (std::vector<Teclas::Combinacion>{{9, 768}, {49, 4096}}));
    struct Caso {
        std::int64_t codigo, modificadores;
        bool usada;
    };
    const Caso casos[] = {
        {9, 768, true},         {9, 768 | 0x80000, true}, {9, 256, false},
        {9, 768 | 4096, false}, {0xFFFF, 256, false},     {3, 256, false},
        {49, 4096, true},       {49, 0, false},           {8, 768, false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(testing::Message() << caso.codigo << "/" << caso.modificadores);
        EXPECT_EQ(Teclas::usadaPorMacOS(teclado, caso.codigo, caso.modificadores), caso.usada);
    }
    teclado.ponerAtajosDelSistema(std::nullopt);
    EXPECT_TRUE(Teclas::atajosDeMacOS(teclado).empty());
    EXPECT_FALSE(Teclas::usadaPorMacOS(teclado, 9, 768));
}

TEST(Teclas, LaPulsacionDePegarBuscaLaTeclaQueEscribeV) {
    struct Caso {
        const char* nombre;
        std::map<int, std::string> distribucion;
        int codigo;
    };
    const Caso casos[] = {
        {"estadounidense", TecladoMemoria::distribucionEstadounidense(), 9},
        {"dvorak", {{9, "k"}, {47, "v"}, {41, "s"}}, 47},
        {"ninguna escribe v", {{9, "k"}, {47, "V"}}, 9},
        {"dos teclas: la de código menor", {{120, "v"}, {30, "v"}}, 30},
        {"fuera de 0-127 no cuenta", {{128, "v"}}, 9},
        {"vacía", {}, 9},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        TecladoMemoria teclado;
        teclado.ponerDistribucion(caso.distribucion);
        rebisco::Pegador::pulsarComandoV(teclado);
        EXPECT_EQ(teclado.pulsaciones(), std::vector<int>{caso.codigo});
    }
}

} // namespace
