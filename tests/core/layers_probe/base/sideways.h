// Allowed: a header of its own layer.
#pragma once
