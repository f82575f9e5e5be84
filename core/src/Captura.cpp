#include "nucleo/Captura.h"

#include "nucleo/Busqueda.h"
#include "nucleo/Imagenes.h"

#include "Texto.h"

#include <algorithm>

namespace nucleo::Captura {

namespace {

constexpr std::size_t maximoBusqueda = 20000;
constexpr std::size_t maximoVista = 300;
constexpr std::int64_t ladoMiniatura = 320;

Bytes utf8(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

const Bytes* buscar(const LecturaPortapapeles& lectura, std::string_view tipo) {
    const auto it = lectura.datos.find(std::string(tipo));
    return it == lectura.datos.end() ? nullptr : &it->second;
}

std::string ultimoComponente(std::string_view ruta) {
    while (ruta.size() > 1 && ruta.back() == '/')
        ruta.remove_suffix(1);
    const auto barra = ruta.rfind('/');
    if (barra == std::string_view::npos || ruta.size() == 1) return std::string(ruta);
    return std::string(ruta.substr(barra + 1));
}

template <typename T> std::string unir(const std::vector<T>& partes, std::string_view separador) {
    std::string salida;
    for (std::size_t i = 0; i < partes.size(); ++i) {
        if (i > 0) salida += separador;
        salida += partes[i];
    }
    return salida;
}

RecorteNuevo deArchivos(const std::vector<std::string>& rutas) {
    const std::string unidas = unir(rutas, "\n");
    std::vector<std::string> nombres;
    for (const auto& r : rutas)
        nombres.push_back(ultimoComponente(r));
    return {
        .clase = ClaseRecorte::archivos,
        .vista = unir(nombres, ", "),
        .textoBusqueda = Busqueda::normalizar(Texto::primerosGrafemas(unidas, maximoBusqueda)),
        .huella = huella("A", utf8(unidas)),
        .representaciones = {{.tipo = std::string(TipoDato::rutas), .datos = utf8(unidas)}},
    };
}

std::optional<Bytes> imagenDe(const LecturaPortapapeles& lectura) {
    if (const Bytes* png = buscar(lectura, TipoDato::png)) return *png;
    if (const Bytes* tiff = buscar(lectura, TipoDato::tiff)) return Imagenes::aPNG(*tiff);
    return std::nullopt;
}

std::string vistaDeImagen(const Bytes& png) {
    const auto d = Imagenes::dimensiones(png);
    if (!d) return "";
    return std::to_string(d->ancho) + " \u00d7 " + std::to_string(d->alto);
}

std::optional<RecorteNuevo> deContenido(const LecturaPortapapeles& lectura, bool guardarImagenes) {
    const Bytes* bytesTexto = buscar(lectura, TipoDato::texto);
    const std::string texto = bytesTexto ? Texto::repararUtf8(*bytesTexto) : std::string();
    const bool enBlanco = Texto::recortar(texto, Texto::esBlancoONuevaLinea).empty();
    const Bytes* rtf = buscar(lectura, TipoDato::rtf);
    const Bytes* html = buscar(lectura, TipoDato::html);

    std::optional<Bytes> imagen;
    if (guardarImagenes && (enBlanco || !rtf)) imagen = imagenDe(lectura);

    std::vector<Representacion> representaciones;
    if (!enBlanco) {
        representaciones.push_back({std::string(TipoDato::texto), utf8(texto)});
        if (rtf) representaciones.push_back({std::string(TipoDato::rtf), *rtf});
        if (html) representaciones.push_back({std::string(TipoDato::html), *html});
    }
    if (imagen) representaciones.push_back({std::string(TipoDato::png), *imagen});

    const bool enlace = !enBlanco && esEnlace(texto);
    if (imagen && (enBlanco || enlace)) {
        const std::string vista = vistaDeImagen(*imagen);
        std::string busqueda = "imagen image " + vista;
        if (!enBlanco) busqueda += " " + texto;
        return RecorteNuevo{
            .clase = ClaseRecorte::imagen,
            .vista = vista,
            .textoBusqueda = Busqueda::normalizar(busqueda),
            .huella = huella("I", *imagen),
            .representaciones = std::move(representaciones),
            .miniatura = Imagenes::miniatura(*imagen, ladoMiniatura),
        };
    }
    if (representaciones.empty()) return std::nullopt;
    return RecorteNuevo{
        .clase = enlace ? ClaseRecorte::enlace : ClaseRecorte::texto,
        .vista = vistaDeTexto(texto),
        .textoBusqueda = Busqueda::normalizar(Texto::primerosGrafemas(texto, maximoBusqueda)),
        .huella = huella("T", utf8(texto)),
        .representaciones = std::move(representaciones),
    };
}

} // namespace

std::optional<MotivoIgnorado> motivoParaNoLeer(const std::set<std::string>& tipos,
                                               const std::optional<std::string>& appId,
                                               const OpcionesCaptura& opciones) {
    const auto anunciado = [&](std::string_view tipo) {
        return tipos.find(std::string(tipo)) != tipos.end();
    };
    if (opciones.ignorarConfidencial &&
        std::any_of(marcasConfidenciales.begin(), marcasConfidenciales.end(), anunciado)) {
        return MotivoIgnorado::confidencial;
    }
    if (anunciado(marcaRemota)) return MotivoIgnorado::remoto;
    if (appId && opciones.appsExcluidas.contains(*appId)) return MotivoIgnorado::appExcluida;
    return std::nullopt;
}

ResultadoCaptura interpretar(const LecturaPortapapeles& lectura, const OpcionesCaptura& opciones) {
    if (const auto motivo = motivoParaNoLeer(lectura.tipos, lectura.appId, opciones)) {
        return *motivo;
    }
    std::optional<RecorteNuevo> recorte = lectura.rutas.empty()
                                              ? deContenido(lectura, opciones.guardarImagenes)
                                              : deArchivos(lectura.rutas);
    if (!recorte) return MotivoIgnorado::vacio;
    if (recorte->bytes() > opciones.bytesMaximos) return MotivoIgnorado::demasiadoGrande;
    recorte->appId = lectura.appId;
    recorte->appNombre = lectura.appNombre;
    return std::move(*recorte);
}

std::string vistaDeTexto(std::string_view texto) {
    std::string unidas;
    std::size_t comprobarDesde = 4 * maximoVista;
    Texto::partir(texto, Texto::esNuevaLinea, [&](std::string_view trozo) {
        const auto limpio = Texto::recortar(trozo, Texto::esBlanco);
        if (limpio.empty()) return true;
        if (!unidas.empty()) unidas += '\n';
        unidas += limpio;
        // Un texto de megas no se recorre entero: basta con tener ya los primeros caracteres.
        if (unidas.size() < comprobarDesde) return true;
        comprobarDesde = 2 * unidas.size();
        return Texto::prefijoDeGrafemas(unidas, maximoVista) == unidas.size();
    });
    return std::string(Texto::primerosGrafemas(unidas, maximoVista));
}

} // namespace nucleo::Captura
