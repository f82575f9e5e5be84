#include <interfaz/Idioma.h>

#include <gtest/gtest.h>

namespace Idioma = rebisco::Idioma;

namespace {

QStringList lista(std::initializer_list<const char*> etiquetas) {
    QStringList salida;
    for (const auto* e : etiquetas)
        salida << QString::fromUtf8(e);
    return salida;
}

TEST(Idioma, LaInterfazEsElPrimerIdiomaConTabla) {
    struct Caso {
        QStringList preferidos;
        const char* elegido;
    };
    const Caso casos[] = {
        {lista({"es-ES", "en-US"}), "es"},
        {lista({"es_MX"}), "es"},
        {lista({"ES"}), "es"},
        {lista({"en-GB", "es"}), "en"},
        {lista({"pt-BR", "de", "es-AR", "en"}), "es"},
        {lista({"ca@valencia", "es"}), "es"},
        {lista({"eo", "pt"}), "en"}, // sin tabla para ninguno
        {lista({"C"}), "en"},
        {lista({"esperanto", "en"}), "en"}, // "es" ha de ser el idioma entero, no un prefijo
        {lista({""}), "en"},
        {{}, "en"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.preferidos.join(u',').toStdString());
        EXPECT_EQ(Idioma::elegir(caso.preferidos), QString::fromUtf8(caso.elegido));
    }
}

TEST(Idioma, ElDelSistemaEsElPrimeroAunqueNoTengaTabla) {
    struct Caso {
        QStringList preferidos;
        const char* actual;
        const char* delSistema;
    };
    const Caso casos[] = {
        {lista({"pt-BR", "es"}), "es", "pt-BR"},
        {lista({"es-ES"}), "es", "es-ES"},
        {lista({"C", "de"}), "en", "de"},
        {lista({"", "POSIX"}), "es", "es"},
        {{}, "en", "en"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.preferidos.join(u',').toStdString());
        EXPECT_EQ(Idioma::delSistemaEntre(caso.preferidos, QString::fromUtf8(caso.actual)),
                  QString::fromUtf8(caso.delSistema));
    }
}

TEST(Idioma, ElDeEstaPruebaSaleDelEntorno) {
    // Las pruebas de la interfaz corren con LANGUAGE=es.
    EXPECT_EQ(Idioma::actual(), QStringLiteral("es"));
    EXPECT_EQ(Idioma::local().language(), QLocale::Spanish);
    EXPECT_TRUE(Idioma::delSistema().startsWith(u"es")) << Idioma::delSistema().toStdString();
}

} // namespace
