#include "LettersSetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>

#include "counting/CountingSession.h"
#include "text/Unicode.h"

namespace kvx {
namespace {

QSettings Settings() { return QSettings(QStringLiteral("kvx"), QStringLiteral("kvx")); }

const QString kEveryScriptKey = QStringLiteral("letters/everyScript");
const QString kCollationKey = QStringLiteral("letters/collation");

// The languages offered for the alphabetical order, by name.
constexpr const char* kLanguages[][2] = {
    {"Chinese", "zh"},    {"Czech", "cs"},     {"Danish", "da"},     {"Dutch", "nl"},
    {"English", "en"},    {"Finnish", "fi"},   {"French", "fr"},     {"German", "de"},
    {"Greek", "el"},      {"Hungarian", "hu"}, {"Indonesian", "id"}, {"Italian", "it"},
    {"Japanese", "ja"},   {"Norwegian", "nb"}, {"Polish", "pl"},     {"Portuguese", "pt"},
    {"Romanian", "ro"},   {"Russian", "ru"},   {"Spanish", "es"},    {"Swedish", "sv"},
    {"Turkish", "tr"},
};

}  // namespace

LettersSetting::LettersSetting(CountingSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    everyScriptBox = new QCheckBox(QStringLiteral("Letters of every script"), this);
    everyScriptBox->setObjectName(QStringLiteral("chkLettersOfEveryScript"));
    collationList = new QComboBox(this);
    collationList->setObjectName(QStringLiteral("cboCollation"));
    collationList->addItem(QStringLiteral("The locale's (%1)").arg(QString::fromStdString(text::LocaleLanguage())),
                           QString());
    for (const auto& [name, code] : kLanguages)
        collationList->addItem(QString::fromLatin1(name), QString::fromLatin1(code));
    auto* order = new QLabel(QStringLiteral("Alphabetical order:"), this);
    order->setBuddy(collationList);

    auto* orderRow = new QHBoxLayout;
    orderRow->setContentsMargins(20, 0, 0, 0);
    orderRow->addWidget(order);
    orderRow->addWidget(collationList);
    orderRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(everyScriptBox);
    layout->addLayout(orderRow);

    const QSettings s = Settings();
    everyScriptBox->setChecked(s.value(kEveryScriptKey, false).toBool());
    const int at = collationList->findData(s.value(kCollationKey).toString());
    collationList->setCurrentIndex(at < 0 ? 0 : at);
    collationList->setEnabled(everyScriptBox->isChecked());
    session_.SetLetters(everyScriptBox->isChecked(), collationList->currentData().toString().toStdString());

    connect(everyScriptBox, &QCheckBox::toggled, this, [this] { Apply(); });
    connect(collationList, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
}

void LettersSetting::Apply() {
    const bool every = everyScriptBox->isChecked();
    const QString language = collationList->currentData().toString();
    collationList->setEnabled(every);
    session_.SetLetters(every, language.toStdString());
    // A result counted under the other letters is not listed again as if
    // it had been counted under these.
    session_.wordsCounted = false;
    QSettings s = Settings();
    s.setValue(kEveryScriptKey, every);
    s.setValue(kCollationKey, language);
}

ListingColumns::ListingColumns(QPlainTextEdit* box, const QFont& font)
    : QSyntaxHighlighter(box->document()), metrics_(font), column_(metrics_.horizontalAdvance(QLatin1Char('0'))) {}

void ListingColumns::Apply(QPlainTextEdit* box, bool everyScript) {
    // The family by its name: under the generic name, a line of kana had
    // its blanks and digits drawn in the kana's font too.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QFontInfo(font).family()});
    if (box->font() != font) box->setFont(font);
    auto* columns = box->document()->findChild<ListingColumns*>();
    if (!columns || columns->metrics_ != QFontMetricsF(font)) {
        delete columns;
        columns = new ListingColumns(box, font);
    }
    if (columns->on_ != everyScript) {
        columns->on_ = everyScript;
        columns->rehighlight();
    }
}

void ListingColumns::highlightBlock(const QString& text) {
    if (!on_) return;
    QTextCharFormat spaced;
    spaced.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    int from = 0;
    qreal runSpacing = 0;
    auto flush = [&](int to) {
        if (runSpacing != 0 && to > from) {
            spaced.setFontLetterSpacing(runSpacing);
            setFormat(from, to - from, spaced);
        }
    };
    for (int i = 0; i < text.size();) {
        const int at = i;
        char32_t c = text[i++].unicode();
        if (QChar::isHighSurrogate(c) && i < text.size() && text[i].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[at], text[i++]);
        qreal spacing = 0;
        if (c >= 0x100) {  // Latin-1 is the monospace font's own
            auto found = spacing_.constFind(c);
            if (found == spacing_.cend()) {
                const int columns = text::Columns(c);
                const qreal drawn = metrics_.horizontalAdvance(text.mid(at, i - at));
                found = spacing_.insert(c, columns == 0 ? 0 : columns * column_ - drawn);
            }
            spacing = *found;
        }
        if (spacing != runSpacing) {
            flush(at);
            from = at;
            runSpacing = spacing;
        }
    }
    flush(static_cast<int>(text.size()));
}

}  // namespace kvx
