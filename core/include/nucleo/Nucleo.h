#pragma once

#include "nucleo/Almacen.h"
#include "nucleo/Busqueda.h"
#include "nucleo/Captura.h"
#include "nucleo/Imagenes.h"
#include "nucleo/Modelo.h"
