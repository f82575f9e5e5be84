#include "Ayudas.h"

#include <gtest/gtest.h>

using namespace nucleo;
using pruebas::bytes;

namespace {

const std::string tTexto(TipoDato::texto);
const std::string tRtf(TipoDato::rtf);
const std::string tHtml(TipoDato::html);
const std::string tPng(TipoDato::png);
const std::string tTiff(TipoDato::tiff);
const std::string ocultar = "org.nspasteboard.ConcealedType";
const std::string remota(Captura::marcaRemota);

LecturaPortapapeles lecturaDeTexto(const std::string& t) {
    return {.tipos = {tTexto}, .datos = {{tTexto, bytes(t)}}};
}

RecorteNuevo guardado(const ResultadoCaptura& r) {
    EXPECT_TRUE(std::holds_alternative<RecorteNuevo>(r));
    return std::holds_alternative<RecorteNuevo>(r) ? std::get<RecorteNuevo>(r) : RecorteNuevo{};
}

std::vector<std::string> tipos(const RecorteNuevo& r) {
    std::vector<std::string> t;
    for (const auto& rep : r.representaciones)
        t.push_back(rep.tipo);
    return t;
}

} // namespace

struct CasoMotivo {
    std::set<std::string> tipos;
    std::optional<std::string> appId;
    bool ignorarConfidencial;
    std::optional<MotivoIgnorado> esperado;
};

class Motivos : public testing::TestWithParam<CasoMotivo> {};

TEST_P(Motivos, AntesDeLeerYAlInterpretar) {
    const auto& c = GetParam();
    auto opciones = pruebas::opcionesNormales();
    opciones.ignorarConfidencial = c.ignorarConfidencial;
    opciones.appsExcluidas = {"org.keepassxc.KeePassXC"};
    EXPECT_EQ(Captura::motivoParaNoLeer(c.tipos, c.appId, opciones), c.esperado);

    // interpretar decide lo mismo antes de mirar el contenido.
    LecturaPortapapeles lectura = lecturaDeTexto("contenido");
    lectura.tipos.insert(c.tipos.begin(), c.tipos.end());
    lectura.appId = c.appId;
    const auto r = Captura::interpretar(lectura, opciones);
    if (c.esperado) {
        EXPECT_EQ(r, ResultadoCaptura{*c.esperado});
    } else {
        EXPECT_TRUE(std::holds_alternative<RecorteNuevo>(r));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Captura, Motivos,
    testing::Values(
        CasoMotivo{{tTexto, ocultar}, std::nullopt, true, MotivoIgnorado::confidencial},
        CasoMotivo{{tTexto, ocultar}, std::nullopt, false, std::nullopt},
        CasoMotivo{{tTexto, "de.marvolentis.TransientPasteboardType"},
                   std::nullopt,
                   true,
                   MotivoIgnorado::confidencial},
        CasoMotivo{{tTexto, remota}, std::nullopt, false, MotivoIgnorado::remoto},
        CasoMotivo{{remota, ocultar}, std::nullopt, true, MotivoIgnorado::confidencial},
        CasoMotivo{{remota, ocultar}, std::nullopt, false, MotivoIgnorado::remoto},
        CasoMotivo{
            {tTexto, ocultar}, "org.keepassxc.KeePassXC", true, MotivoIgnorado::confidencial},
        CasoMotivo{{tTexto}, "org.keepassxc.KeePassXC", true, MotivoIgnorado::appExcluida},
        CasoMotivo{{tTexto}, "org.keepassxc.keepassxc", true, std::nullopt},
        CasoMotivo{{tTexto}, std::nullopt, true, std::nullopt}));

TEST(Captura, TextoConSangriaYLineasVacias) {
    const std::string t = "  uno\n\n\tdos\t\n";
    auto lectura = lecturaDeTexto(t);
    lectura.appId = "org.gnome.gedit";
    lectura.appNombre = "Editor de textos";
    const auto r = guardado(Captura::interpretar(lectura, pruebas::opcionesNormales()));
    EXPECT_EQ(r.clase, ClaseRecorte::texto);
    EXPECT_EQ(r.vista, "uno\ndos");
    EXPECT_EQ(r.textoBusqueda, t);
    EXPECT_EQ(r.representaciones, (std::vector<Representacion>{{tTexto, bytes(t)}}));
    EXPECT_EQ(r.huella, Captura::huella("T", bytes(t)));
    EXPECT_EQ(r.miniatura, std::nullopt);
    EXPECT_EQ(r.appId, "org.gnome.gedit");
    EXPECT_EQ(r.appNombre, "Editor de textos");
}

TEST(Captura, BusquedaPlegada) {
    const auto a =
        guardado(Captura::interpretar(lecturaDeTexto("CAFÉ Ｎｉñｏ"), pruebas::opcionesNormales()));
    const auto b =
        guardado(Captura::interpretar(lecturaDeTexto("cafe nino"), pruebas::opcionesNormales()));
    EXPECT_EQ(a.textoBusqueda, b.textoBusqueda);
    EXPECT_NE(a.huella, b.huella);
}

TEST(Captura, HuellaConocida) {
    EXPECT_EQ(Captura::huella("T", bytes("abc")),
              "1ded1d0155ccbfe4c5701db4c874675baf4ec4d8b224c1eb0689e19337fbe578");
    EXPECT_EQ(Captura::huella("", {}),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

struct CasoEnlace {
    std::string texto;
    bool esEnlace;
};

class Enlaces : public testing::TestWithParam<CasoEnlace> {};

TEST_P(Enlaces, Reconoce) {
    EXPECT_EQ(Captura::esEnlace(GetParam().texto), GetParam().esEnlace);
}

INSTANTIATE_TEST_SUITE_P(
    Captura, Enlaces,
    testing::Values(CasoEnlace{" \n https://ejemplo.org/ruta?q=1#a \n", true},
                    CasoEnlace{"http:///sin-host", false}, CasoEnlace{"http://", false},
                    CasoEnlace{"https://ejemplo.org/con espacio", false},
                    CasoEnlace{"file:///etc/passwd", false},
                    CasoEnlace{"javascript:alert(1)", false},
                    CasoEnlace{"MAILTO:alguien@ejemplo.org", true}, CasoEnlace{"mailto:", true},
                    CasoEnlace{"FTP://ftp.ejemplo.org", true},
                    CasoEnlace{"https://ejemplo.org/" + std::string(2028, 'a'), true},
                    CasoEnlace{"https://ejemplo.org/" + std::string(2029, 'a'), false},
                    CasoEnlace{"https://es.wikipedia.org/wiki/Añoranza", true},
                    CasoEnlace{"https://ejemplo.org/\u00a0x", false},
                    CasoEnlace{"ejemplo.org", false}, CasoEnlace{"", false},
                    CasoEnlace{"https://[::1]:8080/", true}, CasoEnlace{"https://a b", false},
                    CasoEnlace{"http://%zz", false}));

struct CasoVista {
    std::string texto;
    std::string vista;
};

class Vistas : public testing::TestWithParam<CasoVista> {};

TEST_P(Vistas, LineasSinBlancos) {
    EXPECT_EQ(Captura::vistaDeTexto(GetParam().texto), GetParam().vista);
}

INSTANTIATE_TEST_SUITE_P(
    Captura, Vistas,
    testing::Values(CasoVista{"  uno\n\n\tdos\t\n", "uno\ndos"},
                    CasoVista{"a\r\nb\rc\u2028d\u0085e", "a\nb\nc\nd\ne"},
                    CasoVista{"\u3000 x \u3000", "x"}, CasoVista{" \n\t\n ", ""},
                    CasoVista{std::string(299, 'x') + "\ne\u0301z", std::string(299, 'x') + "\n"},
                    CasoVista{std::string(298, 'x') + "e\u0301z",
                              std::string(298, 'x') + "e\u0301z"}));

// Cuenta escalares; en estos textos precompuestos coincide con los caracteres.
std::size_t escalares(const std::string& s) {
    std::size_t n = 0;
    for (const char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(Captura, TextoLargoSeCortaEnVistaYBusqueda) {
    std::string t;
    for (int i = 0; i < 2000; ++i)
        t += "Línea número " + std::to_string(i) + "\n";
    const auto r = guardado(Captura::interpretar(lecturaDeTexto(t), pruebas::opcionesNormales()));
    EXPECT_EQ(escalares(r.vista), 300u);
    EXPECT_TRUE(r.vista.starts_with("Línea número 0\nLínea número 1\n"));
    EXPECT_EQ(escalares(r.textoBusqueda), 20000u);
    EXPECT_TRUE(r.textoBusqueda.starts_with("linea numero 0\nlinea numero 1\n"));
    EXPECT_EQ(r.representaciones.at(0).datos, bytes(t));
}

TEST(Captura, TextoInvalidoSeRepara) {
    const std::string r = "\uFFFD";
    // Cada subparte máxima inválida se cambia por un solo U+FFFD.
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"a\xFF"
         "b",
         "a" + r + "b"},
        {"x\xF0\x9F\x98", "x" + r},
        {"\xC0\xAF.", r + r + "."},
        {"\xED\xA0\x80!", r + r + r + "!"},
        {"\xF4\x90\x80\x80", r + r + r + r},
        {"ok \xE2\x82\xAC \xE2\x82 fin", "ok \u20AC " + r + " fin"},
    };
    for (const auto& [entrada, reparado] : casos) {
        const auto rec =
            guardado(Captura::interpretar(lecturaDeTexto(entrada), pruebas::opcionesNormales()));
        EXPECT_EQ(pruebas::texto(rec.representaciones.at(0).datos), reparado) << entrada;
        EXPECT_EQ(rec.huella, Captura::huella("T", bytes(reparado)));
    }
}

TEST(Captura, FormatosEnOrdenYMismaHuella) {
    LecturaPortapapeles l = lecturaDeTexto("hola");
    l.datos[tHtml] = bytes("<b>hola</b>");
    l.datos[tRtf] = bytes("{\\rtf1 hola}");
    const auto r = guardado(Captura::interpretar(l, pruebas::opcionesNormales()));
    EXPECT_EQ(tipos(r), (std::vector<std::string>{tTexto, tRtf, tHtml}));
    EXPECT_EQ(
        r.huella,
        guardado(Captura::interpretar(lecturaDeTexto("hola"), pruebas::opcionesNormales())).huella);
}

TEST(Captura, PngSoloEsImagen) {
    const Bytes png = pruebas::pngDePrueba(800, 600);
    LecturaPortapapeles l{.tipos = {tPng}, .datos = {{tPng, png}}};
    const auto r = guardado(Captura::interpretar(l, pruebas::opcionesNormales()));
    EXPECT_EQ(r.clase, ClaseRecorte::imagen);
    EXPECT_EQ(r.vista, "800 \u00d7 600");
    EXPECT_EQ(r.textoBusqueda, "imagen image 800 \u00d7 600");
    EXPECT_EQ(r.huella, Captura::huella("I", png));
    EXPECT_EQ(r.representaciones, (std::vector<Representacion>{{tPng, png}}));
    ASSERT_TRUE(r.miniatura);
    EXPECT_EQ(Imagenes::dimensiones(*r.miniatura), (Dimensiones{320, 240}));
}

TEST(Captura, TiffSeGuardaComoPng) {
    LecturaPortapapeles l{.tipos = {tTiff},
                          .datos = {{tTiff, pruebas::tiffDePrueba(40, 30, {10})}}};
    const auto r = guardado(Captura::interpretar(l, pruebas::opcionesNormales()));
    EXPECT_EQ(r.clase, ClaseRecorte::imagen);
    EXPECT_EQ(tipos(r), (std::vector<std::string>{tPng}));
    EXPECT_EQ(r.vista, "40 \u00d7 30");
    // El PNG es determinista: la misma captura da la misma huella.
    EXPECT_EQ(r.huella, guardado(Captura::interpretar(l, pruebas::opcionesNormales())).huella);
}

TEST(Captura, TiffIlegibleNoEsImagen) {
    LecturaPortapapeles l{.tipos = {tTiff}, .datos = {{tTiff, bytes("II*\0basura")}}};
    EXPECT_EQ(Captura::interpretar(l, pruebas::opcionesNormales()),
              ResultadoCaptura{MotivoIgnorado::vacio});
}

struct CasoMezcla {
    std::string nombre;
    std::string texto;
    bool conRtf;
    bool conHtml;
    bool guardarImagenes;
    std::optional<ClaseRecorte> clase; // ausente: ignorar(vacio)
    std::vector<std::string> tipos;
};

class Mezclas : public testing::TestWithParam<CasoMezcla> {};

TEST_P(Mezclas, TextoEImagen) {
    const auto& c = GetParam();
    LecturaPortapapeles l{.tipos = {tTexto, tPng}, .datos = {{tPng, pruebas::pngDePrueba(16, 8)}}};
    if (!c.texto.empty()) l.datos[tTexto] = bytes(c.texto);
    if (c.conRtf) l.datos[tRtf] = bytes("{\\rtf1 x}");
    if (c.conHtml) l.datos[tHtml] = bytes("<p>x</p>");
    auto opciones = pruebas::opcionesNormales();
    opciones.guardarImagenes = c.guardarImagenes;
    const auto r = Captura::interpretar(l, opciones);
    if (!c.clase) {
        EXPECT_EQ(r, ResultadoCaptura{MotivoIgnorado::vacio});
        return;
    }
    const auto recorte = guardado(r);
    EXPECT_EQ(recorte.clase, *c.clase);
    EXPECT_EQ(tipos(recorte), c.tipos);
    EXPECT_EQ(recorte.miniatura.has_value(), *c.clase == ClaseRecorte::imagen);
    if (*c.clase == ClaseRecorte::imagen && c.texto.find_first_not_of(" \n") != std::string::npos) {
        EXPECT_TRUE(recorte.textoBusqueda.ends_with(" " + c.texto)) << recorte.textoBusqueda;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Captura, Mezclas,
    testing::Values(
        CasoMezcla{"EnlaceYPng",
                   "https://ejemplo.org/a",
                   false,
                   true,
                   true,
                   ClaseRecorte::imagen,
                   {tTexto, tHtml, tPng}},
        CasoMezcla{
            "TextoYPng", "una frase", false, false, true, ClaseRecorte::texto, {tTexto, tPng}},
        CasoMezcla{
            "TextoRtfYPng", "una frase", true, false, true, ClaseRecorte::texto, {tTexto, tRtf}},
        CasoMezcla{"BlancoRtfYPng", " \n ", true, true, true, ClaseRecorte::imagen, {tPng}},
        CasoMezcla{"BlancoYRtfSinImagenes", " ", true, false, false, std::nullopt, {}},
        CasoMezcla{"SoloImagenSinImagenes", "", false, false, false, std::nullopt, {}},
        CasoMezcla{"EnlaceSinImagenes",
                   "https://ejemplo.org",
                   false,
                   false,
                   false,
                   ClaseRecorte::enlace,
                   {tTexto}}),
    [](const auto& info) { return info.param.nombre; });

TEST(Captura, ArchivosGananATodo) {
    LecturaPortapapeles l = lecturaDeTexto("texto ignorado");
    l.datos[tPng] = pruebas::pngDePrueba(4, 4);
    l.rutas = {"/home/ana/Informe Final.pdf", "/home/ana/Fotos/"};
    l.appId = "org.gnome.Nautilus";
    const auto r = guardado(Captura::interpretar(l, pruebas::opcionesNormales()));
    const std::string unidas = "/home/ana/Informe Final.pdf\n/home/ana/Fotos/";
    EXPECT_EQ(r.clase, ClaseRecorte::archivos);
    EXPECT_EQ(r.vista, "Informe Final.pdf, Fotos");
    EXPECT_EQ(r.textoBusqueda, "/home/ana/informe final.pdf\n/home/ana/fotos/");
    EXPECT_EQ(r.huella, Captura::huella("A", bytes(unidas)));
    EXPECT_EQ(r.representaciones, (std::vector<Representacion>{{"rebisco.rutas", bytes(unidas)}}));
    EXPECT_EQ(r.miniatura, std::nullopt);
    EXPECT_EQ(r.appId, "org.gnome.Nautilus");
}

TEST(Captura, VacioSinNadaUtil) {
    const auto o = pruebas::opcionesNormales();
    EXPECT_EQ(Captura::interpretar({}, o), ResultadoCaptura{MotivoIgnorado::vacio});
    EXPECT_EQ(Captura::interpretar(lecturaDeTexto(" \t\n\u2029"), o),
              ResultadoCaptura{MotivoIgnorado::vacio});
    LecturaPortapapeles soloFormato{.tipos = {tRtf, tHtml},
                                    .datos = {{tRtf, bytes("{\\rtf1 x}")}, {tHtml, bytes("x")}}};
    EXPECT_EQ(Captura::interpretar(soloFormato, o), ResultadoCaptura{MotivoIgnorado::vacio});
}

TEST(Captura, LimiteDeTamanoExacto) {
    auto o = pruebas::opcionesNormales();
    const std::string t(100, 'z');
    o.bytesMaximos = 100;
    EXPECT_TRUE(std::holds_alternative<RecorteNuevo>(Captura::interpretar(lecturaDeTexto(t), o)));
    o.bytesMaximos = 99;
    EXPECT_EQ(Captura::interpretar(lecturaDeTexto(t), o),
              ResultadoCaptura{MotivoIgnorado::demasiadoGrande});

    // La miniatura no cuenta.
    const Bytes png = pruebas::pngDePrueba(400, 300);
    o.bytesMaximos = static_cast<std::int64_t>(png.size());
    const auto r = guardado(Captura::interpretar({.tipos = {tPng}, .datos = {{tPng, png}}}, o));
    EXPECT_TRUE(r.miniatura);
}
