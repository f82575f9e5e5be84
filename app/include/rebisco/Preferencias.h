#pragma once

#include "rebisco/Entorno.h"

#include <nucleo/Modelo.h>

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rebisco {

// Un almacén de preferencias clave-valor con valores registrados por defecto, que se ven
// mientras el usuario no haya guardado otro válido. Los tipos no se convierten entre sí: un
// texto "5" no es un entero. Anuncia cada clave cuyo valor efectivo cambia, para que una vista
// que muestra un ajuste siga un cambio hecho en otra.
class AlmacenPreferencias : public QObject {
    Q_OBJECT
public:
    ~AlmacenPreferencias() override = default;

    // Lo guardado si vale para la clave (Preferencias::admite), si no lo registrado.
    QVariant object(const QString& clave) const;
    // Un QVariant inválido borra la clave.
    virtual void set(const QString& clave, const QVariant& valor) = 0;
    virtual void removeObject(const QString& clave) = 0;
    virtual void registrar(const QVariantMap& pares) = 0;

    bool boolean(const QString& clave) const;
    qint64 integer(const QString& clave) const;
    std::optional<QString> string(const QString& clave) const;

signals:
    void cambio(const QString& clave);

protected:
    // Lo que el usuario guardó y lo registrado, sin más; inválidos si no hay.
    virtual QVariant guardado(const QString& clave) const = 0;
    virtual QVariant registrado(const QString& clave) const = 0;
    // Tras escribir: anuncia la clave si su valor efectivo ya no es el de antes.
    void anunciarSiCambio(const QString& clave, const QVariant& antes);
};

// Solo en memoria: lo que se guarda se pierde al salir. Es el de las ejecuciones de prueba.
class PreferenciasEnMemoria : public AlmacenPreferencias {
public:
    void set(const QString& clave, const QVariant& valor) override;
    void removeObject(const QString& clave) override;
    void registrar(const QVariantMap& pares) override;

protected:
    QVariant guardado(const QString& clave) const override { return valores.value(clave); }
    QVariant registrado(const QString& clave) const override { return iniciales.value(clave); }

private:
    QVariantMap valores;
    QVariantMap iniciales;
};

// Persistente: un JSON en la carpeta de configuración del usuario, escrito de forma
// atómica. Un archivo dañado se aparta con otro nombre y se avisa; nunca se pisa.
class PreferenciasEnArchivo : public AlmacenPreferencias {
public:
    explicit PreferenciasEnArchivo(std::filesystem::path ruta);

    void set(const QString& clave, const QVariant& valor) override;
    void removeObject(const QString& clave) override;
    void registrar(const QVariantMap& pares) override;

    const std::filesystem::path& ruta() const { return archivo; }
    // Qué pasó con el archivo al cargarlo o al guardarlo, si algo fue mal.
    const std::optional<QString>& problema() const { return problemaArchivo; }

protected:
    QVariant guardado(const QString& clave) const override { return valores.value(clave); }
    QVariant registrado(const QString& clave) const override { return iniciales.value(clave); }

private:
    void anotarProblema(const QString& texto);
    void cargar();
    void guardar();

    std::filesystem::path archivo;
    QVariantMap valores;
    QVariantMap iniciales;
    std::optional<QString> problemaArchivo;
    // Un archivo que existe pero no se pudo leer no se reemplaza: los cambios quedan en memoria.
    bool soloMemoria = false;
};

namespace Preferencias {

inline constexpr auto limitarCantidad = "limitarCantidad";
inline constexpr auto maximoRecortes = "maximoRecortes";
inline constexpr auto limitarDias = "limitarDias";
inline constexpr auto maximoDias = "maximoDias";
inline constexpr auto megasMaximos = "megasMaximos";
inline constexpr auto limitarEspacio = "limitarEspacio";
inline constexpr auto megasTotales = "megasTotales";
inline constexpr auto guardarImagenes = "guardarImagenes";
inline constexpr auto ignorarConfidencial = "ignorarConfidencial";
inline constexpr auto appsExcluidas = "appsExcluidas";
inline constexpr auto pegarAlElegir = "pegarAlElegir";
inline constexpr auto pausado = "pausado";
inline constexpr auto atajoCodigo = "atajoCodigo";
inline constexpr auto atajoModificadores = "atajoModificadores";
// Escritas por el programa, sin valor registrado: falsas o ausentes hasta que se escriben.
inline constexpr auto yaSeAbrio = "yaSeAbrio";
inline constexpr auto huellaConocida = "huellaConocida";
inline constexpr auto mudanzaDeOlvane = "mudanzaDeOlvane";

// Los catorce valores registrados por defecto.
QVariantMap registrados();

// Si un valor guardado cuenta para la clave: del tipo de su valor registrado (si lo tiene) y,
// para los límites, de 1 en adelante. Un valor que no cuenta se
// toma por ausente, y vale el registrado: un ajuste mal escrito nunca borra más ni deja
// pasar lo confidencial.
bool admite(const QString& clave, const QVariant& valor, const QVariant& registrado);

// El almacén de un proceso con este entorno: en memoria en una ejecución de prueba, si no el
// archivo del usuario; ya con los valores registrados. Lo posee quien lo pide.
std::unique_ptr<AlmacenPreferencias> crear(const Entorno& entorno);

// Dónde vive el JSON de preferencias del usuario.
std::filesystem::path archivoDelUsuario();

// Lo que hay en un JSON de preferencias tipado, leído sin tocar el archivo.
struct Lectura {
    enum class Estado {
        falta,    // no hay archivo
        ilegible, // existe pero no se pudo abrir
        danado,   // no es un JSON de preferencias, o tiene entradas que no se entienden
        sano,
    };
    Estado estado = Estado::falta;
    QVariantMap valores; // lo legible, también de un archivo dañado
    QString error;       // por qué no se pudo abrir
};
Lectura leerArchivo(const std::filesystem::path& ruta);

std::filesystem::path carpetaDatos(const Entorno& entorno);

// Las líneas no vacías de un ajuste de varias líneas, sin blancos a los lados.
std::vector<std::string> lineas(std::string_view texto);

nucleo::OpcionesCaptura opcionesCaptura(const AlmacenPreferencias& almacen);
nucleo::PoliticaRetencion politica(const AlmacenPreferencias& almacen);

} // namespace Preferencias

} // namespace rebisco
