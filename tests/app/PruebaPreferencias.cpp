#include "Ayudas.h"

#include <rebisco/Preferencias.h>

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace P = rebisco::Preferencias;
using pruebas::CarpetaTemporal;

namespace {

// Un almacén en memoria con los valores registrados del programa.
struct ConRegistrados : rebisco::PreferenciasEnMemoria {
    ConRegistrados() { registrar(P::registrados()); }
};

TEST(Preferencias, ValoresPorDefecto) {
    ConRegistrados p;
    EXPECT_EQ(P::opcionesCaptura(p), (nucleo::OpcionesCaptura{.ignorarConfidencial = true,
                                                              .appsExcluidas = {},
                                                              .guardarImagenes = true,
                                                              .bytesMaximos = 20'971'520}));
    EXPECT_EQ(P::politica(p),
              (nucleo::PoliticaRetencion{
                  .maximoRecortes = 500, .maximoDias = std::nullopt, .maximoBytes = 524'288'000}));
    EXPECT_EQ(p.integer(P::atajoCodigo), 9);
    EXPECT_EQ(p.integer(P::atajoModificadores), 768);
    EXPECT_TRUE(p.boolean(P::pegarAlElegir));
}

TEST(Preferencias, LimitesDerivados) {
    struct Caso {
        QVariantMap puestos;
        std::int64_t bytesMaximos;
        nucleo::PoliticaRetencion politica;
    };
    const std::vector<Caso> casos{
        {{{P::limitarCantidad, false}, {P::maximoRecortes, 3}},
         20'971'520,
         {std::nullopt, std::nullopt, 524'288'000}},
        {{{P::limitarEspacio, false}}, 20'971'520, {500, std::nullopt, std::nullopt}},
        {{{P::limitarDias, true}, {P::maximoDias, 1}}, 20'971'520, {500, 1, 524'288'000}},
        {{{P::maximoRecortes, 1}, {P::megasTotales, 1}, {P::megasMaximos, 1}},
         1'048'576,
         {1, std::nullopt, 1'048'576}},
        // Lo que los ajustes nunca guardan cuenta como ausente: vale el registrado, que nunca
        // borra más que lo guardado. Ni un 0, ni un negativo, ni un entero escrito como
        // texto o como real, ni un Bool escrito como número.
        {{{P::megasMaximos, 0}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::megasMaximos, -7}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::maximoRecortes, 0}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::maximoRecortes, -5}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::limitarDias, true}, {P::maximoDias, -2}}, 20'971'520, {500, 30, 524'288'000}},
        {{{P::megasTotales, 0}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::maximoRecortes, QString("5")}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::maximoRecortes, 500.0}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::limitarCantidad, 1}}, 20'971'520, {500, std::nullopt, 524'288'000}},
        {{{P::limitarEspacio, QString("false")}}, 20'971'520, {500, std::nullopt, 524'288'000}},
    };
    for (const auto& caso : casos) {
        ConRegistrados p;
        for (auto it = caso.puestos.begin(); it != caso.puestos.end(); ++it)
            p.set(it.key(), *it);
        SCOPED_TRACE(caso.puestos.firstKey().toStdString());
        EXPECT_EQ(P::opcionesCaptura(p).bytesMaximos, caso.bytesMaximos);
        EXPECT_EQ(P::politica(p), caso.politica);
    }
}

TEST(Preferencias, Lineas) {
    struct Caso {
        std::string texto;
        std::vector<std::string> lineas;
    };
    const std::vector<Caso> casos{
        {"", {}},
        {"\n \n\t\r\n\u2028", {}},
        {"  com.ejemplo.uno  \n\n\tcom.ejemplo.dos\r\n", {"com.ejemplo.uno", "com.ejemplo.dos"}},
        {"a\u0085b\u2029c\vd\fe\rf", {"a", "b", "c", "d", "e", "f"}},
        // Espacios Unicode (Zs) sí se recortan; el espacio de ancho cero no es Zs.
        {"\u00a0\u3000x y\u2003", {"x y"}},
        {"\u200bz", {"\u200bz"}},
        {"dup\ndup", {"dup", "dup"}},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(P::lineas(caso.texto), caso.lineas) << caso.texto;
}

TEST(Preferencias, ExcluidasSonUnConjuntoDeLineas) {
    ConRegistrados p;
    p.set(P::appsExcluidas, QString("  org.gnome.Nautilus \n\n\torg.keepassxc.KeePassXC\r\n"));
    EXPECT_EQ(P::opcionesCaptura(p).appsExcluidas,
              (std::set<std::string>{"org.gnome.Nautilus", "org.keepassxc.KeePassXC"}));
}

TEST(PreferenciasEnMemoria, TiposSinConversionYDefectoQueReaparece) {
    ConRegistrados p;
    p.set(P::maximoRecortes, 42);
    EXPECT_EQ(p.integer(P::maximoRecortes), 42);
    p.removeObject(P::maximoRecortes);
    EXPECT_EQ(p.object(P::maximoRecortes), QVariant(500));

    p.set("cinco", QString("5"));
    EXPECT_EQ(p.integer("cinco"), 0);
    EXPECT_FALSE(p.boolean("cinco"));
    EXPECT_EQ(p.string("cinco"), QString("5"));

    p.set(P::pausado, true);
    EXPECT_EQ(p.integer(P::pausado), 0);
    p.set(P::pausado, QVariant());
    EXPECT_FALSE(p.boolean(P::pausado));

    p.registrar({{P::maximoDias, 7}});
    EXPECT_EQ(p.integer(P::maximoDias), 7);
}

TEST(PreferenciasEnArchivo, GuardaCadaTipoYLoRecupera) {
    CarpetaTemporal carpeta;
    auto ruta = carpeta / "config/rebisco/preferencias.json";
    {
        rebisco::PreferenciasEnArchivo p(ruta);
        p.set("bool", true);
        p.set("entero", qint64(1) << 40);
        p.set("texto", QString("ñandú\n"));
        p.set("cinco", QString("5"));
        p.set("real", 2.0);
        EXPECT_FALSE(p.problema().has_value());
    }
    rebisco::PreferenciasEnArchivo p(ruta);
    EXPECT_TRUE(p.boolean("bool"));
    EXPECT_EQ(p.integer("entero"), qint64(1) << 40);
    EXPECT_EQ(p.string("texto"), QString("ñandú\n"));
    EXPECT_EQ(p.integer("cinco"), 0);
    EXPECT_EQ(p.object("real").typeId(), QMetaType::Double);
    EXPECT_EQ(p.integer("real"), 0);
    EXPECT_FALSE(p.problema().has_value());

    struct stat info {};
    ASSERT_EQ(::stat(ruta.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(ruta.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(PreferenciasEnArchivo, UnArchivoDanadoSeApartaSinPerderlo) {
    const std::vector<std::string> danados{
        "{ esto no es json",
        R"({"pausado": true})",
        R"({"pausado": {"bool": true}, "maximoRecortes": {"entero": "mil"}})",
        "[]",
    };
    for (const auto& contenido : danados) {
        CarpetaTemporal carpeta;
        auto ruta = carpeta / "preferencias.json";
        std::ofstream(ruta) << contenido;

        rebisco::PreferenciasEnArchivo p(ruta);
        ASSERT_TRUE(p.problema().has_value()) << contenido;
        EXPECT_TRUE(p.problema()->contains("dañadas")) << p.problema()->toStdString();
        std::vector<std::filesystem::path> apartados;
        for (const auto& e : std::filesystem::directory_iterator(carpeta.ruta()))
            if (e.path().filename().string().starts_with("preferencias-danadas-"))
                apartados.push_back(e.path());
        ASSERT_EQ(apartados.size(), 1u) << contenido;
        std::ifstream apartado(apartados.front());
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(apartado), {}), contenido);

        // Lo legible se conserva y se puede seguir guardando.
        p.set(P::maximoDias, 9);
        rebisco::PreferenciasEnArchivo otra(ruta);
        EXPECT_EQ(otra.integer(P::maximoDias), 9);
        EXPECT_FALSE(otra.problema().has_value());
    }
}

// Un valor de otro tipo o fuera de su rango no cuenta: vale el registrado, se avisa de la clave
// y el archivo sigue con todo lo que escribió el usuario, sin apartarse.
TEST(PreferenciasEnArchivo, UnValorNoValidoCuentaComoAusente) {
    struct Caso {
        std::string entrada;
        QString clave;
    };
    const std::vector<Caso> casos{
        {R"("maximoRecortes": {"texto": "500"})", P::maximoRecortes},
        {R"("maximoRecortes": {"real": 500})", P::maximoRecortes},
        {R"("maximoRecortes": {"entero": -5})", P::maximoRecortes},
        {R"("megasTotales": {"entero": 0})", P::megasTotales},
        {R"("ignorarConfidencial": {"texto": "true"})", P::ignorarConfidencial},
        {R"("limitarEspacio": {"entero": 0})", P::limitarEspacio},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.entrada);
        CarpetaTemporal carpeta;
        auto ruta = carpeta / "preferencias.json";
        const auto contenido = R"({"pegarAlElegir": {"bool": false}, )" + caso.entrada + "}";
        std::ofstream(ruta) << contenido;

        rebisco::PreferenciasEnArchivo p(ruta);
        p.registrar(P::registrados());
        EXPECT_EQ(P::politica(p), (nucleo::PoliticaRetencion{.maximoRecortes = 500,
                                                             .maximoDias = std::nullopt,
                                                             .maximoBytes = 524'288'000}));
        EXPECT_TRUE(P::opcionesCaptura(p).ignorarConfidencial);
        EXPECT_EQ(p.object(caso.clave), P::registrados().value(caso.clave));
        EXPECT_FALSE(p.boolean(P::pegarAlElegir));
        ASSERT_TRUE(p.problema().has_value());
        EXPECT_TRUE(p.problema()->contains(caso.clave)) << p.problema()->toStdString();

        std::ifstream archivo(ruta);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(archivo), {}), contenido);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(carpeta.ruta()), {}), 1);
    }
}

} // namespace

namespace {

// Cada almacén anuncia solo las claves cuyo valor efectivo cambió.
template <typename Almacen> void compruebaAnuncios(Almacen& p) {
    QStringList anunciadas;
    QObject::connect(&p, &rebisco::AlmacenPreferencias::cambio,
                     [&](const QString& clave) { anunciadas << clave; });
    p.set(P::maximoRecortes, 450);
    p.set(P::maximoRecortes, 450);             // lo mismo otra vez
    p.set(P::limitarCantidad, true);           // ya valía eso por defecto
    p.set(P::maximoDias, QStringLiteral("5")); // no vale para la clave: sigue el registrado
    p.set(P::megasTotales, 0);                 // por debajo del mínimo: tampoco
    p.set(P::pausado, true);
    p.removeObject(P::maximoRecortes); // vuelve el registrado, 500
    p.removeObject(P::maximoRecortes);
    p.set(P::pausado, QVariant()); // borrar con un inválido
    EXPECT_EQ(anunciadas,
              (QStringList{P::maximoRecortes, P::pausado, P::maximoRecortes, P::pausado}));
    anunciadas.clear();
    p.registrar({{P::megasMaximos, 30}, {P::maximoDias, 30}});
    EXPECT_EQ(anunciadas, QStringList{P::megasMaximos});
}

} // namespace

TEST(Preferencias, EnMemoriaAnunciaCadaClaveQueCambia) {
    ConRegistrados p;
    compruebaAnuncios(p);
}

TEST(PreferenciasEnArchivo, AnunciaCadaClaveQueCambia) {
    CarpetaTemporal carpeta;
    rebisco::PreferenciasEnArchivo p(carpeta / "preferencias.json");
    p.registrar(P::registrados());
    compruebaAnuncios(p);
}
