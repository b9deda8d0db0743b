#include "speech/voice_list.h"

#include <QComboBox>

namespace lectorix {

// Not wired to the engine yet: the list stays empty.
bool FillVoiceList(QComboBox*)
{
    return true;
}
void PushButton10_Click(Form1&) {}
void PushButton11_Click(Form1&) {}

} // namespace lectorix
