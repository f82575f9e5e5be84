// Una aplicación Qt que copia y sale como cualquier otra: al cerrarse normalmente, Qt pide al
// gestor del portapapeles (CLIPBOARD_MANAGER, SAVE_TARGETS) que guarde lo que ofrecía.
//
//   copia_y_sale rico TEXTO     texto, el mismo en HTML y un tipo propio de la aplicación
//   copia_y_sale imagen         una imagen de 64 × 48
//   copia_y_sale contrasena T   el texto con la pista de los gestores de contraseñas
//
// Escribe «copiado» cuando ya es el dueño; sale al leer una línea por la entrada.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication aplicacion(argc, argv);
    const QString modo = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString texto = argc > 2 ? QString::fromUtf8(argv[2]) : QString();
    auto* datos = new QMimeData;
    if (modo == QLatin1String("rico")) {
        datos->setText(texto);
        datos->setHtml(QStringLiteral("<p><b>%1</b></p>").arg(texto.toHtmlEscaped()));
        datos->setData(QStringLiteral("application/x-rebisco-prueba"), "solo de la app");
    } else if (modo == QLatin1String("imagen")) {
        QImage imagen(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < imagen.height(); ++y)
            for (int x = 0; x < imagen.width(); ++x)
                imagen.setPixel(x, y, qRgb(x * 4, y * 5, 128));
        datos->setImageData(imagen);
    } else if (modo == QLatin1String("contrasena")) {
        datos->setText(texto);
        datos->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
    } else {
        std::fprintf(stderr, "uso: %s rico TEXTO | imagen | contrasena TEXTO\n", argv[0]);
        return 2;
    }
    QGuiApplication::clipboard()->setMimeData(datos, QClipboard::Clipboard);

    QTimer espera;
    QObject::connect(&espera, &QTimer::timeout, [&] {
        if (!QGuiApplication::clipboard()->ownsClipboard()) return;
        espera.stop();
        std::printf("copiado\n");
        std::fflush(stdout);
    });
    espera.start(10);
    QSocketNotifier entrada(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&entrada, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    return aplicacion.exec();
}
