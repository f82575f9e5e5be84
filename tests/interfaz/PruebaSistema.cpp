#include <interfaz/Sistema.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Recibe lo que el escritorio abriría, en lugar de abrirlo.
class Receptor : public QObject {
    Q_OBJECT

public:
    QList<QUrl> abiertos;

public slots:
    void abrir(const QUrl& url) { abiertos << url; }
};

TEST(Sistema, SoloSeAbreUnEnlaceValidoYAbsoluto) {
    Receptor receptor;
    // El esquema vacío atraparía un enlace relativo que se colara hasta el escritorio.
    for (const char* esquema : {"https", "http", "mailto", "rebisco-prueba", ""})
        QDesktopServices::setUrlHandler(QString::fromLatin1(esquema), &receptor, "abrir");
    struct Caso {
        const char* texto;
        bool seAbre;
    };
    const Caso casos[] = {
        {"https://ejemplo.org/ruta?q=1#a", true},
        {"http://ejemplo.org", true},
        {"mailto:alguien@ejemplo.org", true},
        {"rebisco-prueba:algo", true},
        {"", false},
        {"no es un enlace", false},
        {"ejemplo.org/ruta", false},        // sin esquema
        {"https://ejem plo.org", false},    // un espacio no vale en modo estricto
        {"https://ejemplo.org/%zz", false}, // escape mal formado
        {"https://[::1", false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.texto);
        receptor.abiertos.clear();
        rebisco::Sistema::abrir(QString::fromUtf8(caso.texto));
        ASSERT_EQ(receptor.abiertos.size(), caso.seAbre ? 1 : 0);
        if (caso.seAbre) {
            EXPECT_EQ(receptor.abiertos.front(), QUrl(QString::fromUtf8(caso.texto)));
        }
    }
    for (const char* esquema : {"https", "http", "mailto", "rebisco-prueba", ""})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(esquema));
}

} // namespace

#include "PruebaSistema.moc"
