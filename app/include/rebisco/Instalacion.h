#pragma once

#include "rebisco/Entorno.h"
#include "rebisco/Preferencias.h"

#include <filesystem>
#include <optional>
#include <string>

// Dónde corre el programa y qué código es. Linux no guarda permisos por identidad del código:
// al cambiar la huella no hay nada que renovar, solo se anota.
namespace rebisco::Instalacion {

// Si el programa está bajo una carpeta temporal ($TMPDIR, /tmp, /var/tmp) o en solo lectura.
bool fueraDeSitio(const std::filesystem::path& programa);

// La identidad del código en marcha: el GNU build-id de /proc/self/exe, en hexadecimal.
std::optional<std::string> huella();

// El GNU build-id de un ELF de esta máquina, en hexadecimal; nada si no lo hay o no se entiende.
std::optional<std::string> huellaDe(const std::filesystem::path& elf);

// Anota la huella en huellaConocida (salvo en prueba o sin huella) y dice si era otra.
bool renovarPermisoSiCambioLaApp(const Entorno& entorno, AlmacenPreferencias& en);

} // namespace rebisco::Instalacion
