#pragma once

#include "core/speech/voice_settings.h"
#include "core/text/pronunciations.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

class QLabel;
class QTableWidget;

namespace lectorix {
class MainWindow;
namespace speech {
class Voice;
}

// The editor of the user's pronunciation list: a table of its entries (written form, spoken
// form, language, whole word, match case, regular expression), each row with a Listen button
// that speaks its spoken form with the window's chosen voice; Add, Remove, Save and Cancel.
// The damaged lines of the file are named above the table; saving writes the table's entries,
// and a damaged line is gone once the list is saved.
class PronunciationEditor final : public QDialog
{
    Q_OBJECT

public:
    // Columns of the table.
    enum Column { Written, Spoken, Language, WholeWord, MatchCase, Pattern, Listen, Columns };

    PronunciationEditor(QString path, VoiceSettings voice, QWidget* parent = nullptr);
    ~PronunciationEditor() override;

    QList<PronunciationEntry> entries() const;
    // Adds a row holding entry; its Listen button speaks the row's spoken form.
    void addRow(const PronunciationEntry& entry);
    // Writes the table to the file. An entry that cannot be used, or a file that cannot be
    // written, is named in a message and nothing is written; false then.
    bool save();
    // Speaks the spoken form of a row with the chosen voice.
    void listen(int row);

private:
    void removeRows();

    QString m_path;
    VoiceSettings m_voiceSettings;
    std::unique_ptr<speech::Voice> m_voice;
    QLabel* m_problems = nullptr;
    QTableWidget* m_table = nullptr;
};

// Opens the editor of the user's list beside the window, with the window's chosen voice.
void editPronunciations(MainWindow& form);

} // namespace lectorix
