#pragma once

namespace plataforma::x11 {

// El valor de una cifra hexadecimal, o -1 si no lo es.
inline int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace plataforma::x11
