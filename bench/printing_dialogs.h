#pragma once

#include "gui/dialogs.h"

#include <QString>

#include <cstdio>

namespace lectorix::bench {

// No one answers boxes in a benchmark: every message is printed and gets the harmless answer.
class PrintingDialogs final : public Dialogs
{
public:
    Answer message(const Message& m) override
    {
        std::printf("  [message] %s\n", qPrintable(QString(m.text).replace('\r', ' ')));
        return m.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<QString> input(const Input&) override { return std::nullopt; }
    QString openFile(const FileRequest&) override { return {}; }
    QString saveFile(const FileRequest&) override { return {}; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return false; }
    std::optional<SpeechChoices> speechChoices(const SpeechChoices&) override
    {
        return std::nullopt;
    }
};

} // namespace lectorix::bench
