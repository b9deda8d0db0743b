#pragma once

#include <QString>
#include <QUrl>

class QComboBox;

namespace lectorix {
class MainWindow;

// The message shown when the engine cannot list its voices.
inline const QString NoVoicesMessage =
    QStringLiteral("No voices found within the 'Text to Speech' voices installed on this system.");

// Where "Add Voices" sends the user: a web search for voices of the engine.
QUrl addVoicesSearchUrl();

// Fills the voice list with the engine's voices, in the engine's order, and applies the stored
// "Combo1" index. An index the list cannot show (beyond the last voice, below -1) leaves it
// without a selection. Returns false, after showing NoVoicesMessage, when the engine could not
// be used or could not list its voices; the list then stays as far as it was rebuilt.
bool fillVoiceList(QComboBox* combo);
void openAddVoicesPage(MainWindow& form); // "Add Voices"
void refreshVoiceList(MainWindow& form);  // "Refresh List"

} // namespace lectorix
