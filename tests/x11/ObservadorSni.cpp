// Un observador StatusNotifierWatcher mínimo para las pruebas: se queda con el nombre
// org.kde.StatusNotifierWatcher del bus de sesión, se anuncia con un anfitrión (sin él, Qt no
// usa la bandeja de D-Bus) y escribe en su salida "registrado <servicio> <ruta>" por cada ítem
// que se registra y "retirado <servicio>" cuando el ítem se va del bus.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QStringList>

#include <cstdio>

namespace {

void decir(const QString& linea) {
    std::printf("%s\n", qPrintable(linea));
    std::fflush(stdout);
}

class Observador : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registrados)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hayAnfitrion)
    Q_PROPERTY(int ProtocolVersion READ version)

public:
    explicit Observador(QObject* padre)
        : QDBusAbstractAdaptor(padre) {
        vigilante.setConnection(QDBusConnection::sessionBus());
        vigilante.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&vigilante, &QDBusServiceWatcher::serviceUnregistered, this,
                [this](const QString& servicio) {
                    for (auto it = items.begin(); it != items.end();) {
                        if (it->startsWith(servicio + u'/')) {
                            emit StatusNotifierItemUnregistered(*it);
                            it = items.erase(it);
                        } else {
                            ++it;
                        }
                    }
                    decir(QStringLiteral("retirado ") + servicio);
                });
    }

    QStringList registrados() const { return items; }
    bool hayAnfitrion() const { return true; }
    int version() const { return 0; }

public slots:
    // El argumento es un nombre de servicio (y el ítem está en /StatusNotifierItem) o una ruta
    // de objeto del que llama.
    void RegisterStatusNotifierItem(const QString& argumento, const QDBusMessage& mensaje) {
        const bool esRuta = argumento.startsWith(u'/');
        const QString servicio = esRuta ? mensaje.service() : argumento;
        const QString ruta = esRuta ? argumento : QStringLiteral("/StatusNotifierItem");
        const QString item = servicio + ruta;
        if (!items.contains(item)) items.push_back(item);
        vigilante.addWatchedService(servicio);
        emit StatusNotifierItemRegistered(item);
        decir(QStringLiteral("registrado %1 %2").arg(servicio, ruta));
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();

private:
    QStringList items;
    QDBusServiceWatcher vigilante;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication aplicacion(argc, argv);
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fputs("observador_sni: sin bus de sesión\n", stderr);
        return 1;
    }
    QObject raiz;
    new Observador(&raiz);
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &raiz) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fputs("observador_sni: el nombre ya tiene dueño\n", stderr);
        return 1;
    }
    bus.registerService(
        QStringLiteral("org.kde.StatusNotifierHost-%1").arg(QCoreApplication::applicationPid()));
    decir(QStringLiteral("listo"));
    return QCoreApplication::exec();
}

#include "ObservadorSni.moc"
