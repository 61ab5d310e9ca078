// The generated layer-shell client code names a parameter "namespace",
// which C++ reserves: it is renamed while the header is read, after the
// headers it includes have been read as they are.
#pragma once

#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace
