// Allowed: a layer may include the layers below it.
#pragma once
#include "core/base/sideways.h"
