// El relevo del dueño que se va, sobre la plataforma en memoria: qué se sirve después, qué no
// se lee nunca y cuándo se deja de servir.
#include "AyudasApp.h"

#include <nucleo/Captura.h>

#include <gtest/gtest.h>

namespace TipoDato = nucleo::TipoDato;
namespace P = rebisco::Preferencias;
using namespace pruebas;

namespace {

// El vigilante de verdad, deprisa: así la escritura propia pasa por él como en el programa.
rebisco::EstadoApp::Tiempos conVigilancia() {
    return {.vigilancia = std::chrono::milliseconds(5)};
}

// Deja pasar unos cuantos tics del vigilante.
void mirar() {
    esperar(std::chrono::milliseconds(60));
}

const std::string tTexto(TipoDato::texto);
const std::string tHtml(TipoDato::html);
const std::string tPropio = "application/x-solo-de-la-app";

std::vector<plataforma::Pieza> textoRico(const std::string& texto) {
    return {{tTexto, bytes(texto)},
            {tHtml, bytes("<b>" + texto + "</b>")},
            {tPropio, bytes("lo que rebisco no guarda")}};
}

struct CasoRelevo {
    const char* nombre;
    bool entregar;
    // Lo que queda en el portapapeles cuando el dueño se ha ido.
    std::vector<plataforma::Pieza> queda;
};

class Relevo : public testing::TestWithParam<CasoRelevo> {};

TEST_P(Relevo, ElContenidoCapturadoSobreviveASuDueno) {
    const auto& caso = GetParam();
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "anterior");
    mirar();
    banco.ahora += std::chrono::seconds(1);
    banco.portapapeles().escribirPiezas(textoRico("hola"));
    mirar();
    ASSERT_EQ(estado.total(), 2);
    const auto antes = estado.recortes();

    banco.ahora += std::chrono::seconds(5);
    EXPECT_EQ(banco.portapapeles().irseElDueno(caso.entregar), caso.entregar);
    EXPECT_EQ(banco.portapapeles().piezas(), caso.queda);

    // Ni se marca usado ni se captura otra vez la escritura propia.
    mirar();
    EXPECT_EQ(estado.recortes(), antes);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Relevo,
    testing::Values(
        // Sin entrega: las representaciones guardadas, las mismas que escribe una elección.
        CasoRelevo{"sinEntrega", false, {{tTexto, bytes("hola")}, {tHtml, bytes("<b>hola</b>")}}},
        // Con entrega: todo lo que ofrecía, también lo que el historial no guarda.
        CasoRelevo{"conEntrega", true, textoRico("hola")}),
    [](const auto& info) { return std::string(info.param.nombre); });

struct CasoPrivado {
    const char* nombre;
    std::function<void(Banco&)> preparar;
    std::vector<std::string> anunciados;
    std::string texto = "secreto";
};

class Privado : public testing::TestWithParam<CasoPrivado> {};

// Ni la entrega se acepta ni el contenido se lee: el portapapeles queda vacío.
TEST_P(Privado, NadaSeLeeNiSeSirve) {
    const auto& caso = GetParam();
    Banco banco;
    banco.preferencias.set(P::appsExcluidas, QString("org.keepassxc.KeePassXC"));
    banco.iniciar(banco.entornoDeEnsayo(), conVigilancia());
    copiarTexto(banco.portapapeles(), "de antes");
    mirar();
    caso.preparar(banco);
    banco.portapapeles().olvidarLecturas();
    copiarTexto(banco.portapapeles(), caso.texto);
    banco.portapapeles().anunciar(caso.anunciados);
    mirar();

    const auto leidas = banco.portapapeles().lecturas();
    banco.portapapeles().olvidarLecturas();
    EXPECT_FALSE(banco.portapapeles().irseElDueno(true));
    // La entrega no lee nada (lo ignorado se leyó al capturarlo, y solo entonces).
    EXPECT_TRUE(banco.portapapeles().lecturas().empty());
    if (caso.texto == "secreto") {
        EXPECT_TRUE(leidas.empty());
    }
    EXPECT_TRUE(banco.portapapeles().piezas().empty());
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"de antes"});
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Privado,
    testing::Values(
        CasoPrivado{"oculto", [](Banco&) {}, {"org.nspasteboard.ConcealedType"}},
        CasoPrivado{"appExcluida",
                    [](Banco& b) {
                        b.plataforma.escritorio().ponerAppEnFrente(plataforma::AppEnFrente{
                            .id = "org.keepassxc.KeePassXC", .nombre = "KeePassXC"});
                    },
                    {}},
        CasoPrivado{"enPausa", [](Banco& b) { b.estado->ponerPausa(true); }, {}},
        // Lo que las reglas ignoran después de leerlo (aquí, por vacío) tampoco se sirve.
        CasoPrivado{"ignorado", [](Banco&) {}, {}, " \n\t "}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Relevo, UnaCopiaQueAunNoSeMiroSeCapturaAlEntregarse) {
    Banco banco;
    banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "rápida");
    EXPECT_TRUE(banco.portapapeles().irseElDueno(true));
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"rápida"});
    EXPECT_EQ(banco.portapapeles().piezas(),
              (std::vector<plataforma::Pieza>{{tTexto, bytes("rápida")}}));
}

TEST(Relevo, SoloSeReleveElContenidoQueSeCapturo) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "capturado");
    mirar();
    // Otro contenido que la pausa impidió mirar: su dueño se va y no se pone el anterior.
    estado.ponerPausa(true);
    copiarTexto(banco.portapapeles(), "copiado en pausa");
    estado.ponerPausa(false);
    EXPECT_FALSE(banco.portapapeles().irseElDueno(true));
    EXPECT_TRUE(banco.portapapeles().piezas().empty());
}

TEST(Relevo, EnPausaNoSeReleva) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "antes de la pausa");
    mirar();
    estado.ponerPausa(true);
    EXPECT_FALSE(banco.portapapeles().irseElDueno(true));
    EXPECT_TRUE(banco.portapapeles().piezas().empty());
}

struct CasoBorrado {
    const char* nombre;
    std::function<void(rebisco::EstadoApp&)> borrar;
    bool entregar;
};

class DejarDeServir : public testing::TestWithParam<CasoBorrado> {};

TEST_P(DejarDeServir, AlBorrarSuRecorte) {
    const auto& caso = GetParam();
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "otro");
    mirar();
    banco.portapapeles().escribirPiezas(textoRico("servido"));
    mirar();
    ASSERT_EQ(banco.portapapeles().irseElDueno(caso.entregar), caso.entregar);
    ASSERT_FALSE(banco.portapapeles().piezas().empty());

    caso.borrar(estado);
    EXPECT_TRUE(banco.portapapeles().piezas().empty());
    // Lo entregado se olvidó: ya no hay nada que volver a escribir.
    EXPECT_FALSE(banco.portapapeles().escribirEntregado(1));
    for (plataforma::Contenido c = 1; c < 10; ++c)
        EXPECT_FALSE(banco.portapapeles().escribirEntregado(c));
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, DejarDeServir,
    testing::Values(CasoBorrado{"eliminar",
                                [](rebisco::EstadoApp& e) { e.eliminar(e.recortes().front()); },
                                false},
                    CasoBorrado{"eliminarEntregado",
                                [](rebisco::EstadoApp& e) { e.eliminar(e.recortes().front()); },
                                true},
                    CasoBorrado{"borrarHistorial",
                                [](rebisco::EstadoApp& e) { e.borrarHistorial(false); }, true}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Relevo, BorrarOtroRecorteNoTocaLoQueSeSirve) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "otro");
    mirar();
    copiarTexto(banco.portapapeles(), "servido");
    mirar();
    ASSERT_FALSE(banco.portapapeles().irseElDueno(false));
    estado.eliminar(estado.recortes().back());
    EXPECT_EQ(banco.portapapeles().piezas(),
              (std::vector<plataforma::Pieza>{{tTexto, bytes("servido")}}));
}

TEST(Relevo, LoQueOtroCopioDespuesNoSeBorra) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "servido");
    mirar();
    banco.portapapeles().irseElDueno(false);
    copiarTexto(banco.portapapeles(), "de otra app");
    estado.eliminar(estado.recortes().front());
    EXPECT_EQ(banco.portapapeles().piezas(),
              (std::vector<plataforma::Pieza>{{tTexto, bytes("de otra app")}}));
}

TEST(Relevo, TrasCerrarNoSeReleva) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), conVigilancia());
    copiarTexto(banco.portapapeles(), "hola");
    mirar();
    estado.cerrar();
    EXPECT_FALSE(banco.portapapeles().irseElDueno(true));
    EXPECT_TRUE(banco.portapapeles().piezas().empty());
}

} // namespace
