#pragma once

#include "EntornoX11.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace pruebas_x11 {

using namespace std::chrono_literals;

// Un programa cualquiera con el bucle de Qt vivo (quien contesta puede ser este proceso): lo
// que escribe, o nada si falla (y la prueba falla con lo que dijo en su salida de errores).
std::optional<QString> salidaDe(const QString& programa, const QStringList& argumentos);

// Un programa de fondo mientras vive, con lo que va escribiendo.
class Fondo {
public:
    Fondo(const QString& programa, const QStringList& argumentos,
          const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment());
    ~Fondo();
    Fondo(const Fondo&) = delete;
    Fondo& operator=(const Fondo&) = delete;

    void terminar();
    // Espera a una línea entera que empieza así y la devuelve.
    std::optional<QString> linea(const QString& comienzo, std::chrono::milliseconds plazo = 10s);

private:
    QProcess proceso;
    QString salida;
};

} // namespace pruebas_x11
