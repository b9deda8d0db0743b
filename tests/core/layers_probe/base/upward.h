// Must be refused: the bottom layer reaches up into the reading session.
#pragma once
#include "core/base/sideways.h"
#include "core/reading/session.h"
