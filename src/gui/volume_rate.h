#pragma once

#include <QString>

namespace lectorix {

// The refusal shown when a slider moves while a file is being saved.
inline const QString SliderRefusedMessage =
    QStringLiteral("You can not adjust because file is being saved now.");

} // namespace lectorix
