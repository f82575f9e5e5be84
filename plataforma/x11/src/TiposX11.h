#pragma once

// Traducción entre los destinos de una selección X11 (tipos MIME y átomos clásicos) y los
// identificadores de tipo del núcleo. Solo funciones puras: se prueban sin servidor X.

#include <cstdint>
#include <filesystem>
#include <nucleo/Captura.h>
#include <optional>
#include <string>

#include <string_view>
#include <vector>

namespace plataforma::x11::tipos {

// Los identificadores son los del núcleo; aquí solo se traducen a destinos de X11.
inline constexpr std::string_view texto = nucleo::TipoDato::texto;
inline constexpr std::string_view rtf = nucleo::TipoDato::rtf;
inline constexpr std::string_view html = nucleo::TipoDato::html;
inline constexpr std::string_view png = nucleo::TipoDato::png;
inline constexpr std::string_view tiff = nucleo::TipoDato::tiff;
inline constexpr std::string_view urlArchivo = "public.file-url";
inline constexpr std::string_view confidencial = "org.nspasteboard.ConcealedType";

inline constexpr std::string_view pistaContrasena = "x-kde-passwordManagerHint";
inline constexpr std::string_view listaUris = "text/uri-list";
inline constexpr std::string_view archivosGnome = "x-special/gnome-copied-files";

// Destinos que describen la selección o piden una acción, no contenido.
bool esPseudoDestino(std::string_view destino);

// El identificador con que se anuncia un destino; ausente para los pseudodestinos.
std::optional<std::string> identificadorDe(std::string_view destino);

// Los identificadores de una lista de destinos, en su orden y sin repetir.
std::vector<std::string> identificadores(const std::vector<std::string>& destinos);

// Los destinos ofrecidos que sirven para leer un identificador, del preferido al último.
std::vector<std::string> destinosParaLeer(std::string_view identificador,
                                          const std::vector<std::string>& ofrecidos);

// Formatos MIME con que se escribe un identificador (sin contar el texto, que escribe
// QMimeData::setText); vacío si no se puede ofrecer.
std::vector<std::string> formatosParaEscribir(std::string_view identificador);

// Si una respuesta a un destino de texto es texto: un tipo de texto (UTF8_STRING, STRING,
// TEXT, C_STRING, COMPOUND_TEXT o text/...) en bytes (formato 8).
bool esRespuestaDeTexto(std::string_view tipoRespuesta, int formato);

// Texto UTF-8 a partir de los bytes recibidos para un destino de texto, según el tipo
// que declaró el dueño. Ausente si no se sabe decodificar.
std::optional<std::string> textoDe(std::string_view destino, std::string_view tipoRespuesta,
                                   const std::vector<std::uint8_t>& bytes);

// HTML en UTF-16 (lo que dan algunos navegadores) pasado a UTF-8; lo demás sin tocar.
std::vector<std::uint8_t> htmlEnUtf8(std::vector<std::uint8_t> bytes);

// Rutas locales de una lista de URL (text/uri-list o, con esGnome, gnome-copied-files,
// cuya primera línea es copy/cut), en orden. Solo file:// de esta máquina.
std::vector<std::filesystem::path> rutasDeUris(std::string_view lista, bool esGnome,
                                               std::string_view nombreMaquina = {});

// file:///... con los bytes que no son seguros en una URL escritos como %XX.
std::string uriDeRuta(const std::filesystem::path& ruta);

} // namespace plataforma::x11::tipos
