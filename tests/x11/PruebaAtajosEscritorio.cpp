#include "AtajosEscritorio.h"
#include <gtest/gtest.h>
