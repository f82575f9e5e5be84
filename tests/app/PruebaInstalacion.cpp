#include "AyudasApp.h"

#include <rebisco/Instalacion.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <elf.h>
#include <link.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;
namespace I = rebisco::Instalacion;
using pruebas::CarpetaTemporal;
using Variable = pruebas::VariableDeEntorno;

namespace {

// Una carpeta que no es temporal: dentro de la de trabajo de la prueba.
struct CarpetaPropia {
    fs::path ruta;
    explicit CarpetaPropia(const std::string& nombre)
        : ruta(fs::current_path() / nombre) {
        fs::remove_all(ruta);
        fs::create_directories(ruta);
    }
    ~CarpetaPropia() {
        std::error_code fallo;
        fs::remove_all(ruta, fallo);
    }
};

TEST(Instalacion, FueraDeSitioSegunLaCarpeta) {
    Variable sinTmpdir("TMPDIR", std::nullopt);
    const CarpetaPropia propia("instalacion-propia");
    ASSERT_FALSE(I::fueraDeSitio(propia.ruta / "rebisco"))
        << "la carpeta de trabajo de la prueba ya es temporal";
    const CarpetaTemporal enTmp;
    // Un enlace desde una carpeta normal hacia una temporal: lo que desaparece es el destino.
    fs::create_directory_symlink(enTmp.ruta(), propia.ruta / "enlace");
    fs::create_directories(enTmp / "real");
    fs::create_directory_symlink(propia.ruta, enTmp / "hacia-propia");
    const auto personal = fs::path(QDir::homePath().toStdString());

    struct Caso {
        fs::path programa;
        std::optional<std::string> tmpdir;
        bool fuera;
    };
    const std::vector<Caso> casos{
        {"/tmp/rebisco", std::nullopt, true},
        {"/tmp/a/b/rebisco", std::nullopt, true},
        {"/var/tmp/rebisco", std::nullopt, true},
        {"/tmpx/rebisco", std::nullopt, false},
        {"/var/tmpx/rebisco", std::nullopt, false},
        {"/tmp/../usr/bin/rebisco", std::nullopt, false},
        {personal / ".local/bin/rebisco", std::nullopt, false},
        {"/usr/local/bin/rebisco", std::nullopt, false},
        {propia.ruta / "enlace/rebisco", std::nullopt, true},
        // Lo que guardaría el inicio automático está en /tmp, aunque lleve a otro sitio.
        {enTmp / "hacia-propia/rebisco", std::nullopt, true},
        // Una carpeta temporal propia, también con barra final o por un camino con "..".
        {propia.ruta / "rebisco", propia.ruta.string(), true},
        {propia.ruta / "sub/rebisco", propia.ruta.string() + "/", true},
        {propia.ruta / "rebisco", (propia.ruta / "../instalacion-propia").string(), true},
        {propia.ruta.string() + "x/rebisco", propia.ruta.string(), false},
        // Un TMPDIR relativo no se entiende; uno que contiene la carpeta personal no es temporal.
        {propia.ruta / "rebisco", "instalacion-propia", false},
        {personal / ".local/bin/rebisco", "/", false},
        {personal / ".local/bin/rebisco", personal.string(), false},
        {personal / ".local/bin/rebisco", personal.parent_path().string(), false},
    };
    for (const auto& caso : casos) {
        Variable tmpdir("TMPDIR", caso.tmpdir);
        EXPECT_EQ(I::fueraDeSitio(caso.programa), caso.fuera)
            << caso.programa << " con TMPDIR=" << caso.tmpdir.value_or("(nada)");
    }
}

// Como root basta con el espacio de montajes; sin serlo, dentro de un espacio de usuarios propio.
bool espacioDeMontajesPropio() {
    if (::unshare(CLONE_NEWNS) == 0) return true;
    const auto usuario = ::getuid();
    const auto grupo = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << usuario << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << grupo << " 1";
    return true;
}

// En un espacio de montajes propio, una carpeta de la prueba pasa a ser un tmpfs de solo lectura.
TEST(Instalacion, FueraDeSitioEnUnMontajeDeSoloLectura) {
    Variable sinTmpdir("TMPDIR", std::nullopt);
    const CarpetaPropia propia("instalacion-montaje");
    const auto hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        if (!espacioDeMontajesPropio()) ::_exit(77);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(77);
        if (I::fueraDeSitio(propia.ruta)) ::_exit(3);
        if (::mount("rebisco", propia.ruta.c_str(), "tmpfs", MS_RDONLY, nullptr) != 0) ::_exit(77);
        ::_exit(I::fueraDeSitio(propia.ruta) ? 0 : 1);
    }
    int estado = 0;
    ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
    ASSERT_TRUE(WIFEXITED(estado));
    if (WEXITSTATUS(estado) == 77) GTEST_SKIP() << "sin permiso para montar";
    EXPECT_NE(WEXITSTATUS(estado), 3) << "ya estaba fuera de sitio antes de montar";
    EXPECT_EQ(WEXITSTATUS(estado), 0) << "el montaje de solo lectura no cuenta";
}

std::string buildIdSegunReadelf(const fs::path& elf) {
    QProcess readelf;
    readelf.start("readelf", {"-n", QString::fromStdString(elf.string())});
    if (!readelf.waitForFinished(10000)) return {};
    const auto salida = QString::fromUtf8(readelf.readAllStandardOutput());
    const auto hallado = QRegularExpression("Build ID: ([0-9a-f]+)").match(salida);
    return hallado.hasMatch() ? hallado.captured(1).toStdString() : std::string();
}

TEST(Instalacion, HuellaEsElBuildIdDelEjecutable) {
    const auto propio = fs::read_symlink("/proc/self/exe");
    const auto esperado = buildIdSegunReadelf(propio);
    ASSERT_FALSE(esperado.empty()) << "readelf no da el build-id de " << propio;
    EXPECT_EQ(I::huella(), esperado);
    EXPECT_EQ(I::huellaDe(propio), esperado);
}

// Un ELF mínimo con un segmento de notas, para estropearlo a propósito.
struct ElfDePrueba {
    ElfW(Ehdr) cabecera{};
    ElfW(Phdr) segmento{};
    std::vector<unsigned char> notas;

    static std::vector<unsigned char> nota(std::uint32_t tipo, std::string nombre,
                                           std::vector<unsigned char> datos,
                                           std::size_t alineacion = 4) {
        const auto alinear = [&](std::size_t n) {
            return (n + alineacion - 1) / alineacion * alineacion;
        };
        const ElfW(Nhdr) cabeza{static_cast<std::uint32_t>(nombre.size()),
                                static_cast<std::uint32_t>(datos.size()), tipo};
        const auto enDatos = alinear(sizeof cabeza + nombre.size());
        std::vector<unsigned char> r(alinear(enDatos + datos.size()), 0);
        std::memcpy(r.data(), &cabeza, sizeof cabeza);
        std::copy(nombre.begin(), nombre.end(), r.begin() + sizeof cabeza);
        std::copy(datos.begin(), datos.end(), r.begin() + static_cast<std::ptrdiff_t>(enDatos));
        return r;
    }

    ElfDePrueba() {
        std::memcpy(cabecera.e_ident, ELFMAG, SELFMAG);
        cabecera.e_ident[EI_CLASS] = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
        cabecera.e_ident[EI_DATA] = ELFDATA2LSB;
        cabecera.e_ident[EI_VERSION] = EV_CURRENT;
        cabecera.e_type = ET_EXEC;
        cabecera.e_phoff = sizeof cabecera;
        cabecera.e_phentsize = sizeof segmento;
        cabecera.e_phnum = 1;
        cabecera.e_ehsize = sizeof cabecera;
        segmento.p_type = PT_NOTE;
        segmento.p_offset = sizeof cabecera + sizeof segmento;
        segmento.p_align = 4;
        // Un 0a delante: cada byte son dos cifras.
        notas = nota(NT_GNU_BUILD_ID, std::string("GNU\0", 4), {0x0a, 0xde, 0xad, 0xbe, 0xef});
    }

    std::vector<unsigned char> bytes() {
        if (segmento.p_filesz == 0) segmento.p_filesz = notas.size();
        std::vector<unsigned char> r(sizeof cabecera + sizeof segmento);
        std::memcpy(r.data(), &cabecera, sizeof cabecera);
        std::memcpy(r.data() + sizeof cabecera, &segmento, sizeof segmento);
        r.insert(r.end(), notas.begin(), notas.end());
        return r;
    }
};

void escribir(const fs::path& ruta, const std::vector<unsigned char>& bytes, std::size_t cuantos) {
    std::ofstream salida(ruta, std::ios::binary | std::ios::trunc);
    salida.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(cuantos));
}

TEST(Instalacion, HuellaDeUnElfEstropeado) {
    static_assert(std::endian::native == std::endian::little);
    const CarpetaTemporal carpeta;
    const auto ruta = carpeta / "elf";
    const auto gnu = std::string("GNU\0", 4);

    struct Caso {
        const char* que;
        std::function<void(ElfDePrueba&)> cambio;
        std::optional<std::string> huella;
    };
    const std::vector<Caso> casos{
        {"intacto", [](ElfDePrueba&) {}, "0adeadbeef"},
        {"otra nota delante, con relleno",
         [&](ElfDePrueba& e) {
             auto otra = ElfDePrueba::nota(NT_GNU_ABI_TAG, std::string("Linux\0", 6), {1, 2, 3});
             e.notas.insert(e.notas.begin(), otra.begin(), otra.end());
         },
         "0adeadbeef"},
        {"notas alineadas a 8",
         [&](ElfDePrueba& e) {
             e.segmento.p_align = 8;
             e.notas = ElfDePrueba::nota(5, gnu, std::vector<unsigned char>(12, 7), 8);
             auto id = ElfDePrueba::nota(NT_GNU_BUILD_ID, gnu, {0xca, 0xfe}, 8);
             e.notas.insert(e.notas.end(), id.begin(), id.end());
         },
         "cafe"},
        {"sin build-id",
         [&](ElfDePrueba& e) {
             e.notas = ElfDePrueba::nota(1, gnu, {1, 2});
         },
         std::nullopt},
        {"otro dueño", [&](ElfDePrueba& e) { e.notas[12] = 'X'; }, std::nullopt},
        {"descripción vacía",
         [&](ElfDePrueba& e) { e.notas = ElfDePrueba::nota(NT_GNU_BUILD_ID, gnu, {}); },
         std::nullopt},
        {"no es ELF", [](ElfDePrueba& e) { e.cabecera.e_ident[1] = 'X'; }, std::nullopt},
        {"otra clase",
         [](ElfDePrueba& e) {
             e.cabecera.e_ident[EI_CLASS] = sizeof(void*) == 8 ? ELFCLASS32 : ELFCLASS64;
         },
         std::nullopt},
        {"otro orden de bytes", [](ElfDePrueba& e) { e.cabecera.e_ident[EI_DATA] = ELFDATA2MSB; },
         std::nullopt},
        {"entradas de otro tamaño", [](ElfDePrueba& e) { e.cabecera.e_phentsize = 8; },
         std::nullopt},
        {"PN_XNUM", [](ElfDePrueba& e) { e.cabecera.e_phnum = PN_XNUM; }, std::nullopt},
        {"más segmentos que archivo", [](ElfDePrueba& e) { e.cabecera.e_phnum = 1000; },
         std::nullopt},
        {"tabla fuera del archivo", [](ElfDePrueba& e) { e.cabecera.e_phoff = 1 << 20; },
         std::nullopt},
        {"tabla que da la vuelta", [](ElfDePrueba& e) { e.cabecera.e_phoff = ~0ull - 8; },
         std::nullopt},
        {"notas fuera del archivo", [](ElfDePrueba& e) { e.segmento.p_offset = 1 << 20; },
         std::nullopt},
        {"notas que dan la vuelta", [](ElfDePrueba& e) { e.segmento.p_offset = ~0ull - 4; },
         std::nullopt},
        {"notas enormes", [](ElfDePrueba& e) { e.segmento.p_filesz = ~0ull; }, std::nullopt},
        {"nombre enorme",
         [](ElfDePrueba& e) {
             const std::uint32_t enorme = 0xffffffff;
             std::memcpy(e.notas.data(), &enorme, 4);
         },
         std::nullopt},
        {"descripción enorme",
         [](ElfDePrueba& e) {
             const std::uint32_t enorme = 0xfffffffc;
             std::memcpy(e.notas.data() + 4, &enorme, 4);
         },
         std::nullopt},
        {"descripción que pasa del segmento",
         [](ElfDePrueba& e) {
             const std::uint32_t nueve = 9;
             std::memcpy(e.notas.data() + 4, &nueve, 4);
         },
         std::nullopt},
    };
    for (const auto& caso : casos) {
        ElfDePrueba elf;
        caso.cambio(elf);
        const auto bytes = elf.bytes();
        escribir(ruta, bytes, bytes.size());
        EXPECT_EQ(I::huellaDe(ruta), caso.huella) << caso.que;
    }

    // Cortado por cualquier sitio, nunca da nada.
    ElfDePrueba elf;
    const auto bytes = elf.bytes();
    for (std::size_t largo = 0; largo < bytes.size(); ++largo) {
        escribir(ruta, bytes, largo);
        EXPECT_EQ(I::huellaDe(ruta), std::nullopt) << "cortado en " << largo;
    }
    EXPECT_EQ(I::huellaDe(carpeta / "no-existe"), std::nullopt);
    EXPECT_EQ(I::huellaDe(carpeta.ruta()), std::nullopt);
}

TEST(Instalacion, RenovarAnotaLaHuella) {
    const auto actual = I::huella();
    ASSERT_TRUE(actual);
    const auto texto = QString::fromStdString(*actual);
    namespace P = rebisco::Preferencias;

    rebisco::PreferenciasEnMemoria preferencias;
    EXPECT_TRUE(I::renovarPermisoSiCambioLaApp(rebisco::Entorno{}, preferencias));
    EXPECT_EQ(preferencias.string(P::huellaConocida), texto);
    // La misma copia otra vez: nada cambió.
    EXPECT_FALSE(I::renovarPermisoSiCambioLaApp(rebisco::Entorno{}, preferencias));
    // Tras una actualización, la nueva queda anotada.
    preferencias.set(P::huellaConocida, QStringLiteral("0123"));
    EXPECT_TRUE(I::renovarPermisoSiCambioLaApp(rebisco::Entorno{}, preferencias));
    EXPECT_EQ(preferencias.string(P::huellaConocida), texto);

    // Ni en una prueba ni en una prueba que es además un ensayo.
    for (const auto& variables : std::vector<std::map<std::string, std::string>>{
             {{"REBISCO_DATOS", "/tmp/d"}},
             {{"REBISCO_DATOS", "/tmp/d"}, {"REBISCO_ENSAYO", "/tmp/e"}}}) {
        rebisco::PreferenciasEnMemoria enPrueba;
        EXPECT_FALSE(I::renovarPermisoSiCambioLaApp(rebisco::Entorno::desde(variables), enPrueba));
        EXPECT_FALSE(enPrueba.object(P::huellaConocida).isValid());
    }
    // Un ensayo usa las preferencias de verdad: anota.
    rebisco::PreferenciasEnMemoria enEnsayo;
    EXPECT_TRUE(I::renovarPermisoSiCambioLaApp(
        rebisco::Entorno::desde({{"REBISCO_ENSAYO", "/tmp/e"}}), enEnsayo));
    EXPECT_EQ(enEnsayo.string(P::huellaConocida), texto);
}

} // namespace
