#pragma once

#include <QString>
#include <QStringList>

namespace lectorix {
class Form1;

void PushButton2_Click(Form1& form); // "Start Reading" / "Pause" / "Resume"
void SpeakLoud(Form1& form);
QStringList SplitTextBySize(const QString& text, int pieceSize);

} // namespace lectorix
