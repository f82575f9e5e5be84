#include "AyudasUi.h"

#include <interfaz/Iconos.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace Iconos = rebisco::Iconos;
namespace fs = std::filesystem;

namespace {

// Un escritorio de mentira: entradas .desktop, un tema de iconos y la carpeta pixmaps, todo en
// una carpeta temporal que tapa las del sistema.
class Iconos_ : public testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((carpeta / "datos").string()));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString((carpeta / "sistema").string()));
        fs::create_directories(aplicaciones());
        fs::create_directories(carpeta / "datos/pixmaps");
        const auto tema = carpeta / "datos/icons/hicolor";
        fs::create_directories(tema / "48x48/apps");
        escribir(tema / "index.theme", "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n"
                                       "[48x48/apps]\nSize=48\nType=Fixed\n");
        QIcon::setThemeSearchPaths({QString::fromStdString((carpeta / "datos/icons").string())});
        QIcon::setThemeName(QStringLiteral("hicolor"));
        png(tema / "48x48/apps/del-tema.png", Qt::blue);
        png(carpeta / "datos/pixmaps/viejo.png", Qt::green);
        png(carpeta / "suelto.png", Qt::red);
        // Lo que encontraría un Icon= con "../" que escapara de la carpeta pixmaps.
        png(carpeta / "datos/escapado.png", Qt::yellow);
        escribir(carpeta / "roto.png", "esto no es un PNG");
    }

    fs::path aplicaciones() const { return carpeta / "datos/applications"; }

    static void escribir(const fs::path& ruta, const std::string& contenido) {
        QFile f(QString::fromStdString(ruta.string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contenido.data(), static_cast<qint64>(contenido.size()));
    }

    static void png(const fs::path& ruta, QColor color) {
        QImage imagen(48, 48, QImage::Format_ARGB32);
        imagen.fill(color);
        ASSERT_TRUE(imagen.save(QString::fromStdString(ruta.string())));
    }

    void entrada(const std::string& id, const std::string& resto) {
        escribir(aplicaciones() / (id + ".desktop"),
                 "[Desktop Entry]\nType=Application\nName=" + id + "\n" + resto);
    }

    static QColor colorDe(const QIcon& icono) {
        return icono.pixmap(16).toImage().pixelColor(8, 8);
    }

    pruebas::CarpetaTemporal carpeta;
};

TEST_F(Iconos_, ElIconoSaleDeLaEntradaDeEscritorio) {
    entrada("org.ejemplo.Ruta", "Icon=" + (carpeta / "suelto.png").string() + "\n");
    entrada("org.ejemplo.Tema", "Icon=del-tema\n");
    entrada("org.ejemplo.Viejo", "Icon=viejo\n");
    entrada("org.ejemplo.ConExtension", "Icon=viejo.png\n");
    entrada("org.ejemplo.Roto", "Icon=" + (carpeta / "roto.png").string() + "\n");
    entrada("org.ejemplo.SinIcono", "");
    entrada("org.ejemplo.IconoAusente", "Icon=no-esta-en-ningun-sitio\n");
    entrada("org.ejemplo.Relativo", "Icon=../escapado.png\n");
    entrada("org.ejemplo.Oculta", "Icon=del-tema\nHidden=true\n");
    // Las carpetas del sistema cuentan después de la del usuario, que manda aunque oculte.
    fs::create_directories(carpeta / "sistema/applications");
    const std::string visible = "[Desktop Entry]\nName=S\nIcon=del-tema\n";
    escribir(carpeta / "sistema/applications/org.ejemplo.Sistema.desktop", visible);
    escribir(carpeta / "sistema/applications/org.ejemplo.Oculta.desktop", visible);
    struct Caso {
        std::optional<std::string> id;
        std::optional<QColor> color; // nada: sin icono
    };
    const Caso casos[] = {
        {"org.ejemplo.Ruta", QColor(Qt::red)},
        {"org.ejemplo.Tema", QColor(Qt::blue)},
        {"org.ejemplo.Viejo", QColor(Qt::green)},
        {"org.ejemplo.ConExtension", QColor(Qt::green)},
        {"org.ejemplo.Roto", std::nullopt},
        {"org.ejemplo.SinIcono", std::nullopt},
        {"org.ejemplo.IconoAusente", std::nullopt},
        {"org.ejemplo.Relativo", std::nullopt},
        {"org.ejemplo.Oculta", std::nullopt},
        {"org.ejemplo.Sistema", QColor(Qt::blue)},
        {".desktop", std::nullopt},
        {"org.ejemplo.NoInstalada", std::nullopt},
        {"../applications/org.ejemplo.Ruta", std::nullopt},
        {"", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.id.value_or("(sin id)"));
        const auto icono = Iconos::deApp(caso.id);
        ASSERT_EQ(icono.has_value(), caso.color.has_value());
        if (icono) {
            EXPECT_EQ(colorDe(*icono), *caso.color);
        }
    }
}

TEST_F(Iconos_, LoNoInstaladoSeBuscaOtraVezYLoEncontradoSeGuarda) {
    EXPECT_EQ(Iconos::deApp("org.ejemplo.Tarde"), std::nullopt);
    entrada("org.ejemplo.Tarde", "Icon=del-tema\n");
    const auto icono = Iconos::deApp("org.ejemplo.Tarde");
    ASSERT_TRUE(icono.has_value());
    EXPECT_EQ(colorDe(*icono), QColor(Qt::blue));

    // Con la entrada instalada pero su icono aún no, tampoco se guarda la ausencia.
    entrada("org.ejemplo.IconoTarde", "Icon=llega-tarde\n");
    EXPECT_EQ(Iconos::deApp("org.ejemplo.IconoTarde"), std::nullopt);
    png(carpeta / "datos/pixmaps/llega-tarde.png", Qt::magenta);
    const auto tarde = Iconos::deApp("org.ejemplo.IconoTarde");
    ASSERT_TRUE(tarde.has_value());
    EXPECT_EQ(colorDe(*tarde), QColor(Qt::magenta));

    // Ya encontrado, no se vuelve a leer: desinstalarla no lo borra de la lista.
    fs::remove(aplicaciones() / "org.ejemplo.Tarde.desktop");
    const auto otraVez = Iconos::deApp("org.ejemplo.Tarde");
    ASSERT_TRUE(otraVez.has_value());
    EXPECT_EQ(colorDe(*otraVez), QColor(Qt::blue));
}

} // namespace
