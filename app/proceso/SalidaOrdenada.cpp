#include "rebisco/SalidaOrdenada.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace rebisco {

namespace {

int tuberia[2] = {-1, -1};

void alRecibirSenal(int) {
    const char c = 1;
    // Si la tubería está llena ya hay una salida pendiente: perder esta no cambia nada.
    [[maybe_unused]] auto escrito = ::write(tuberia[1], &c, 1);
}

void instalar(void (*manejador)(int)) {
    struct sigaction accion {};
    accion.sa_handler = manejador;
    sigemptyset(&accion.sa_mask);
    accion.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &accion, nullptr);
    sigaction(SIGINT, &accion, nullptr);
    // El fin de la sesión o de la terminal de la que se lanzó también es una salida.
    sigaction(SIGHUP, &accion, nullptr);
}

} // namespace

SalidaOrdenada::SalidaOrdenada(QObject* padre)
    : QObject(padre) {
    if (::pipe2(tuberia, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("rebisco: sin tubería para las señales");
        return;
    }
    aviso = std::make_unique<QSocketNotifier>(tuberia[0], QSocketNotifier::Read);
    connect(aviso.get(), &QSocketNotifier::activated, this, [] {
        char c;
        while (::read(tuberia[0], &c, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    instalar(alRecibirSenal);
}

SalidaOrdenada::~SalidaOrdenada() {
    if (!aviso) return;
    // Tras el bucle, una señal vuelve a terminar el proceso como siempre.
    instalar(SIG_DFL);
    aviso.reset();
    ::close(tuberia[0]);
    ::close(tuberia[1]);
    tuberia[0] = tuberia[1] = -1;
}

} // namespace rebisco
