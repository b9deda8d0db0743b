#pragma once

#include <QObject>
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

// The voice list and its buttons: the chosen voice is stored, "Refresh List" fills the list
// anew, "Add Voices" tells where voices come from.
class VoiceController final : public QObject
{
    Q_OBJECT

public:
    explicit VoiceController(MainWindow& window);

    // Connects the controls; called once the window's controllers exist.
    void wire();

    void openAddVoicesPage(); // "Add Voices"
    void refreshVoiceList();  // "Refresh List"

    // A slider moved (by the user, by start-up, or by the program): show the value, store it and
    // apply it to the voices that exist now. While savingFile is set the move is refused: one
    // message, the slider goes back to the stored value, and nothing is stored or applied.
    void volumeChanged();
    void rateChanged();
    // "Test Speed": speaks a test sentence with the chosen voice and the sliders, and returns at
    // once; while it is heard, the sliders act on it and a second press is refused.
    void testSpeed();

private:
    void voiceChosen();

    MainWindow& m_window;
};

} // namespace lectorix
