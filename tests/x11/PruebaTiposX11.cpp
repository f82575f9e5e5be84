// Traducciones puras del backend X11: destinos, texto, URL de archivos y entradas .desktop.
#include "TiposX11.h"
#include <plataforma/EntradasEscritorio.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>

using namespace plataforma;
using namespace plataforma::x11;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;
Bytes b(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

const std::string tTexto(tipos::texto);
const std::string tRtf(tipos::rtf);
const std::string tHtml(tipos::html);
const std::string tPng(tipos::png);
const std::string tTiff(tipos::tiff);
const std::string tArchivo(tipos::urlArchivo);
const std::string tOculto(tipos::confidencial);

} // namespace

struct CasoDestino {
    std::string destino;
    std::optional<std::string> identificador;
};

class Destinos : public testing::TestWithParam<CasoDestino> {};

TEST_P(Destinos, SeAnuncianConElIdentificadorDelNucleo) {
    EXPECT_EQ(tipos::identificadorDe(GetParam().destino), GetParam().identificador);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Destinos,
    testing::Values(
        CasoDestino{"UTF8_STRING", tTexto}, CasoDestino{"STRING", tTexto},
        CasoDestino{"TEXT", tTexto}, CasoDestino{"COMPOUND_TEXT", tTexto},
        CasoDestino{"text/plain", tTexto}, CasoDestino{"text/plain;charset=utf-8", tTexto},
        CasoDestino{"text/plain; charset=UTF-8", tTexto},
        // Otra codificación no es el texto UTF-8: se anuncia tal cual.
        CasoDestino{"text/plain;charset=utf-16", "text/plain;charset=utf-16"},
        CasoDestino{"text/rtf", tRtf}, CasoDestino{"application/rtf", tRtf},
        CasoDestino{"text/html", tHtml}, CasoDestino{"image/png", tPng},
        CasoDestino{"image/tiff", tTiff}, CasoDestino{"text/uri-list", tArchivo},
        CasoDestino{"x-special/gnome-copied-files", tArchivo},
        CasoDestino{"x-kde-passwordManagerHint", tOculto}, CasoDestino{"image/jpeg", "image/jpeg"},
        CasoDestino{"chromium/x-web-custom-data", "chromium/x-web-custom-data"},
        CasoDestino{"TARGETS", std::nullopt}, CasoDestino{"TIMESTAMP", std::nullopt},
        CasoDestino{"MULTIPLE", std::nullopt}, CasoDestino{"SAVE_TARGETS", std::nullopt},
        CasoDestino{"DELETE", std::nullopt}, CasoDestino{"INSERT_PROPERTY", std::nullopt},
        CasoDestino{"INSERT_SELECTION", std::nullopt}, CasoDestino{"LENGTH", std::nullopt},
        CasoDestino{"PIXMAP", std::nullopt}, CasoDestino{"", std::nullopt}));

TEST(Identificadores, EnOrdenSinRepetirNiPseudodestinos) {
    const std::vector<std::string> destinos{"TARGETS",
                                            "TIMESTAMP",
                                            "MULTIPLE",
                                            "SAVE_TARGETS",
                                            "UTF8_STRING",
                                            "STRING",
                                            "text/plain",
                                            "text/html",
                                            "image/png",
                                            "text/uri-list",
                                            "x-special/gnome-copied-files",
                                            "x-kde-passwordManagerHint",
                                            "application/x-propio",
                                            "text/rtf",
                                            "application/rtf",
                                            "application/x-propio"};
    EXPECT_EQ(tipos::identificadores(destinos),
              (std::vector<std::string>{tTexto, tHtml, tPng, tArchivo, tOculto,
                                        "application/x-propio", tRtf}));
    EXPECT_TRUE(tipos::identificadores({"TARGETS", "TIMESTAMP"}).empty());
}

struct CasoLectura {
    std::string identificador;
    std::vector<std::string> ofrecidos;
    std::vector<std::string> esperados;
};

class DestinosParaLeer : public testing::TestWithParam<CasoLectura> {};

TEST_P(DestinosParaLeer, DelPreferidoAlUltimoYSoloLoOfrecido) {
    const auto& c = GetParam();
    EXPECT_EQ(tipos::destinosParaLeer(c.identificador, c.ofrecidos), c.esperados);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, DestinosParaLeer,
    testing::Values(
        CasoLectura{tTexto,
                    {"TEXT", "STRING", "text/plain", "text/plain;charset=utf-8", "UTF8_STRING"},
                    {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING", "TEXT"}},
        CasoLectura{
            tTexto, {"STRING", "text/plain;charset=UTF-8"}, {"text/plain;charset=UTF-8", "STRING"}},
        CasoLectura{tTexto, {"COMPOUND_TEXT", "TEXT"}, {"TEXT", "COMPOUND_TEXT"}},
        CasoLectura{tTexto, {"text/html", "image/png"}, {}},
        CasoLectura{tRtf, {"application/rtf", "text/rtf"}, {"text/rtf", "application/rtf"}},
        CasoLectura{tHtml, {"UTF8_STRING", "text/html"}, {"text/html"}},
        CasoLectura{tPng, {"image/jpeg", "image/png", "image/tiff"}, {"image/png"}},
        CasoLectura{tTiff, {"image/png", "image/tiff"}, {"image/tiff"}},
        CasoLectura{tArchivo,
                    {"x-special/gnome-copied-files", "text/uri-list"},
                    {"text/uri-list", "x-special/gnome-copied-files"}},
        // La marca de confidencial nunca se lee: basta con que esté anunciada.
        CasoLectura{tOculto, {"x-kde-passwordManagerHint"}, {}},
        CasoLectura{"application/x-propio",
                    {"UTF8_STRING", "application/x-propio"},
                    {"application/x-propio"}},
        CasoLectura{"application/x-propio", {"UTF8_STRING"}, {}},
        CasoLectura{"TARGETS", {"TARGETS"}, {}}));

struct CasoEscritura {
    std::string identificador;
    std::vector<std::string> formatos;
};

class FormatosParaEscribir : public testing::TestWithParam<CasoEscritura> {};

TEST_P(FormatosParaEscribir, SeDesdoblanComoLosEsperanLosDemas) {
    EXPECT_EQ(tipos::formatosParaEscribir(GetParam().identificador), GetParam().formatos);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, FormatosParaEscribir,
    testing::Values(CasoEscritura{tTexto, {"text/plain", "text/plain;charset=utf-8"}},
                    CasoEscritura{tRtf, {"text/rtf", "application/rtf"}},
                    CasoEscritura{tHtml, {"text/html"}}, CasoEscritura{tPng, {"image/png"}},
                    CasoEscritura{tTiff, {"image/tiff"}},
                    CasoEscritura{"com.ejemplo.propio", {"com.ejemplo.propio"}},
                    CasoEscritura{"TARGETS", {}}, CasoEscritura{"UTF8_STRING", {}},
                    CasoEscritura{"", {}}));

struct CasoTexto {
    std::string nombre;
    std::string destino;
    std::string tipo;
    Bytes bytes;
    std::optional<std::string> texto;
};

class TextoRecibido : public testing::TestWithParam<CasoTexto> {};

TEST_P(TextoRecibido, SeDecodificaSegunElTipoDeclarado) {
    const auto& c = GetParam();
    EXPECT_EQ(tipos::textoDe(c.destino, c.tipo, c.bytes), c.texto);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, TextoRecibido,
    testing::Values(
        CasoTexto{"utf8", "UTF8_STRING", "UTF8_STRING", b("ca\xc3\xb1\xc3\xb3n"),
                  "ca\xc3\xb1\xc3\xb3n"},
        CasoTexto{"latin1", "STRING", "STRING", b("ca\xf1\xf3n"), "ca\xc3\xb1\xc3\xb3n"},
        // El tipo declarado manda sobre el pedido.
        CasoTexto{"utf8PedidoContestaLatin1", "UTF8_STRING", "STRING", b("\xe9"), "\xc3\xa9"},
        CasoTexto{"textPlainUtf8", "text/plain", "text/plain", b("\xc3\xa9"), "\xc3\xa9"},
        CasoTexto{"textPlainLatin1", "text/plain", "text/plain", b("\xe9t\xe9"),
                  "\xc3\xa9t\xc3\xa9"},
        CasoTexto{"nulFinal", "UTF8_STRING", "UTF8_STRING", Bytes{'h', 'o', 'l', 'a', 0, 0},
                  "hola"},
        CasoTexto{"compoundAscii", "COMPOUND_TEXT", "COMPOUND_TEXT", b("hola"), "hola"},
        CasoTexto{"compoundEscapes", "COMPOUND_TEXT", "COMPOUND_TEXT", b("\x1b-A\xe9"),
                  std::nullopt},
        CasoTexto{"vacio", "UTF8_STRING", "UTF8_STRING", Bytes{}, ""}),
    [](const auto& info) { return info.param.nombre; });

TEST(RespuestaDeTexto, SoloTiposDeTextoEnBytes) {
    const struct {
        std::string_view tipo;
        int formato;
        bool esTexto;
    } casos[] = {
        {"UTF8_STRING", 8, true},   {"STRING", 8, true},
        {"TEXT", 8, true},          {"C_STRING", 8, true},
        {"COMPOUND_TEXT", 8, true}, {"text/plain", 8, true},
        {"Text/HTML", 8, true},     {"INTEGER", 32, false},
        {"INTEGER", 8, false},      {"ATOM", 32, false},
        {"UTF8_STRING", 32, false}, {"UTF8_STRING", 16, false},
        {"image/png", 8, false},    {"", 8, false},
    };
    for (const auto& c : casos)
        EXPECT_EQ(tipos::esRespuestaDeTexto(c.tipo, c.formato), c.esTexto)
            << c.tipo << " formato " << c.formato;
}

struct CasoHtml {
    std::string nombre;
    Bytes entrada;
    Bytes salida;
};

class HtmlRecibido : public testing::TestWithParam<CasoHtml> {};

TEST_P(HtmlRecibido, QuedaEnUtf8) {
    EXPECT_EQ(tipos::htmlEnUtf8(GetParam().entrada), GetParam().salida);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, HtmlRecibido,
    testing::Values(CasoHtml{"utf8SinTocar", b("<b>\xc3\xa9</b>"), b("<b>\xc3\xa9</b>")},
                    CasoHtml{"utf16leConBom", Bytes{0xFF, 0xFE, '<', 0, 'b', 0, '>', 0, 0xE9, 0},
                             b("<b>\xc3\xa9")},
                    CasoHtml{"utf16beConBom", Bytes{0xFE, 0xFF, 0, '<', 0, 'i', 0x20, 0xAC},
                             b("<i\xe2\x82\xac")},
                    CasoHtml{"utf16leSinBom", Bytes{'<', 0, 'p', 0, '>', 0}, b("<p>")},
                    CasoHtml{"paresSustitutos", Bytes{0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE},
                             b("\xf0\x9f\x98\x80")},
                    CasoHtml{"sustitutoSuelto", Bytes{0xFF, 0xFE, 0x00, 0xDC, 'a', 0},
                             b("\xef\xbf\xbd"
                               "a")}),
    [](const auto& info) { return info.param.nombre; });

struct CasoUris {
    std::string nombre;
    std::string lista;
    bool gnome;
    std::vector<fs::path> rutas;
};

class ListaDeUris : public testing::TestWithParam<CasoUris> {};

TEST_P(ListaDeUris, DaLasRutasLocalesEnOrden) {
    const auto& c = GetParam();
    EXPECT_EQ(tipos::rutasDeUris(c.lista, c.gnome, "mimaquina"), c.rutas);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, ListaDeUris,
    testing::Values(CasoUris{"dos",
                             "file:///tmp/a.txt\r\nfile:///tmp/b.txt\r\n",
                             false,
                             {"/tmp/a.txt", "/tmp/b.txt"}},
                    CasoUris{"sinFinDeLinea", "file:///tmp/a", false, {"/tmp/a"}},
                    CasoUris{"porcentajes",
                             "file:///tmp/a%20b/%C3%B1%2523.txt",
                             false,
                             {"/tmp/a b/\xc3\xb1%23.txt"}},
                    CasoUris{"porcentajeRoto", "file:///tmp/100%ZZ%4", false, {"/tmp/100%ZZ%4"}},
                    CasoUris{
                        "comentariosYBlancos", "# copiado\r\n\r\n  file:///x  \r\n", false, {"/x"}},
                    CasoUris{"anfitriones",
                             "file://localhost/a\nfile://MiMaquina/b\nfile://otra/c\n",
                             false,
                             {"/a", "/b"}},
                    CasoUris{"unaBarra", "file:/home/u/x", false, {"/home/u/x"}},
                    CasoUris{"soloWeb", "https://ejemplo.org/\nmailto:a@b.c\n", false, {}},
                    CasoUris{"mezcla", "https://ejemplo.org/\nFILE:///y\n", false, {"/y"}},
                    CasoUris{"fragmentoFuera",
                             "file:///tmp/a%23b#frag\nfile:///tmp/q?x=1",
                             false,
                             {"/tmp/a#b", "/tmp/q"}},
                    CasoUris{"sinRuta", "file://\nfile://localhost\n", false, {}},
                    CasoUris{"gnomeCopiar", "copy\nfile:///a\nfile:///b", true, {"/a", "/b"}},
                    CasoUris{"gnomeCortar", "cut\nfile:///a", true, {"/a"}},
                    // Sin la palabra inicial, la primera línea también es una URL.
                    CasoUris{"gnomeSinOrden", "file:///a\nfile:///b", true, {"/a", "/b"}},
                    // En text/uri-list, "copy" no es una URL.
                    CasoUris{"copyNoEsUri", "copy\nfile:///a", false, {"/a"}}),
    [](const auto& info) { return info.param.nombre; });

TEST(UriDeRuta, EscapaLoInseguroYVuelveIgual) {
    EXPECT_EQ(tipos::uriDeRuta("/tmp/a b/\xc3\xb1#?%.txt"),
              "file:///tmp/a%20b/%C3%B1%23%3F%25.txt");
    const std::vector<fs::path> rutas{"/tmp/a b", "/tmp/\xc3\xb1", "/x#y?z%w",
                                      "/l\nm",    "/raro\xff\x01", "/tmp/nada-especial_1.2~"};
    std::string lista;
    for (const auto& r : rutas)
        lista += tipos::uriDeRuta(r) + "\r\n";
    EXPECT_EQ(tipos::rutasDeUris(lista, false), rutas);
}

struct CasoEntrada {
    std::string nombre;
    std::string contenido;
    std::vector<std::string> idiomas;
    std::optional<std::string> nombreEsperado;
    std::optional<std::string> clase;
    bool oculta;
};

class Entradas : public testing::TestWithParam<CasoEntrada> {};

TEST_P(Entradas, SeLeeElGrupoPrincipal) {
    const auto& c = GetParam();
    const auto e = leerEntrada(c.contenido, c.idiomas);
    EXPECT_EQ(e.nombre, c.nombreEsperado);
    EXPECT_EQ(e.claseVentana, c.clase);
    EXPECT_EQ(e.oculta, c.oculta);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Entradas,
    testing::Values(
        CasoEntrada{"simple",
                    "[Desktop Entry]\nType=Application\nName=Editor\n",
                    {},
                    "Editor",
                    std::nullopt,
                    false},
        CasoEntrada{
            "traducido",
            "[Desktop Entry]\nName=Editor\nName[es]=Editor de textos\nName[es_MX]=Editor MX\n",
            {"es_ES", "es"},
            "Editor de textos",
            std::nullopt,
            false},
        CasoEntrada{"paisPrimero",
                    "[Desktop Entry]\nName=E\nName[es]=Es\nName[es_MX]=Mx\n",
                    {"es_MX", "es"},
                    "Mx",
                    std::nullopt,
                    false},
        CasoEntrada{"otroGrupoNoCuenta",
                    "# comentario\n[Desktop Action nueva]\nName=Ventana nueva\n[Desktop Entry]\n"
                    "Name = Navegador \nStartupWMClass=Navegador-bin\n",
                    {},
                    "Navegador",
                    "Navegador-bin",
                    false},
        CasoEntrada{"escapes",
                    "[Desktop Entry]\nName=Uno\\sDos\\\\Tres\n",
                    {},
                    "Uno Dos\\Tres",
                    std::nullopt,
                    false},
        CasoEntrada{"oculta",
                    "[Desktop Entry]\nName=Vieja\nHidden=true\n",
                    {},
                    "Vieja",
                    std::nullopt,
                    true},
        CasoEntrada{"sinNombre",
                    "[Desktop Entry]\nType=Application\n",
                    {"es"},
                    std::nullopt,
                    std::nullopt,
                    false},
        CasoEntrada{
            "retornoDeCarro", "[Desktop Entry]\r\nName=Win\r\n", {}, "Win", std::nullopt, false}),
    [](const auto& info) { return info.param.nombre; });

TEST(Entradas, ElIconoEsElDelGrupoPrincipal) {
    struct Caso {
        const char* contenido;
        std::optional<std::string> icono;
    };
    const Caso casos[] = {
        {"[Desktop Entry]\nIcon=org.xfce.mousepad\n", "org.xfce.mousepad"},
        {"[Desktop Entry]\nIcon = /opt/app/icono.png \n", "/opt/app/icono.png"},
        {"[Desktop Entry]\nIcon=\n", std::nullopt},
        {"[Desktop Action nueva]\nIcon=otra\n[Desktop Entry]\nName=A\n", std::nullopt},
        {"[Desktop Entry]\nIcon=mi\\sicono\n", "mi icono"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(leerEntrada(c.contenido, {}).icono, c.icono) << c.contenido;
}

TEST(Idiomas, DeLoConcretoALoGeneral) {
    EXPECT_EQ(idiomasDe("es_ES.UTF-8"), (std::vector<std::string>{"es_ES", "es"}));
    EXPECT_EQ(idiomasDe("ca_ES.UTF-8@valencia"),
              (std::vector<std::string>{"ca_ES@valencia", "ca_ES", "ca@valencia", "ca"}));
    EXPECT_EQ(idiomasDe("de"), (std::vector<std::string>{"de"}));
    EXPECT_TRUE(idiomasDe("C.UTF-8").empty());
    EXPECT_TRUE(idiomasDe("POSIX").empty());
    EXPECT_TRUE(idiomasDe("").empty());
}

struct CasoOrden {
    const char* nombre;
    std::string orden;
    std::vector<std::string> argumentos;
};

class OrdenDeEntrada : public testing::TestWithParam<CasoOrden> {};

TEST_P(OrdenDeEntrada, SeParteComoElLanzador) {
    EXPECT_EQ(argumentosDeOrden(GetParam().orden), GetParam().argumentos);
}

INSTANTIATE_TEST_SUITE_P(
    Entradas, OrdenDeEntrada,
    testing::Values(
        CasoOrden{"simple", "mousepad %U", {"mousepad"}},
        CasoOrden{"conArgumentos", "featherpad --win  %f", {"featherpad", "--win"}},
        CasoOrden{"comillasConEspacios",
                  "\"/opt/mis programas/rebisco\"",
                  {"/opt/mis programas/rebisco"}},
        CasoOrden{"escapesEntreComillas", "\"/a/re\\\"bis\\$co\\\\x\\`y\"", {"/a/re\"bis$co\\x`y"}},
        CasoOrden{"porcientoDoble", "\"/a/100%%\" 50%%", {"/a/100%", "50%"}},
        CasoOrden{"comillasVacias", "prog \"\"", {"prog", ""}}, CasoOrden{"vacia", "   ", {}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Entradas, LasAplicacionesDeLosMenusSinOcultasNiRepetidas) {
    const auto raiz = fs::temp_directory_path() / ("rebisco-apps-" + std::to_string(::getpid()));
    const auto escribir = [&](const std::string& donde, const std::string& archivo,
                              const std::string& contenido) {
        fs::create_directories((raiz / donde / "applications" / archivo).parent_path());
        std::ofstream(raiz / donde / "applications" / archivo) << contenido;
    };
    escribir("casa", "zeta.desktop", "[Desktop Entry]\nType=Application\nName=zeta\n");
    escribir("casa", "tapada.desktop", "[Desktop Entry]\nType=Application\nName=T\nHidden=true\n");
    escribir("sistema", "tapada.desktop", "[Desktop Entry]\nType=Application\nName=Tapada\n");
    escribir("sistema", "Alfa.desktop", "[Desktop Entry]\nType=Application\nName=Alfa\n");
    escribir("sistema", "kde4/beta.desktop", "[Desktop Entry]\nType=Application\nName=Beta\n");
    escribir("sistema", "fuera.desktop",
             "[Desktop Entry]\nType=Application\nName=Fuera\nNoDisplay=true\n");
    escribir("sistema", "enlace.desktop", "[Desktop Entry]\nType=Link\nName=Enlace\n");
    escribir("sistema", "zeta.desktop", "[Desktop Entry]\nType=Application\nName=Otra zeta\n");
    ::setenv("XDG_DATA_HOME", (raiz / "casa").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (raiz / "sistema").c_str(), 1);
    std::vector<std::string> vistas;
    for (const auto& app : aplicacionesInstaladas())
        vistas.push_back(app.id + "=" + *app.entrada.nombre);
    EXPECT_EQ(vistas, (std::vector<std::string>{"Alfa=Alfa", "kde4-beta=Beta", "zeta=zeta"}));
    fs::remove_all(raiz);
}
