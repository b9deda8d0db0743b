#pragma once

#include <QString>

// The keys of the settings file. Their text is what stored files hold, so it never changes,
// whatever the controls behind them are called now.
namespace lectorix::keys {

inline const QString PdfPath = QStringLiteral("Text1");
inline const QString OutputFolder = QStringLiteral("Text3");
inline const QString SaveToFolder = QStringLiteral("Option1");
inline const QString SaveBesidePdf = QStringLiteral("Option2");
inline const QString PasswordPrompt = QStringLiteral("Check1");
inline const QString Voice = QStringLiteral("Combo1");
inline const QString Volume = QStringLiteral("Volume Level");
inline const QString Rate = QStringLiteral("Speech Rate");
inline const QString LastFolder = QStringLiteral("LastFolder");
inline const QString LastFolderDot = QStringLiteral("LastFolderDot");
// The main window's size, written as width x height in pixels ("1200x600").
inline const QString WindowSize = QStringLiteral("WindowSize");
// How many points the text box's type is larger (or, negative, smaller) than designed.
inline const QString TextZoom = QStringLiteral("TextZoom");
// How the page view fits its pages: "width", "page", or a zoom in percent of the printed size.
inline const QString PageZoom = QStringLiteral("PageViewZoom");
// True: documents are spoken line by line as they stand, not prepared into paragraphs.
inline const QString ReadVerbatim = QStringLiteral("ReadVerbatim");
// False: a PDF's footnotes are left out instead of read after the paragraph that cites them.
inline const QString ReadFootnotes = QStringLiteral("ReadFootnotes");
// True: "Save Audio As MP3" writes one MP3 per chapter.
inline const QString SaveChapterFiles = QStringLiteral("SaveChapterFiles");
// True: the text of a PDF's scanned pages is recognised without asking first.
inline const QString RecogniseScannedPages = QStringLiteral("RecogniseScannedPages");
// The silences after a sentence, after a paragraph and before and after a heading, in ms.
inline const QString SentencePause = QStringLiteral("SentencePause");
inline const QString ParagraphPause = QStringLiteral("ParagraphPause");
inline const QString HeadingPause = QStringLiteral("HeadingPause");
// True: every sentence is read by the chosen voice, whatever script it is written in.
inline const QString OneVoice = QStringLiteral("OneVoice");

} // namespace lectorix::keys
