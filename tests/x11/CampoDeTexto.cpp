// Otra aplicación X con un campo de texto: las pruebas pegan en él. Escribe «listo» cuando
// el campo tiene el foco y, en cada cambio, «texto » y el contenido en porcentajes.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    QLineEdit campo;
    campo.setWindowTitle(QStringLiteral("campo de prueba"));
    campo.resize(400, 40);
    QObject::connect(&campo, &QLineEdit::textChanged, [](const QString& texto) {
        std::printf("texto %s\n", texto.toUtf8().toPercentEncoding().constData());
        std::fflush(stdout);
    });
    campo.show();
    campo.activateWindow();
    campo.setFocus();

    QTimer foco;
    bool avisado = false;
    QObject::connect(&foco, &QTimer::timeout, [&] {
        const bool conFoco = campo.isActiveWindow() && campo.hasFocus();
        if (conFoco && !avisado) {
            std::printf("listo\n");
            std::fflush(stdout);
        }
        avisado = conFoco;
    });
    foco.start(20);
    return aplicacion.exec();
}
