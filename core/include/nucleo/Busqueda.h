#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nucleo::Busqueda {

// El mismo plegado sirve al texto de búsqueda de cada recorte y a lo que teclea el usuario.
std::string normalizar(std::string_view texto);

std::vector<std::string> terminos(std::string_view busqueda);

std::string patron(std::string_view termino);

} // namespace nucleo::Busqueda
