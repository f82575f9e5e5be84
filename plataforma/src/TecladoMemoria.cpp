#include "plataforma/Memoria.h"

namespace plataforma::memoria {

std::map<int, std::string> TecladoMemoria::distribucionEstadounidense() {
    std::map<int, std::string> teclas;
    // Las filas del teclado por posición: el código de cada tecla y lo que escribe.
    const std::pair<int, const char*> filas[] = {
        {0, "a"},     {1, "s"},   {2, "d"},     {3, "f"},  {4, "h"},  {5, "g"},   {6, "z"},
        {7, "x"},     {8, "c"},   {9, "v"},     {11, "b"}, {12, "q"}, {13, "w"},  {14, "e"},
        {15, "r"},    {16, "y"},  {17, "t"},    {18, "1"}, {19, "2"}, {20, "3"},  {21, "4"},
        {22, "6"},    {23, "5"},  {24, "="},    {25, "9"}, {26, "7"}, {27, "-"},  {28, "8"},
        {29, "0"},    {30, "]"},  {31, "o"},    {32, "u"}, {33, "["}, {34, "i"},  {35, "p"},
        {36, "\r"},   {37, "l"},  {38, "j"},    {39, "'"}, {40, "k"}, {41, ";"},  {42, "\\"},
        {43, ","},    {44, "/"},  {45, "n"},    {46, "m"}, {47, "."}, {48, "\t"}, {49, " "},
        {50, "`"},    {51, "\b"}, {53, "\x1b"}, {65, "."}, {67, "*"}, {69, "+"},  {75, "/"},
        {76, "\x03"}, {78, "-"},  {81, "="},    {82, "0"}, {83, "1"}, {84, "2"},  {85, "3"},
        {86, "4"},    {87, "5"},  {88, "6"},    {89, "7"}, {91, "8"}, {92, "9"},
    };
    for (const auto& [codigo, texto] : filas)
        teclas.emplace(codigo, texto);
    return teclas;
}

TecladoMemoria::TecladoMemoria()
    : distribucion(distribucionEstadounidense()) {}

std::optional<std::string> TecladoMemoria::caracter(int codigo) {
    std::lock_guard l(cerrojo);
    auto i = distribucion.find(codigo);
    if (i == distribucion.end()) return std::nullopt;
    return i->second;
}

std::optional<std::vector<AtajoSistema>> TecladoMemoria::atajosDelSistema() {
    std::lock_guard l(cerrojo);
    return atajos;
}

void TecladoMemoria::pulsarPegar(int codigoV) {
    std::lock_guard l(cerrojo);
    pegados.push_back(codigoV);
}

std::optional<int> TecladoMemoria::codigoDeEvento(std::uint32_t nativo) {
    if (nativo > 0xFFFF) return std::nullopt;
    return static_cast<int>(nativo);
}

void TecladoMemoria::ponerDistribucion(std::map<int, std::string> nueva) {
    std::lock_guard l(cerrojo);
    distribucion = std::move(nueva);
}

void TecladoMemoria::ponerAtajosDelSistema(std::optional<std::vector<AtajoSistema>> nuevos) {
    std::lock_guard l(cerrojo);
    atajos = std::move(nuevos);
}

std::vector<int> TecladoMemoria::pulsaciones() {
    std::lock_guard l(cerrojo);
    return pegados;
}

} // namespace plataforma::memoria
