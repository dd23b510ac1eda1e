#include "MoreOptionsFrame.h"

#include "CharsetDecoder.h"
#include "Failure.h"
#include "SettingsStore.h"
#include "TwipsLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {
// Stored as the runner's words for the same choice.
const QString TextTyping = QStringLiteral("text");
const QString InferredTyping = QStringLiteral("infer");

template <typename Control>
Control* place(Control* control, const char* name, int left, int top, int width, int height)
{
    control->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(*control, left, top, width, height);
    return control;
}
} // namespace

MoreOptionsFrame::MoreOptionsFrame(SettingsStore& store, QWidget* parent)
    : QGroupBox(QStringLiteral("More Options"), parent), m_store(store)
{
    buildTypingRow();
    buildReadingRow();
}

void MoreOptionsFrame::buildTypingRow()
{
    m_columnTypesLabel = place(new QLabel(QStringLiteral("New Table T&ypes:"), this),
                               "Label6", 240, 330, 2055, 255);
    m_columnTypes = place(new QComboBox(this), "Combo1", 2280, 285, 1695, 330);
    m_columnTypes->addItem(QStringLiteral("All Text"));
    m_columnTypes->addItem(QStringLiteral("From the Data"));
    m_columnTypes->setToolTip(
        QStringLiteral("From the Data: each column gets the narrowest type that every value of "
                       "its file fits (numbers, dates, sized text)"));
    m_columnTypesLabel->setBuddy(m_columnTypes);
    m_columnTypes->setAccessibleName(QStringLiteral("New table column types"));
    m_nullTextLabel =
        place(new QLabel(QStringLiteral("N&ULL Text:"), this), "Label7", 4080, 330, 975, 255);
    m_nullText = place(new QLineEdit(this), "Text4", 5040, 285, 960, 330);
    m_nullText->setToolTip(QStringLiteral("A field equal to this text is loaded as NULL; empty: "
                                          "no such text"));
    m_nullTextLabel->setBuddy(m_nullText);
    m_nullText->setAccessibleName(QStringLiteral("NULL text"));
    connect(m_columnTypes, &QComboBox::currentIndexChanged, this, [this](int index) {
        remember(SettingKeys::ColumnTypes, index == 1 ? InferredTyping : TextTyping);
    });
    connect(m_nullText, &QLineEdit::textChanged, this,
            [this](const QString& text) { remember(SettingKeys::NullText, text); });
}

void MoreOptionsFrame::buildReadingRow()
{
    m_quoted = place(new QCheckBox(QStringLiteral("Fields &Quoted By:"), this), "Check3", 240, 690,
                     2055, 255);
    m_quoted->setToolTip(QStringLiteral("Fields may be enclosed in this character, so they can "
                                        "hold the separator and line breaks"));
    m_quote = place(new QLineEdit(QStringLiteral("\""), this), "Text5", 2280, 645, 375, 330);
    m_quote->setMaxLength(1);
    m_quote->setAccessibleName(QStringLiteral("Quote character"));
    m_encodingLabel =
        place(new QLabel(QStringLiteral("&Encoding:"), this), "Label8", 2760, 690, 900, 255);
    m_encoding = place(new QComboBox(this), "Combo2", 3720, 645, 2280, 330);
    m_encoding->addItem(QStringLiteral("Automatic"));
    m_encoding->addItems(CharsetDecoder::availableNames());
    m_encoding->setToolTip(QStringLiteral("Automatic: a byte-order mark, else UTF-8, or "
                                          "Windows-1252 for a line that is not UTF-8"));
    m_encodingLabel->setBuddy(m_encoding);
    m_encoding->setAccessibleName(QStringLiteral("Encoding"));
    connect(m_quoted, &QCheckBox::toggled, this, [this] { rememberQuote(); });
    connect(m_quote, &QLineEdit::textChanged, this, [this] { rememberQuote(); });
    connect(m_encoding, &QComboBox::currentIndexChanged, this,
            [this] { remember(SettingKeys::Encoding, encoding()); });
}

ColumnTyping MoreOptionsFrame::columnTyping() const
{
    return m_columnTypes->currentIndex() == 1 ? ColumnTyping::Inferred : ColumnTyping::Text;
}

std::optional<QString> MoreOptionsFrame::nullText() const
{
    const QString text = m_nullText->text();
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

QChar MoreOptionsFrame::quote() const
{
    const QString text = m_quote->text();
    return m_quoted->isChecked() && !text.isEmpty() ? text.at(0) : QChar();
}

QString MoreOptionsFrame::encoding() const
{
    return m_encoding->currentIndex() <= 0 ? QString() : m_encoding->currentText();
}

void MoreOptionsFrame::restore()
{
    const QString typing = m_store.GetSetting(SettingKeys::ColumnTypes, TextTyping);
    const QString nullText = m_store.GetSetting(SettingKeys::NullText);
    const QString quote = m_store.GetSetting(SettingKeys::Quote);
    const QString encoding = m_store.GetSetting(SettingKeys::Encoding);
    m_restoring = true;
    m_columnTypes->setCurrentIndex(typing == InferredTyping ? 1 : 0);
    m_nullText->setText(nullText);
    m_quoted->setChecked(!quote.isEmpty());
    m_quote->setText(quote.isEmpty() ? QStringLiteral("\"") : quote.left(1));
    m_encoding->setCurrentIndex(std::max(0, m_encoding->findText(encoding)));
    m_restoring = false;
}

void MoreOptionsFrame::rememberQuote()
{
    remember(SettingKeys::Quote, m_quoted->isChecked() ? m_quote->text() : QString());
}

void MoreOptionsFrame::setNewTableMode(bool on)
{
    m_columnTypesLabel->setEnabled(on);
    m_columnTypes->setEnabled(on);
}

void MoreOptionsFrame::remember(const QString& key, const QString& value)
{
    if (m_restoring)
        return;
    try {
        m_store.SaveSetting(key, value);
    } catch (const Failure&) {
        // The choice holds for this session; the store is tried again on the next change.
    }
}
