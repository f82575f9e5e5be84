#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace rebisco {

// Un solo rebisco por usuario: el primero guarda un cerrojo y escucha en un enchufe local de
// la carpeta de ejecución del usuario; uno que llega después le pide que se muestre y sale.
class UnaInstancia : public QObject {
    Q_OBJECT
public:
    // La primera instancia, o nada si ya corre otra (que ya recibió el aviso de reabrir).
    static std::unique_ptr<UnaInstancia> tomar(const QString& carpeta = carpetaDeEjecucion());

    // $XDG_RUNTIME_DIR, o la que Qt da en su lugar (suya, 0700).
    static QString carpetaDeEjecucion();

signals:
    // Otro arranque pidió que se vea esta.
    void reabrir();

private:
    UnaInstancia(std::unique_ptr<QLockFile> cerrojo, QString nombre);
    void atender();

    std::unique_ptr<QLockFile> cerrojo;
    QLocalServer servidor;
};

} // namespace rebisco
