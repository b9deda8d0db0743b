#pragma once

class QComboBox;

namespace lectorix {
class Form1;

// Fills the voice list from the engine and applies the stored "Combo1" index. Returns false,
// after showing the failure message, when the engine could not list its voices.
bool FillVoiceList(QComboBox* combo);
void PushButton10_Click(Form1& form); // "Add Voices"
void PushButton11_Click(Form1& form); // "Refresh List"

} // namespace lectorix
