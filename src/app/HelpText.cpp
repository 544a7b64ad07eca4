#include "HelpText.h"

namespace kvx {

QStringList HelpParagraphs() {
    return {
        QStringLiteral(
            "An illustrated version of this documentation is available from the publisher's "
            "web site: click 'Online user manual' in the main window. This help window may be "
            "resized for easier reading."),
        QStringLiteral(
            "This software scans a file, or text on the clipboard, and counts the number of "
            "occurrences of the different words. The text can be in a language other than "
            "English. The words which are found and displayed can be ordered alphabetically or "
            "by frequency."),
        QStringLiteral(
            "An input file may have any extension, but it must contain only text or Unicode "
            "text, that is, it cannot contain any bytes with ASCII values less than 32 except "
            "for bytes with ASCII values 8, 9, 10, 12 and 13 (or 0 for Unicode text files)."),
        QStringLiteral(
            "Several files, or the files of a folder and its subfolders, can be counted as "
            "one text: choose them with 'Corpus...' (Ctrl+Shift+O), with the extensions taken "
            "from folders (such as *.txt;*.html), or drop them on the window. Each file is "
            "read under the comment rules of its own extension, in the order of the files' "
            "paths; names starting with a dot are passed over. The input box then shows the "
            "number of files and their size. The saved state names the first file, and the "
            "program keeps the last five corpora."),
        QStringLiteral(
            "To count the words of a document made with a word processor, copy its text to the "
            "clipboard and count with the source 'clipboard'. Text on the clipboard can also be "
            "pasted into the text box."),
        QStringLiteral(
            "There is no limit to the size of the input file, but the text box can hold only a "
            "limited amount of text, normally something beyond 30,000 characters, so only about "
            "1000 to 2000 words can be listed there from a large file."),
        QStringLiteral(
            "When counting large files, define an output file: the results are written to it "
            "before they are displayed, so the whole list is kept even when the text box "
            "cannot show it."),
        QStringLiteral(
            "Text may be composed in the text box, but it must be copied to the clipboard "
            "before its words can be counted."),
        QStringLiteral(
            "The parameters which decide what a word is and which words are ignored are set "
            "with 'Set parameters'. At the next start they are restored as last saved: 'Save "
            "state' saves them at once, and when 'Save state when quitting' is ticked they are "
            "saved each time the program is quit. 'Save state to file' and 'Load state from "
            "file' keep sets of parameters in files of your choice."),
        QStringLiteral(
            "Besides English, text in German, French, Italian, Spanish and Portuguese can be "
            "counted, and so can program source code. With 'Letters of every script' ticked in "
            "the parameters window, a letter is that of any script: Greek, Russian, Polish, "
            "Chinese, Japanese and Thai text is counted too (the last three cut into words by a "
            "dictionary), and the alphabetical order is that of the language chosen beside it. "
            "This choice is kept by the program, not in parameter files."),
        QStringLiteral(
            "Under 'Letters of every script' a letter keeps the accents and marks that follow "
            "it, the digits of any script count where numerals are allowed, and the right single "
            "quote counts as the apostrophe. Chinese, Japanese, Thai, Lao, Khmer and Myanmar "
            "text, written without spaces, is cut into words by the dictionaries of the ICU "
            "library. Unless 'Upper/lower case significant' is ticked, words are lower-cased by "
            "the rules of their script (a Greek word ending in sigma ends in final sigma). "
            "Dropping a final 's' and the contraction stems apply to words in Latin script only. "
            "A wide character, such as a Chinese one, takes two columns of the listing. "
            "'Alphabetical order:' chooses the language whose order an alphabetical listing "
            "follows (by default the language of the locale); words that it orders alike are "
            "listed by their characters' codes. Without the setting, the letters are those of "
            "Windows-1252 (Western Europe) and the order is that of their codes."),
        QStringLiteral(
            "A file of common words lists words to be ignored; it is used when 'Ignore common "
            "words in file' is ticked. Such files for six languages come with KVX: "
            "cwds_en.txt (English), cwds_de.txt (German), cwds_fr.txt (French), cwds_it.txt "
            "(Italian), cwds_es.txt (Spanish) and cwds_pt.txt (Portuguese), in the folder that "
            "'Select common words file' opens. They may be edited freely, and the words need be "
            "neither in order nor one to a line. For 'Letters of every script' there are "
            "cwds_da.txt (Danish), cwds_nl.txt (Dutch), cwds_fi.txt (Finnish), cwds_hu.txt "
            "(Hungarian), cwds_id.txt (Indonesian), cwds_no.txt (Norwegian), cwds_ro.txt "
            "(Romanian), cwds_ru.txt (Russian) and cwds_sv.txt (Swedish) as well."),
        QStringLiteral(
            "Text between the start- and end-comment markers set in the parameters window is "
            "ignored when 'Allow start- and end-comment markers' is ticked; an empty end marker "
            "ends the comment at the end of the line. There are no markers by default. They "
            "apply to files of every extension but those below, and never to text on the "
            "clipboard."),
        QStringLiteral(
            "Files with some extensions have markers of their own, whatever the parameters say: "
            "c and cpp files skip /* ... */ and // comments; xml files skip tags, <!-- ... --> "
            "comments and <?xml ... ?>; htm, html and shtml files (any extension containing "
            "htm) skip tags, comments, scripts and style sheets, and read named entities such "
            "as &eacute; as the letters they stand for; php files are read as html files and "
            "skip /* ... */ and // comments as well."),
        QStringLiteral(
            "To use the results in a spreadsheet or another program, click 'Save listing as...' "
            "(Ctrl+Shift+S) after a count: it saves the listed words, in the order shown, as "
            "CSV, TSV or JSON, chosen by the file type, without counting again."),
        QStringLiteral(
            "'Chart' (Ctrl+G) shows the most frequent words as bars, and every word's rank "
            "against its frequency on logarithmic axes with the least-squares line over the "
            "first thousand ranks; its slope tells how the vocabulary is spread. 'Save image...' "
            "writes the chart on show as PNG or SVG."),
        QStringLiteral(
            "Double-click a word in the listing, or put the cursor on its line and press Enter, "
            "or choose 'Contexts' in the box's right-click menu, to see every place the count "
            "found it: 'KVX: Contexts' shows the file, the line, the text before, the word as "
            "written and the text after, one row each. The source is read again in the "
            "background; 'Stop' ends that early. A click on the Left or Right heading sorts by "
            "the text before the word (read backwards from it) or after it; 'Show more' lists "
            "more rows, 'Copy' copies the rows selected and 'Save as...' saves them all as TSV."),
        QStringLiteral(
            "'Compare with...' sets the listed result against a reference: another text, counts "
            "files written by kvx-count --counts, or files and folders chosen as with "
            "'Corpus...'. The reference is counted under the same parameters while the windows "
            "stay in use, and 'Stop' ends that without comparing. The table shows each "
            "word's frequency and rate per million on both sides, the log-likelihood G2 and the "
            "Log Ratio, the words used more here first. A minimum G2 (3.84 is p < 0.05), a "
            "minimum frequency and the under-used words change the table without counting again."),
        QStringLiteral(
            "With 'Count phrases of N words' ticked in the parameters window (2 to 5 words), "
            "runs of that many words are counted and listed in place of single words. A run ends "
            "at sentence punctuation (. ! ? ;), a blank line, a comment or markup skipped, the "
            "end of a file, and a word that is ignored or left out (a common word, a word to "
            "ignore, one too short or too long). This choice is kept by the program, not in "
            "parameter files."),
        QStringLiteral(
            "An output file can be written as comma-delimited so that it can be read by other "
            "software."),
    };
}

QString HelpText() { return HelpParagraphs().join(QStringLiteral("\n\n")); }

}  // namespace kvx
