// Pinta cada pestaña de la ventana de ajustes sin pantalla, en claro y en oscuro, con un
// historial y dos apps excluidas, y guarda las imágenes PNG: foto_ajustes <carpeta>.
#include "AyudasApp.h"
#include <interfaz/Apariencia.h>

#include <ajustes/AjustesGenerales.h>
#include <ajustes/GrabadorAtajo.h>
#include <ajustes/VentanaAjustes.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QStyleFactory>

#include <cstdio>

using namespace pruebas;

namespace {

void escribir(const std::filesystem::path& ruta, const char* texto) {
    std::filesystem::create_directories(ruta.parent_path());
    QFile f(QString::fromStdString(ruta.string()));
    if (f.open(QIODevice::WriteOnly)) f.write(texto);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("uso: foto_ajustes <carpeta>\n", stderr);
        return 2;
    }
    qputenv("LANGUAGE", "es");
    qputenv("LANG", "es_ES.UTF-8");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    CarpetaTemporal casa;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((casa / "datos").string()));
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString((casa / "sistema").string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((casa / "config").string()));
    escribir(casa / "datos/applications/org.xfce.mousepad.desktop",
             "[Desktop Entry]\nType=Application\nName=Mousepad\nExec=mousepad\n");
    escribir(casa / "datos/applications/org.keepassxc.KeePassXC.desktop",
             "[Desktop Entry]\nType=Application\nName=KeePassXC\nExec=keepassxc\n");
    QApplication aplicacion(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString carpeta = QString::fromLocal8Bit(argv[1]);
    const char* nombres[] = {"general", "historial", "privacidad", "grabando"};
    for (const auto& [tema, paleta] : {std::pair{"claro", rebisco::Apariencia::clara()},
                                       std::pair{"oscuro", rebisco::Apariencia::oscura()}}) {
        QApplication::setPalette(paleta);
        for (int pestana = 0; pestana < 4; ++pestana) {
            Banco banco;
            banco.iniciar();
            banco.guardarVarios(42);
            banco.preferencias.set(rebisco::Preferencias::appsExcluidas,
                                   QStringLiteral("org.keepassxc.KeePassXC\norg.xfce.mousepad\n"
                                                  "com.ejemplo.desinstalada"));
            banco.preferencias.set(rebisco::Preferencias::limitarDias, true);
            banco.estado->ponerPestanaAjustes(
                static_cast<rebisco::PestanaAjustes>(pestana == 3 ? 0 : pestana));
            rebisco::VentanaAjustes ventana(*banco.estado);
            ventana.mostrar();
            if (pestana == 3) {
                // El grabador esperando, tras rechazar una combinación.
                ventana.general().grabador().click();
                banco.estado->ponerRechazoAtajo(rebisco::GrabadorAtajo::motivoDeRechazo(
                    banco.plataforma.teclado(), 8, 0x100, QStringLiteral("c")));
            }
            esperar(std::chrono::milliseconds(50));
            const QString nombre =
                QStringLiteral("%1/ajustes-%2-%3.png").arg(carpeta, nombres[pestana], tema);
            if (!ventana.grab().save(nombre)) {
                std::fprintf(stderr, "no se pudo guardar %s\n", qPrintable(nombre));
                return 1;
            }
            std::printf("%s %dx%d\n", qPrintable(nombre), ventana.width(), ventana.height());
        }
    }
    return 0;
}
