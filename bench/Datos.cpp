#include "Datos.h"

#include "Literal.h"

#include <vips/vips8>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <variant>

namespace medicion {

namespace fs = std::filesystem;
using namespace nucleo;

namespace {

constexpr std::string_view vocabulario[] = {
    "de",       "the",        "la",         "and",         "que",        "of",
    "el",       "to",         "en",         "a",           "y",          "in",
    "los",      "is",         "se",         "for",         "del",        "that",
    "las",      "on",         "un",         "with",        "por",        "it",
    "con",      "as",         "no",         "this",        "una",        "be",
    "su",       "are",        "para",       "was",         "es",         "at",
    "al",       "from",       "lo",         "have",        "como",       "or",
    "más",      "by",         "pero",       "not",         "sus",        "we",
    "le",       "you",        "ha",         "can",         "me",         "an",
    "si",       "all",        "sin",        "will",        "sobre",      "your",
    "este",     "which",      "ya",         "has",         "entre",      "they",
    "cuando",   "one",        "todo",       "our",         "esta",       "but",
    "ser",      "their",      "son",        "there",       "dos",        "also",
    "también",  "new",        "fue",        "more",        "había",      "other",
    "era",      "some",       "muy",        "what",        "años",       "time",
    "hasta",    "when",       "desde",      "about",       "está",       "would",
    "mi",       "people",     "porque",     "like",        "qué",        "first",
    "sólo",     "these",      "han",        "project",     "yo",         "meeting",
    "hay",      "report",     "vez",        "data",        "puede",      "file",
    "todos",    "update",     "así",        "team",        "nos",        "budget",
    "ni",       "review",     "parte",      "server",      "tiene",      "version",
    "él",       "release",    "uno",        "issue",       "donde",      "change",
    "bien",     "code",       "tiempo",     "customer",    "mismo",      "design",
    "ese",      "support",    "ahora",      "information", "cada",       "system",
    "e",        "email",      "vida",       "list",        "otro",       "user",
    "después",  "price",      "te",         "account",     "otros",      "order",
    "aunque",   "payment",    "esa",        "schedule",    "eso",        "draft",
    "hace",     "please",     "otra",       "thanks",      "gobierno",   "today",
    "tan",      "tomorrow",   "durante",    "week",        "siempre",    "month",
    "día",      "morning",    "tanto",      "office",      "ella",       "address",
    "tres",     "phone",      "sí",         "number",      "dijo",       "contract",
    "sido",     "invoice",    "gran",       "document",    "país",       "link",
    "según",    "password",   "menos",      "database",    "mundo",      "query",
    "año",      "table",      "antes",      "column",      "estado",     "field",
    "contra",   "error",      "sino",       "warning",     "forma",      "test",
    "caso",     "build",      "nada",       "deploy",      "hacer",      "branch",
    "general",  "commit",     "estaba",     "merge",       "poco",       "script",
    "estos",    "function",   "presidente", "value",       "mayor",      "string",
    "ante",     "image",      "unos",       "screen",      "algo",       "window",
    "hoy",      "button",     "reunión",    "proyecto",    "informe",    "presupuesto",
    "equipo",   "cliente",    "factura",    "contrato",    "correo",     "dirección",
    "teléfono", "mañana",     "semana",     "mes",         "oficina",    "pedido",
    "pago",     "precio",     "cuenta",     "usuario",     "sistema",    "servidor",
    "versión",  "cambio",     "código",     "diseño",      "soporte",    "información",
    "lista",    "borrador",   "gracias",    "favor",       "calendario", "documento",
    "enlace",   "contraseña", "base",       "consulta",    "tabla",      "columna",
    "campo",    "aviso",      "prueba",     "compilación", "despliegue", "rama",
    "fusión",   "función",    "valor",      "cadena",      "imagen",     "pantalla",
    "ventana",  "botón",      "archivo",    "carpeta",     "nombre",     "fecha",
    "hora",     "resumen",    "objetivo",   "tarea",       "plazo",      "entrega",
    "revisión", "acuerdo",    "propuesta",  "viaje",       "hotel",      "vuelo",
    "reserva",  "billete",    "ciudad",     "calle",       "número",     "postal",
    "España",   "Madrid",     "México",     "London",      "Berlin",     "lunes",
    "martes",   "miércoles",  "jueves",     "viernes",     "sábado",     "domingo",
    "enero",    "febrero",    "marzo",      "abril",       "mayo",       "junio",
    "julio",    "agosto",     "septiembre", "octubre",     "noviembre",  "diciembre",
    "Monday",   "Friday",     "coffee",     "lunch",       "dinner",     "café",
    "comida",   "cena",       "niños",      "señor",       "señora",     "Sr.",
    "Dra.",     "pequeño",    "grande",     "nuevo",       "último",
};

// Pesos 1/(rango+1): unas pocas palabras llenan la mayor parte de cada texto.
std::discrete_distribution<std::size_t>& repartoZipf() {
    static std::discrete_distribution<std::size_t> reparto = [] {
        std::vector<double> pesos(std::size(vocabulario));
        for (std::size_t i = 0; i < pesos.size(); ++i)
            pesos[i] = 1.0 / static_cast<double>(i + 1);
        return std::discrete_distribution<std::size_t>(pesos.begin(), pesos.end());
    }();
    return reparto;
}

struct Carpeta {
    fs::path ruta;
    explicit Carpeta(const fs::path& dentroDe) {
        std::string plantilla = (dentroDe / "rebisco-medicion-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) {
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        }
        ruta = plantilla;
    }
    ~Carpeta() {
        std::error_code ec;
        fs::remove_all(ruta, ec);
    }
    Carpeta(const Carpeta&) = delete;
    Carpeta& operator=(const Carpeta&) = delete;
};

// Cambiarlo cuando cambie cómo se generan los textos o las bases: invalida las guardadas.
constexpr std::string_view versionHistorial = "v2";

fs::path carpetaDeHistoriales() {
    if (const char* elegida = std::getenv("REBISCO_BENCH_HISTORIALES"); elegida && *elegida) {
        return elegida;
    }
    return fs::canonical("/proc/self/exe").parent_path() / "historiales";
}

// En MiB.
double megas(const fs::path& ruta) {
    return static_cast<double>(fs::file_size(ruta)) / (1024.0 * 1024.0);
}

std::string etiqueta(std::int64_t recortes) {
    return recortes % 1000 == 0 ? std::to_string(recortes / 1000) + "k" : std::to_string(recortes);
}

// Las bases guardadas son las de las sentencias de siempre, solo con el esquema. Para no
// tardar minutos (sin índice, cada MAX(orden) recorre la tabla), se construyen con un índice
// provisional sobre orden que después se quita. Cada base se construye una sola vez, se
// conserva entre ejecuciones junto al ejecutable, y cada ejecución mide sobre copias.
struct Historiales {
    Carpeta trabajo{fs::temp_directory_path()};
    fs::path guardadas = carpetaDeHistoriales();
    std::unique_ptr<Carpeta> obra;
    std::mt19937_64 azar;
    std::int64_t cuenta = 0;
    fs::path rutaCreciente;
    std::unique_ptr<literal::Base> creciente;
    std::map<std::int64_t, Historial> copias;

    static bool valida(const fs::path& ruta, std::int64_t recortes) {
        std::error_code ec;
        if (!fs::exists(ruta, ec)) return false;
        try {
            literal::Base base(ruta.string());
            return base.filas("SELECT COUNT(*) FROM recortes") ==
                       std::vector<std::string>{"i:" + std::to_string(recortes)} &&
                   base.filas("SELECT name FROM sqlite_master WHERE name LIKE 'rebisco%'").empty();
        } catch (const std::exception&) {
            return false;
        }
    }

    void crecerHasta(std::int64_t objetivo) {
        const auto inicio = std::chrono::steady_clock::now();
        const Instante base = instanteDeMedicion() - std::chrono::hours(24 * 60);
        std::uniform_int_distribution<std::size_t> largo(50, 2000);
        while (cuenta < objetivo) {
            const auto recorte = recorteDeTexto(textoRealista(azar, largo(azar)));
            const auto momento = base + std::chrono::seconds(cuenta * 30);
            if (!creciente->guardar(recorte, momento).repetido) ++cuenta;
        }
        const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
        std::fprintf(stderr, "historial: %lld recortes construidos en %.1f s\n",
                     static_cast<long long>(cuenta), duracion.count());
    }

    void construir(const fs::path& destino, std::int64_t recortes) {
        // Una base que ya pasó de ese tamaño no puede encogerse: se empieza otra.
        if (!creciente || cuenta > recortes) {
            // En memoria (tmpfs) si se puede: cada guardar es una transacción con fsync.
            if (!obra) {
                std::error_code ec;
                obra = std::make_unique<Carpeta>(fs::is_directory("/dev/shm", ec)
                                                     ? fs::path("/dev/shm")
                                                     : fs::temp_directory_path());
            }
            creciente.reset();
            rutaCreciente = obra->ruta / ("creciente-" + std::to_string(recortes) + ".db");
            creciente = std::make_unique<literal::Base>(rutaCreciente.string());
            creciente->ejecutar("CREATE INDEX provisional_orden ON recortes(orden)");
            azar.seed(20240601);
            cuenta = 0;
        }
        crecerHasta(recortes);
        fs::create_directories(guardadas);
        // Copia y renombrado: otra ejecución nunca ve una base a medias.
        const fs::path provisional =
            destino.string() + ".provisional-" + std::to_string(::getpid());
        Almacen::copiarBase(rutaCreciente, provisional);
        {
            literal::Base copia(provisional.string());
            copia.ejecutar("DROP INDEX provisional_orden; PRAGMA incremental_vacuum;");
        }
        fs::rename(provisional, destino);
    }

    const Historial& pedir(std::int64_t recortes) {
        if (const auto it = copias.find(recortes); it != copias.end()) return it->second;
        const fs::path guardada = guardadas / ("historial-" + std::string(versionHistorial) + "-" +
                                               std::to_string(recortes) + ".db");
        if (!valida(guardada, recortes)) construir(guardada, recortes);
        const std::string nombre = "historial-" + std::to_string(recortes);
        Historial h{.almacen = trabajo.ruta / (nombre + "-almacen.db"),
                    .literal = trabajo.ruta / (nombre + "-literal.db")};
        Almacen::copiarBase(guardada, h.literal);
        Almacen::copiarBase(guardada, h.almacen);
        // La primera apertura pone las estructuras auxiliares; se hace aquí, fuera de lo que
        // se mide, como la haría el programa al abrir por primera vez una base anterior.
        const auto inicio = std::chrono::steady_clock::now();
        { Almacen almacen(h.almacen); }
        const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
        std::fprintf(stderr, "historial: estructuras auxiliares de %lld recortes en %.1f s\n",
                     static_cast<long long>(recortes), duracion.count());
        // Cerradas las conexiones, el registro -wal ya está volcado en el archivo principal.
        anotar("base_" + etiqueta(recortes) + "_mb", megas(h.almacen));
        anotar("base_literal_" + etiqueta(recortes) + "_mb", megas(h.literal));
        // Que la escritura diferida de las copias no caiga dentro de lo que se mide.
        ::sync();
        return copias.emplace(recortes, h).first->second;
    }
};

std::vector<std::pair<std::string, double>>& notas() {
    static std::vector<std::pair<std::string, double>> lista;
    return lista;
}

std::uint8_t mezclar(std::uint8_t fondo, std::uint8_t tinta, int alfa) {
    return static_cast<std::uint8_t>((fondo * (255 - alfa) + tinta * alfa) / 255);
}

} // namespace

benchmark::internal::Benchmark* comun(benchmark::internal::Benchmark* b,
                                      benchmark::TimeUnit unidad) {
    // Tiempo real: vips reparte el trabajo en hilos y el de CPU del hilo principal engaña.
    return b->Repetitions(7)->ReportAggregatesOnly(true)->MinTime(0.2)->UseRealTime()->Unit(unidad);
}

std::string textoRealista(std::mt19937_64& azar, std::size_t largo) {
    std::uniform_int_distribution<int> porFrase(4, 18);
    std::uniform_int_distribution<int> porParrafo(2, 6);
    std::uniform_int_distribution<int> dado(0, 99);
    std::string texto;
    texto.reserve(largo + 32);
    int frases = 0;
    while (texto.size() < largo) {
        const int palabras = porFrase(azar);
        for (int i = 0; i < palabras && texto.size() < largo; ++i) {
            std::string p(vocabulario[repartoZipf()(azar)]);
            if (dado(azar) < 4) p = std::to_string(dado(azar) * 37 + 1);
            if (i == 0 && p[0] >= 'a' && p[0] <= 'z') p[0] = static_cast<char>(p[0] - 'a' + 'A');
            if (i > 0) texto += dado(azar) < 7 ? ", " : " ";
            texto += p;
        }
        texto += '.';
        if (++frases % porParrafo(azar) == 0) {
            texto += "\n\n";
        } else {
            texto += ' ';
        }
    }
    // Se corta en un límite de carácter y se rellena con ASCII hasta el largo exacto.
    std::size_t corte = std::min(largo, texto.size());
    while (corte > 0 && (static_cast<unsigned char>(texto[corte]) & 0xC0) == 0x80)
        --corte;
    texto.resize(corte);
    while (texto.size() < largo)
        texto += texto.size() % 7 == 0 ? ' ' : 'x';
    return texto;
}

OpcionesCaptura opcionesCaptura() {
    return {.ignorarConfidencial = true,
            .appsExcluidas = {},
            .guardarImagenes = true,
            .bytesMaximos = std::int64_t{100} << 20};
}

LecturaPortapapeles lecturaDeTexto(const std::string& texto) {
    LecturaPortapapeles lectura;
    lectura.tipos = {std::string(TipoDato::texto)};
    lectura.datos[std::string(TipoDato::texto)] = Bytes(texto.begin(), texto.end());
    lectura.appId = "org.gnome.TextEditor";
    lectura.appNombre = "Editor de texto";
    return lectura;
}

RecorteNuevo recorteDeTexto(const std::string& texto) {
    auto resultado = Captura::interpretar(lecturaDeTexto(texto), opcionesCaptura());
    if (auto* recorte = std::get_if<RecorteNuevo>(&resultado)) return std::move(*recorte);
    throw std::runtime_error("el texto de prueba no produjo un recorte");
}

ImagenRGBA capturaDePantalla(std::int64_t ancho, std::int64_t alto) {
    ImagenRGBA imagen{.ancho = ancho,
                      .alto = alto,
                      .pixeles = Bytes(static_cast<std::size_t>(ancho * alto * 4), 255)};
    std::mt19937_64 azar(7);
    const auto pintar = [&](std::int64_t x, std::int64_t y, std::uint8_t r, std::uint8_t g,
                            std::uint8_t b) {
        if (x < 0 || y < 0 || x >= ancho || y >= alto) return;
        auto* p = &imagen.pixeles[static_cast<std::size_t>((y * ancho + x) * 4)];
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = 255;
    };
    const auto rectangulo = [&](std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                                std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        for (std::int64_t y = y0; y < y1; ++y)
            for (std::int64_t x = x0; x < x1; ++x)
                pintar(x, y, r, g, b);
    };

    // Fondo de escritorio: degradado suave con algo de grano, lo que peor comprime.
    std::uniform_int_distribution<int> grano(-3, 3);
    for (std::int64_t y = 0; y < alto; ++y) {
        for (std::int64_t x = 0; x < ancho; ++x) {
            const double t = static_cast<double>(x + y) / static_cast<double>(ancho + alto);
            pintar(x, y, static_cast<std::uint8_t>(40 + 60 * t + grano(azar)),
                   static_cast<std::uint8_t>(70 + 50 * t + grano(azar)),
                   static_cast<std::uint8_t>(120 + 80 * t + grano(azar)));
        }
    }
    rectangulo(0, 0, ancho, 28, 43, 43, 43);
    rectangulo(60, 60, ancho - 60, alto - 40, 255, 255, 255);
    rectangulo(60, 60, ancho - 60, 96, 232, 232, 232);
    rectangulo(60, 96, 340, alto - 40, 243, 243, 243);
    rectangulo(ancho - 60 - 12, 96, ancho - 60, alto - 40, 225, 225, 225);

    std::array<std::array<std::uint8_t, 7 * 12>, 64> glifos{};
    std::uniform_int_distribution<int> tinta(0, 9);
    for (auto& g : glifos)
        for (auto& a : g) {
            const int v = tinta(azar);
            a = v < 5 ? 0 : (v < 7 ? 110 : 255);
        }
    std::uniform_int_distribution<std::size_t> cualGlifo(0, glifos.size() - 1);
    std::uniform_int_distribution<int> largoPalabra(2, 10);
    const auto renglon = [&](std::int64_t x0, std::int64_t x1, std::int64_t y0,
                             std::array<std::uint8_t, 3> fondo, std::uint8_t color) {
        std::int64_t x = x0;
        while (x + 8 * 10 < x1) {
            const int letras = largoPalabra(azar);
            for (int k = 0; k < letras; ++k, x += 8) {
                const auto& g = glifos[cualGlifo(azar)];
                for (int gy = 0; gy < 12; ++gy)
                    for (int gx = 0; gx < 7; ++gx) {
                        const int a = g[static_cast<std::size_t>(gy * 7 + gx)];
                        if (a == 0) continue;
                        pintar(x + gx, y0 + gy, mezclar(fondo[0], color, a),
                               mezclar(fondo[1], color, a), mezclar(fondo[2], color, a));
                    }
            }
            x += 8;
        }
    };
    std::uniform_int_distribution<std::int64_t> finDeRenglon(700, ancho - 120);
    for (std::int64_t y = 120; y + 12 < alto - 60; y += 22) {
        // Deja sitio a la foto incrustada.
        if (y > 420 && y < 780) {
            renglon(372, 880, y, {255, 255, 255}, 40);
        } else {
            renglon(372, finDeRenglon(azar), y, {255, 255, 255}, 40);
        }
    }
    for (std::int64_t y = 110; y + 12 < alto - 60; y += 30)
        renglon(80, 320, y, {243, 243, 243}, 70);
    renglon(10, 600, 8, {43, 43, 43}, 220);
    renglon(80, 700, 72, {232, 232, 232}, 30);

    std::uniform_int_distribution<int> canal(0, 255);
    const std::int64_t fx = 920, fy = 420, fw = 800, fh = 360;
    std::vector<std::array<int, 3>> rejilla(static_cast<std::size_t>((fw / 8 + 2) * (fh / 8 + 2)));
    for (auto& c : rejilla)
        c = {canal(azar), canal(azar), canal(azar)};
    const auto nodo = [&](std::int64_t i, std::int64_t j) -> const std::array<int, 3>& {
        return rejilla[static_cast<std::size_t>(j * (fw / 8 + 2) + i)];
    };
    for (std::int64_t y = 0; y < fh; ++y) {
        for (std::int64_t x = 0; x < fw; ++x) {
            const std::int64_t i = x / 8, j = y / 8;
            const double u = static_cast<double>(x % 8) / 8.0, v = static_cast<double>(y % 8) / 8.0;
            std::array<std::uint8_t, 3> rgb{};
            for (std::size_t k = 0; k < 3; ++k) {
                const double c = (1 - u) * (1 - v) * nodo(i, j)[k] +
                                 u * (1 - v) * nodo(i + 1, j)[k] + (1 - u) * v * nodo(i, j + 1)[k] +
                                 u * v * nodo(i + 1, j + 1)[k];
                rgb[k] = static_cast<std::uint8_t>(std::clamp(c + grano(azar), 0.0, 255.0));
            }
            pintar(fx + x, fy + y, rgb[0], rgb[1], rgb[2]);
        }
    }
    return imagen;
}

Bytes tiffDe(const ImagenRGBA& imagen) {
    if (VIPS_INIT("rebisco-medicion") != 0) throw std::runtime_error("vips no arranca");
    // vips solo lee el búfer.
    auto* pixeles = const_cast<std::uint8_t*>(imagen.pixeles.data());
    const auto enMemoria = vips::VImage::new_from_memory(
        pixeles, imagen.pixeles.size(), static_cast<int>(imagen.ancho),
        static_cast<int>(imagen.alto), 4, VIPS_FORMAT_UCHAR);
    VipsBlob* blob =
        enMemoria.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .tiffsave_buffer();
    std::size_t largo = 0;
    const auto* p = static_cast<const std::uint8_t*>(vips_blob_get(blob, &largo));
    Bytes salida(p, p + largo);
    vips_area_unref(reinterpret_cast<VipsArea*>(blob));
    return salida;
}

const Historial& historiales(std::int64_t recortes) {
    static Historiales preparados;
    return preparados.pedir(recortes);
}

const fs::path& historial(std::int64_t recortes) {
    return historiales(recortes).literal;
}

std::vector<std::string> palabras() {
    return {std::begin(vocabulario), std::end(vocabulario)};
}

void anotar(const std::string& clave, double valor) {
    notas().emplace_back(clave, valor);
}

const std::vector<std::pair<std::string, double>>& anotaciones() {
    return notas();
}

Instante instanteDeMedicion() {
    return std::chrono::system_clock::now();
}

} // namespace medicion
