// Writes the sample document Samples/sample1.pdf: a short guide to Lectorix, laid out by Qt's
// text engine and written with its PDF writer, so the sample is our own and its text layer is
// real text that the converter extracts.
//
//     make_sample1 OUTPUT.pdf

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

namespace {

const char* const Guide = R"(
<h1>Welcome to Lectorix</h1>
<p>Lectorix reads documents aloud. Give it a PDF file, or type, paste or load plain text into
its large text box, choose one of the voices installed on this computer, set the volume and the
speed, and press <b>Start Reading</b>. Lectorix gets the text of the document and speaks it,
line by line, until the end.</p>
<p>Its second job is <b>Save Audio As MP3</b>: the whole PDF named in the window becomes one MP3
file that you can take along on a walk, in the car or on a music player.</p>
<p>You are reading the sample document. Lectorix loaded it because you pressed
<b>Load Sample/Example File</b>. Press <b>Start Reading</b> now to hear it.</p>

<h2 style="page-break-before: always">Reading a PDF aloud</h2>
<ol>
<li>Press the small button <b>...</b> beside the box <b>PDF File</b> and choose a document.
Its text appears at once in the box <b>Text To Read</b>, so you can see what will be read.</li>
<li>Pick a voice from the list of voices. <b>Refresh List</b> finds voices installed while
Lectorix runs; <b>Add Voices</b> shows where to get more.</li>
<li>Move the <b>Volume Control</b> and <b>Speed of Speech</b> sliders. A change is heard while
the voice speaks.</li>
<li>Press <b>Start Reading</b>. The button then reads <b>Pause</b>; press it to pause and press
it again, now reading <b>Resume</b>, to go on where the voice stopped.</li>
</ol>
<p>Only the first 100 pages of a long document are shown in the text box. Reading aloud and
saving as MP3 always take the whole document.</p>

<h2 style="page-break-before: always">Working with text</h2>
<p>The text box is yours to edit. Type into it, paste into it, or press
<b>Load Text From Text File</b> to open a plain text file. As soon as you work in the box,
Lectorix reads the box rather than the PDF. Choosing a PDF again switches back.</p>
<p><b>Save Text To Text File</b> keeps the text of the box as a UTF-8 text file, and
<b>Clear Text</b> empties the box and forgets the PDF path.</p>
<h3>Protected documents</h3>
<p>When a document asks for a password before it opens, tick <b>Prompt for password because PDF
files are password protected</b>. Lectorix then asks for the password each time it opens a
document; leave the box blank for documents without one.</p>
<h3>Scanned documents</h3>
<p>A scanned page is a picture of text, not text. Lectorix tells you when a document holds no
readable text; a text recognition program can turn such a document into one with text.</p>

<h2 style="page-break-before: always">Saving as MP3</h2>
<p>Choose where the MP3 file goes: <b>Save results to this folder</b> with a folder of your
choice, or beside the PDF itself. Then press <b>Save Audio As MP3</b>. Lectorix speaks the
document into sound files with the chosen voice, volume and speed, encodes them and joins them
into one MP3 file named after the PDF. When it says <b>Done.</b>, the file is ready.</p>
<p>Volume and speed are taken when the conversion starts. To change them, move the sliders and
press <b>Save Audio As MP3</b> again.</p>
<p><b>Test Speed</b> lets you hear a short sentence at the chosen speed before a long
conversion.</p>
<p>Enjoy listening!</p>
)";

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample1 OUTPUT.pdf\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QFileInfo(output).absolutePath());

    QPdfWriter writer(output);
    writer.setTitle(QStringLiteral("Lectorix - sample document"));
    writer.setCreator(QStringLiteral("Lectorix"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);

    QTextDocument document;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(12);
    document.setDefaultFont(font);
    document.setHtml(QString::fromUtf8(Guide));
    document.print(&writer);
    return 0;
}
