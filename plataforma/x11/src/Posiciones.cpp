#include "Posiciones.h"

#include <utility>

namespace plataforma::x11 {

namespace {

// (posición, evdev). Una posición puede tener varios códigos evdev; el primero es el suyo.
constexpr std::pair<int, int> tabla[] = {
    // Letras y cifras.
    {0, 30},
    {1, 31},
    {2, 32},
    {3, 33},
    {4, 35},
    {5, 34},
    {6, 44},
    {7, 45},
    {8, 46},
    {9, 47},
    {11, 48},
    {12, 16},
    {13, 17},
    {14, 18},
    {15, 19},
    {16, 21},
    {17, 20},
    {18, 2},
    {19, 3},
    {20, 4},
    {21, 5},
    {22, 7},
    {23, 6},
    {24, 13},
    {25, 10},
    {26, 8},
    {27, 12},
    {28, 9},
    {29, 11},
    {30, 27},
    {31, 24},
    {32, 22},
    {33, 26},
    {34, 23},
    {35, 25},
    {37, 38},
    {38, 36},
    {39, 40},
    {40, 37},
    {41, 39},
    {42, 43},
    {43, 51},
    {44, 53},
    {45, 49},
    {46, 50},
    {47, 52},
    {50, 41},
    // La tecla de más de los teclados ISO, junto a Mayúsculas izquierda.
    {10, 86},
    // Edición y control.
    {36, 28},
    {48, 15},
    {49, 57},
    {51, 14},
    {53, 1},
    {117, 111},
    // Modificadores.
    {55, 125},
    {54, 126},
    {56, 42},
    {60, 54},
    {58, 56},
    {61, 100},
    {59, 29},
    {62, 97},
    {57, 58},
    // Navegación; Insert ocupa el sitio de la tecla de ayuda.
    {114, 110},
    {115, 102},
    {119, 107},
    {116, 104},
    {121, 109},
    {123, 105},
    {124, 106},
    {125, 108},
    {126, 103},
    // Teclas de función. Impr Pant, Bloq Despl y Pausa hacen de F13, F14 y F15.
    {122, 59},
    {120, 60},
    {99, 61},
    {118, 62},
    {96, 63},
    {97, 64},
    {98, 65},
    {100, 66},
    {101, 67},
    {109, 68},
    {103, 87},
    {111, 88},
    {105, 99},
    {105, 183},
    {107, 70},
    {107, 184},
    {113, 119},
    {113, 185},
    {106, 186},
    {64, 187},
    {79, 188},
    {80, 189},
    {90, 190},
    // Teclado numérico; Bloq Num ocupa el sitio de «borrar».
    {71, 69},
    {75, 98},
    {67, 55},
    {78, 74},
    {69, 78},
    {76, 96},
    {65, 83},
    {81, 117},
    {82, 82},
    {83, 79},
    {84, 80},
    {85, 81},
    {86, 75},
    {87, 76},
    {88, 77},
    {89, 71},
    {91, 72},
    {92, 73},
    {95, 95},
    {95, 121},
    // Menú contextual, volumen, teclas japonesas.
    {110, 127},
    {72, 115},
    {73, 114},
    {74, 113},
    {93, 124},
    {94, 89},
    {104, 122},
    {102, 123},
};

} // namespace

std::vector<int> evdevDe(int codigo) {
    std::vector<int> codigos;
    for (const auto& [posicion, evdev] : tabla)
        if (posicion == codigo) codigos.push_back(evdev);
    return codigos;
}

std::optional<int> codigoDeEvdev(int evdev) {
    for (const auto& [posicion, e] : tabla)
        if (e == evdev) return posicion;
    return std::nullopt;
}

} // namespace plataforma::x11
