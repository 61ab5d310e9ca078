// The generated layer-shell client code names a parameter "namespace",
// which C++ reserves: it is renamed while the header is read.
#pragma once

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace
