#include "UnaInstancia.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>

namespace rebisco {

namespace {

constexpr QByteArrayView pedido = "reabrir\n";

// Quien tiene el cerrojo puede estar aún arrancando, sin escuchar todavía: se insiste un rato.
bool avisarALaOtra(const QString& nombre) {
    QElapsedTimer plazo;
    plazo.start();
    do {
        QLocalSocket enchufe;
        enchufe.connectToServer(nombre);
        if (enchufe.waitForConnected(500)) {
            enchufe.write(pedido.data(), pedido.size());
            const bool escrito = enchufe.waitForBytesWritten(1000);
            enchufe.disconnectFromServer();
            return escrito;
        }
        QThread::msleep(100);
    } while (plazo.elapsed() < 3000);
    return false;
}

} // namespace

QString UnaInstancia::carpetaDeEjecucion() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

std::unique_ptr<UnaInstancia> UnaInstancia::tomar(const QString& carpeta) {
    QDir().mkpath(carpeta);
    auto cerrojo = std::make_unique<QLockFile>(carpeta + QStringLiteral("/rebisco.lock"));
    // Nunca caduca por edad: solo cuando el proceso que lo puso ya no existe.
    cerrojo->setStaleLockTime(0);
    const QString nombre = carpeta + QStringLiteral("/rebisco.enchufe");
    if (!cerrojo->tryLock(0)) {
        if (cerrojo->error() == QLockFile::LockFailedError) {
            if (!avisarALaOtra(nombre))
                std::fputs("rebisco: ya hay otro rebisco abierto, pero no responde\n", stderr);
            return nullptr;
        }
        // Sin poder escribir el cerrojo no se sabe de otras: mejor correr que no correr.
        std::fprintf(stderr, "rebisco: no se pudo crear %s\n", qPrintable(cerrojo->fileName()));
    }
    return std::unique_ptr<UnaInstancia>(new UnaInstancia(std::move(cerrojo), nombre));
}

UnaInstancia::UnaInstancia(std::unique_ptr<QLockFile> cerrojoTomado, QString nombre)
    : cerrojo(std::move(cerrojoTomado)) {
    // Con el cerrojo en la mano, un enchufe que quede es de una instancia que ya no está.
    QLocalServer::removeServer(nombre);
    servidor.setSocketOptions(QLocalServer::UserAccessOption);
    if (!servidor.listen(nombre))
        std::fprintf(stderr, "rebisco: no se puede escuchar en %s: %s\n", qPrintable(nombre),
                     qPrintable(servidor.errorString()));
    connect(&servidor, &QLocalServer::newConnection, this, &UnaInstancia::atender);
}

void UnaInstancia::atender() {
    while (QLocalSocket* enchufe = servidor.nextPendingConnection()) {
        connect(enchufe, &QLocalSocket::disconnected, enchufe, &QObject::deleteLater);
        connect(enchufe, &QLocalSocket::readyRead, this, [this, enchufe] {
            // Solo se entiende una orden; lo demás se descarta sin leerlo entero.
            if (enchufe->canReadLine() || enchufe->bytesAvailable() >= pedido.size()) {
                const QByteArray linea = enchufe->read(pedido.size());
                enchufe->disconnectFromServer();
                if (linea == pedido) emit reabrir();
            }
        });
    }
}

} // namespace rebisco
