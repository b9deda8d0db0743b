#pragma once

#include <QString>

namespace lectorix::cli {

// The bash completion of lectorix-convert made from its table of options: templateText with
// @OPTION_WORDS@ replaced by every option as Tab offers it ("--output=", "--quiet", "-o") and
// @VALUE_COMPLETIONS@ by the arms of a `case "$prev"` that offer each option's values.
QString bashCompletionScript(const QString& templateText);

} // namespace lectorix::cli
