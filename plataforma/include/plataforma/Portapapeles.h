#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plataforma {

using Datos = std::vector<std::uint8_t>;

// Un tipo con sus bytes, tal como se escribe de vuelta al portapapeles.
struct Pieza {
    std::string tipo;
    Datos datos;

    bool operator==(const Pieza&) const = default;
};

// Un contenido concreto del portapapeles (lo que copió un dueño, una vez), para reconocerlo
// cuando su dueño se va; 0 es ninguno o uno que el backend no sabe distinguir.
using Contenido = std::uint64_t;

// Quien toma el relevo cuando el dueño de un contenido se va. Se llama en el hilo principal.
struct Relevo {
    // El dueño de este contenido quiere dejarlo al gestor del portapapeles antes de irse.
    // true: el backend lee todo lo que ofrece y lo guarda; false: se rechaza sin leer nada.
    std::function<bool(Contenido)> aceptarEntrega;
    // El dueño de este contenido se fue (cerró o perdió su ventana): el portapapeles está vacío.
    std::function<void(Contenido)> alIrseElDueno;
};

// Un portapapeles, el general o uno con nombre. Los tipos se nombran con los
// identificadores del núcleo ("public.utf8-plain-text", "public.png"...); cada
// backend los traduce a lo suyo.
//
// Las lecturas nunca lanzan ni se quedan esperando: lo que no se pudo leer a tiempo
// es ausente.
class Portapapeles {
public:
    virtual ~Portapapeles() = default;

    // Cambia cada vez que alguien, también este proceso, escribe el portapapeles.
    virtual std::int64_t contadorCambios() = 0;

    // Los tipos del contenido actual; ausente cuando no hay lista de tipos.
    virtual std::optional<std::vector<std::string>> tipos() = 0;

    // Las rutas de los archivos copiados, en orden; ausente si el contenido no son archivos.
    virtual std::optional<std::vector<std::filesystem::path>> archivos() = 0;

    // El texto plano como cadena UTF-8.
    virtual std::optional<std::string> texto() = 0;

    // Los bytes de un tipo (RTF, HTML, PNG, TIFF...).
    virtual std::optional<Datos> datos(std::string_view tipo) = 0;

    // Comportamiento de acceso: 0 sin decidir, 1 preguntar, 2 permitir siempre,
    // 3 denegar siempre.
    virtual int comportamientoAcceso() = 0;

    // Escrituras: cada una reemplaza el contenido entero y cuenta como un cambio.
    virtual void vaciar() = 0;
    virtual bool escribirTexto(std::string_view texto) = 0;
    virtual bool escribirArchivos(const std::vector<std::filesystem::path>& rutas) = 0;
    virtual bool escribirPiezas(const std::vector<Pieza>& piezas) = 0;

    // Si el backend aceptaría este tipo en una escritura de piezas.
    virtual bool aceptaTipo(std::string_view tipo) = 0;

    // El contenido cuya lista dio la última llamada a tipos().
    virtual Contenido contenidoConsultado() = 0;
    // Sustituye al relevo anterior; uno vacío no acepta entregas ni avisa.
    virtual void ponerRelevo(Relevo relevo) = 0;
    // Escribe, como un cambio más, lo que el dueño de este contenido entregó antes de irse, con
    // todos sus tipos; false si de ese contenido no se guardó nada.
    virtual bool escribirEntregado(Contenido contenido) = 0;
    // Lo entregado deja de guardarse (se borró su recorte o el historial).
    virtual void olvidarEntregado() = 0;

    // Si el backend avisa de cada cambio en cuanto ocurre; si no, hay que mirar el contador.
    virtual bool avisaCambios() { return false; }
    // Quién recibe esos avisos, en el hilo principal; a veces dentro de la escritura que
    // causó el cambio, así que no debe escribir ni leer desde el aviso. Uno vacío los quita.
    virtual void alCambiar(std::function<void()> aviso) { (void)aviso; }
};

} // namespace plataforma
