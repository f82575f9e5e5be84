// Escribe en la carpeta indicada un corpus inicial pequeño para los fuzzers; se genera en
// cada ejecución para no versionar binarios.
#include "Muestras.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void escribir(const std::filesystem::path& ruta, const void* datos, std::size_t largo) {
    std::ofstream salida(ruta, std::ios::binary | std::ios::trunc);
    salida.write(static_cast<const char*>(datos), static_cast<std::streamsize>(largo));
    if (!salida) throw std::runtime_error("no se pudo escribir " + ruta.string());
}

void escribir(const std::filesystem::path& ruta, const nucleo::Bytes& datos) {
    escribir(ruta, datos.data(), datos.size());
}

void escribir(const std::filesystem::path& ruta, const std::string& datos) {
    escribir(ruta, datos.data(), datos.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s CARPETA\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path carpeta = argv[1];
        std::filesystem::create_directories(carpeta);
        escribir(carpeta / "pequena.png", muestras::pngPequeno());
        escribir(carpeta / "dos-paginas.tiff", muestras::tiffDosPaginas());
        escribir(carpeta / "formato.rtf", muestras::rtf());
        escribir(carpeta / "fragmento.html", muestras::html());
        escribir(carpeta / "rutas.txt", muestras::rutas());
        escribir(carpeta / "texto.txt", muestras::textoVariado());
        escribir(carpeta / "enlace.txt", std::string("https://www.example.org/a/b?c=d#e"));
        // Para fuzz_atajos el primer byte elige el lector: KDE entero, GTK, atajo de Qt.
        escribir(carpeta / "kglobalshortcutsrc",
                 std::string(
                     "\x00[kwin]\n_k_friendly_name=KWin\nExpose=Ctrl+F9\\tMeta+W,Ctrl+F9,Ventanas\n"
                     "Coma[$i]=Meta+\\,,none,Coma\n# nota\n[plasmashell]\nNada=none,none,Nada\n"));
        escribir(carpeta / "acelerador-gtk.txt", std::string("\x01<Primary><Shift>c"));
        escribir(carpeta / "atajo-qt.txt", std::string("\x02Meta+Shift+Print"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "semillas: %s\n", e.what());
        return 1;
    }
    return 0;
}
