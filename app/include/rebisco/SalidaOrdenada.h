#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace rebisco {

// SIGTERM, SIGINT y SIGHUP terminan el bucle de Qt en lugar del proceso, para que el estado se
// cierre con orden y los destructores corran. Una señal solo puede escribir en una
// tubería; el bucle la lee y llama a QCoreApplication::quit. Uno por proceso, creado
// después de la aplicación Qt.
class SalidaOrdenada : public QObject {
    Q_OBJECT
public:
    explicit SalidaOrdenada(QObject* padre = nullptr);
    ~SalidaOrdenada() override;

private:
    std::unique_ptr<QSocketNotifier> aviso;
};

} // namespace rebisco
