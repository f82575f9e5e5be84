#include "AyudasApp.h"

#include <rebisco/Portapapeles.h>

#include <nucleo/Captura.h>

#include <gtest/gtest.h>

namespace TipoDato = nucleo::TipoDato;
using plataforma::memoria::PortapapelesMemoria;
using pruebas::bytes;
using namespace std::chrono_literals;

namespace {

std::string t(std::string_view s) {
    return std::string(s);
}

TEST(Vigilante, SoloAvisaDeCambiosPosterioresYJuntaLosSeguidos) {
    PortapapelesMemoria pp;
    pruebas::copiarTexto(pp, "ya estaba");
    int avisos = 0;
    rebisco::Vigilante vigilante(pp, [&] { ++avisos; });
    vigilante.iniciar(40ms);
    pruebas::esperar(150ms);
    EXPECT_EQ(avisos, 0);

    vigilante.detener();
    for (auto texto : {"uno", "dos", "tres"})
        pruebas::copiarTexto(pp, texto);
    vigilante.iniciar(40ms);
    EXPECT_TRUE(pruebas::esperarHasta([&] { return avisos > 0; }));
    pruebas::esperar(150ms);
    EXPECT_EQ(avisos, 1);

    // Un contador que baja (otro servidor) también es un cambio.
    pp.reiniciarServidor();
    EXPECT_TRUE(pruebas::esperarHasta([&] { return avisos == 2; }));

    pruebas::copiarTexto(pp, "propio");
    vigilante.ignorarCambioActual();
    pruebas::esperar(150ms);
    EXPECT_EQ(avisos, 2);

    vigilante.detener();
    pruebas::copiarTexto(pp, "tras detener");
    pruebas::esperar(150ms);
    EXPECT_EQ(avisos, 2);
    EXPECT_FALSE(vigilante.activo());
}

TEST(Lector, ArchivosSoloDanSusRutas) {
    PortapapelesMemoria pp;
    pp.escribirArchivos({"/home/ana/a.txt", "/home/ana/b c.pdf"});
    auto tipos = rebisco::Lector::tipos(pp);
    EXPECT_TRUE(tipos.contains(t(TipoDato::texto)));
    pp.olvidarLecturas();
    auto lectura = rebisco::Lector::leer(pp, tipos, true);
    EXPECT_EQ(lectura.rutas, (std::vector<std::string>{"/home/ana/a.txt", "/home/ana/b c.pdf"}));
    EXPECT_TRUE(lectura.datos.empty());
    EXPECT_EQ(lectura.tipos, tipos);
    EXPECT_EQ(pp.lecturas(), std::vector<std::string>{"public.file-url"});
}

TEST(Lector, QueRepresentacionesSeLeen) {
    struct Caso {
        std::vector<std::string> tipos;
        bool guardarImagenes;
        std::vector<std::string> leidas;
    };
    const std::vector<Caso> casos{
        {{t(TipoDato::texto), t(TipoDato::rtf), t(TipoDato::html)},
         true,
         {t(TipoDato::html), t(TipoDato::rtf), t(TipoDato::texto)}},
        {{t(TipoDato::tiff), t(TipoDato::png)}, true, {t(TipoDato::png)}},
        {{t(TipoDato::tiff)}, true, {t(TipoDato::tiff)}},
        {{t(TipoDato::png), t(TipoDato::texto)}, false, {t(TipoDato::texto)}},
        {{"com.otra.cosa"}, true, {}},
    };
    for (const auto& caso : casos) {
        PortapapelesMemoria pp;
        std::vector<plataforma::Pieza> piezas;
        for (const auto& tipo : caso.tipos)
            piezas.push_back({tipo, bytes("datos de " + tipo)});
        pp.escribirPiezas(piezas);
        auto lectura = rebisco::Lector::leer(pp, rebisco::Lector::tipos(pp), caso.guardarImagenes);
        std::vector<std::string> leidas;
        for (const auto& [tipo, datos] : lectura.datos) {
            leidas.push_back(tipo);
            EXPECT_EQ(datos, bytes("datos de " + tipo));
        }
        EXPECT_EQ(leidas, caso.leidas);
        EXPECT_TRUE(lectura.rutas.empty());
        EXPECT_FALSE(lectura.appId.has_value());
    }
}

TEST(Lector, SinListaDeTiposNoHayTipos) {
    PortapapelesMemoria pp;
    EXPECT_TRUE(rebisco::Lector::tipos(pp).empty());
}

nucleo::Representacion rep(std::string_view tipo, std::string_view datos) {
    return {std::string(tipo), bytes(datos)};
}

TEST(Pegador, EscribeSegunElModo) {
    struct Caso {
        const char* nombre;
        std::vector<nucleo::Representacion> representaciones;
        bool soloTexto;
        std::vector<plataforma::Pieza> piezas;
        std::vector<std::filesystem::path> rutas;
    };
    auto texto = rep(TipoDato::texto, "hola");
    auto rtf = rep(TipoDato::rtf, "{\\rtf1 hola}");
    auto html = rep(TipoDato::html, "<b>hola</b>");
    auto png = rep(TipoDato::png, "PNG");
    auto pieza = [](const nucleo::Representacion& r) { return plataforma::Pieza{r.tipo, r.datos}; };
    const std::vector<Caso> casos{
        {"rico normal", {texto, rtf, html}, false, {pieza(texto), pieza(rtf), pieza(html)}, {}},
        {"rico en texto", {texto, rtf, html}, true, {pieza(texto)}, {}},
        {"imagen en texto", {png}, true, {pieza(png)}, {}},
        {"archivos en texto",
         {rep(TipoDato::rutas, "/a/uno\n/b/dos")},
         true,
         {pieza(rep(TipoDato::texto, "/a/uno\n/b/dos"))},
         {}},
        {"archivos normal",
         {rep(TipoDato::rutas, "\n/a/uno\n\n/b/dos\n")},
         false,
         {},
         {"/a/uno", "/b/dos"}},
        {"utf-8 roto en rutas",
         {rep(TipoDato::rutas, "/a/\xff")},
         true,
         {pieza(rep(TipoDato::texto, "/a/\xef\xbf\xbd"))},
         {}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        PortapapelesMemoria pp;
        EXPECT_TRUE(rebisco::Pegador::escribir(caso.representaciones, caso.soloTexto, pp));
        EXPECT_EQ(pp.rutas(), caso.rutas);
        if (caso.rutas.empty()) {
            EXPECT_EQ(pp.piezas(), caso.piezas);
        }
    }
}

TEST(Pegador, SinNadaQueEscribirNoTocaElPortapapeles) {
    PortapapelesMemoria pp;
    pruebas::copiarTexto(pp, "lo de antes");
    auto antes = pp.contadorCambios();
    EXPECT_FALSE(rebisco::Pegador::escribir({}, false, pp));
    pp.rechazarTipo("com.raro");
    EXPECT_FALSE(rebisco::Pegador::escribir({rep("com.raro", "x")}, false, pp));
    EXPECT_EQ(pp.contadorCambios(), antes);
    EXPECT_EQ(pp.piezas().front().datos, bytes("lo de antes"));

    // Los tipos que no acepta se saltan; los demás se escriben.
    EXPECT_TRUE(
        rebisco::Pegador::escribir({rep("com.raro", "x"), rep(TipoDato::html, "<i>")}, false, pp));
    EXPECT_EQ(pp.piezas(), (std::vector<plataforma::Pieza>{{t(TipoDato::html), bytes("<i>")}}));
}

TEST(Pegador, PuedePegarNuncaEnUnaEjecucionDePrueba) {
    plataforma::memoria::EscritorioMemoria escritorio;
    escritorio.ponerConfiable(true);
    auto normal = rebisco::Entorno{};
    auto prueba =
        rebisco::Entorno{.modo = rebisco::ModoEjecucion::prueba, .carpetaDatos = "/tmp/x"};
    EXPECT_TRUE(rebisco::Pegador::puedePegar(normal, escritorio));
    EXPECT_FALSE(rebisco::Pegador::puedePegar(prueba, escritorio));
    escritorio.ponerConfiable(false);
    EXPECT_FALSE(rebisco::Pegador::puedePegar(normal, escritorio));
}

} // namespace
