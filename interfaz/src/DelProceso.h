#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

namespace rebisco::detalle {

template <typename T> class Guardado : public QObject {
public:
    explicit Guardado(QObject* padre)
        : QObject(padre) {}
    T valor{};
};

// Un valor que vive lo que la aplicación Qt: lo posee un hijo de qApp, así que se destruye con
// ella y nunca después (los iconos y dibujos no pueden sobrevivir a la aplicación). Con una
// aplicación nueva empieza de cero.
template <typename T> T& delProceso() {
    static QPointer<Guardado<T>> guardado;
    if (!guardado) guardado = new Guardado<T>(QCoreApplication::instance());
    return guardado->valor;
}

} // namespace rebisco::detalle
