#include "AtajosEscritorio.h"
